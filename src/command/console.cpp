// Message lines and the progress line on standard error.
#include "command/console.h"

#include <chrono>
#include <cstdio>

namespace quillpack_command {
namespace {

bool progress_allowed = false;
size_t progress_shown = 0;  // characters of the progress line on the terminal, 0 when none

// A file this large shows its progress from the start; a smaller one once it is slow.
constexpr uint64_t kLargeFile = 16u << 20;
constexpr int64_t kSlowNs = 500000000;
constexpr int64_t kRedrawNs = 200000000;

int64_t NowNs() {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

void ClearLine() {
  if (progress_shown == 0) return;
  std::string blank = "\r" + std::string(progress_shown, ' ') + "\r";
  std::fwrite(blank.data(), 1, blank.size(), stderr);
  std::fflush(stderr);
  progress_shown = 0;
}

}  // namespace

std::string Printable(const std::string &text) {
  std::string shown;
  for (size_t i = 0; i < text.size(); ++i) {
    auto c = static_cast<unsigned char>(text[i]);
    auto next = [&](size_t k) {
      return i + k < text.size() ? static_cast<unsigned char>(text[i + k]) : 0;
    };
    if (c < 0x20 || c == 0x7F) {
      shown += '?';
    } else if (c == 0xC2 && next(1) >= 0x80 && next(1) <= 0x9F) {
      shown += '?';
      i += 1;
    } else if (c == 0xE2 && next(1) == 0x80 && (next(2) == 0xA8 || next(2) == 0xA9)) {
      shown += '?';
      i += 2;
    } else {
      shown += text[i];
    }
  }
  return shown;
}

void ConsoleInit(bool allowed) {
  progress_allowed = allowed;
}

void Say(const std::string &name, const std::string &text) {
  ClearLine();
  std::string line = std::string(kProgram) + ": ";
  if (!name.empty()) line += name + ": ";
  line = Printable(line + text) + "\n";
  std::fwrite(line.data(), 1, line.size(), stderr);
  std::fflush(stderr);
}

void ProgressBegin(Progress *progress, const std::string &name, uint64_t total) {
  progress->name = Printable(name);
  progress->total = total;
  progress->started_ns = NowNs();
  progress->drawn_ns = 0;
}

void ProgressUpdate(Progress *progress, uint64_t done) {
  if (!progress_allowed) return;
  int64_t now = NowNs();
  int64_t elapsed = now - progress->started_ns;
  if (progress->drawn_ns == 0 ? elapsed < kSlowNs && progress->total < kLargeFile
                              : now - progress->drawn_ns < kRedrawNs)
    return;
  progress->drawn_ns = now;
  char figures[96];
  double mb = static_cast<double>(done) / 1e6;
  double rate = elapsed > 0 ? mb / (static_cast<double>(elapsed) / 1e9) : 0.0;
  if (progress->total > 0) {
    std::snprintf(figures, sizeof figures, "%3d%% %9.1f MB %7.1f MB/s",
                  static_cast<int>(done * 100 / progress->total), mb, rate);
  } else {
    std::snprintf(figures, sizeof figures, "%9.1f MB %7.1f MB/s", mb, rate);
  }
  // The name is cut from the front so that the line fits 79 columns.
  std::string name = progress->name;
  std::string head = std::string(kProgram) + ": ";
  size_t room = 79 - head.size() - 2 - std::string(figures).size();
  if (name.size() > room) name = "..." + name.substr(name.size() - (room - 3));
  std::string line = head + name + ": " + figures;
  size_t width = line.size();
  if (width < progress_shown) line += std::string(progress_shown - width, ' ');
  line = "\r" + line;
  std::fwrite(line.data(), 1, line.size(), stderr);
  std::fflush(stderr);
  progress_shown = width > progress_shown ? width : progress_shown;
}

void ProgressEnd(Progress *) {
  ClearLine();
}

}  // namespace quillpack_command
