// Timed library calls with silenced output, timed gzip children, peak memory in a child.
#include "measure.h"

#include <dlfcn.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

extern char **environ;

namespace quillpack_bench {
namespace {

// The benchmark's paths are its own, so a plain widening of each byte would do for ASCII;
// UTF-8 is decoded properly so that a --work folder with other characters works too.
std::u16string Utf16(const std::string &utf8) {
  std::u16string out;
  for (size_t i = 0; i < utf8.size();) {
    uint32_t c = static_cast<uint8_t>(utf8[i]);
    int extra = c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : c >= 0xC0 ? 1 : 0;
    c &= extra == 0 ? 0x7F : 0x3F >> extra;
    for (int k = 1; k <= extra && i + k < utf8.size(); ++k)
      c = c << 6 | (static_cast<uint8_t>(utf8[i + k]) & 0x3F);
    i += 1 + extra;
    if (c >= 0x10000) {
      c -= 0x10000;
      out.push_back(static_cast<char16_t>(0xD800 + (c >> 10)));
      out.push_back(static_cast<char16_t>(0xDC00 + (c & 0x3FF)));
    } else {
      out.push_back(static_cast<char16_t>(c));
    }
  }
  return out;
}

// Points standard output at /dev/null and standard error at `err_path` until Restore.
struct Redirect {
  int saved_out;
  int saved_err;
};

Redirect Silence(const std::string &err_path) {
  std::fflush(stdout);
  std::fflush(stderr);
  Redirect r{dup(1), dup(2)};
  int null_fd = open("/dev/null", O_WRONLY);
  int err_fd = open(err_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  dup2(null_fd, 1);
  dup2(err_fd < 0 ? null_fd : err_fd, 2);
  close(null_fd);
  if (err_fd >= 0) close(err_fd);
  return r;
}

void Restore(const Redirect &r) {
  std::fflush(stdout);
  std::fflush(stderr);
  dup2(r.saved_out, 1);
  dup2(r.saved_err, 2);
  close(r.saved_out);
  close(r.saved_err);
}

// A field such as "VmHWM:" of /proc/self/status, in bytes; -1 when absent.
int64_t StatusBytes(const char *field) {
  std::FILE *f = std::fopen("/proc/self/status", "r");
  if (f == nullptr) return -1;
  char line[256];
  int64_t value = -1;
  size_t n = std::strlen(field);
  while (std::fgets(line, sizeof line, f) != nullptr) {
    if (std::strncmp(line, field, n) == 0) {
      value = std::strtoll(line + n, nullptr, 10) * 1024;
      break;
    }
  }
  std::fclose(f);
  return value;
}

}  // namespace

double Now(Clock clock) {
  timespec ts;
  clock_gettime(clock == kCpuClock ? CLOCK_THREAD_CPUTIME_ID : CLOCK_MONOTONIC, &ts);
  return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

bool LoadLibrary(const std::string &path, Library *library, std::string *error) {
  library->handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (library->handle == nullptr) {
    *error = dlerror();
    return false;
  }
  library->pack = reinterpret_cast<Entry>(dlsym(library->handle, "Quillpack"));
  library->unpack = reinterpret_cast<Entry>(dlsym(library->handle, "Quillunpack"));
  if (library->pack == nullptr || library->unpack == nullptr) {
    *error = "Quillpack or Quillunpack not exported by " + path;
    return false;
  }
  return true;
}

double TimeEntry(Entry entry, const std::string &in, const std::string &out,
                 const std::string &err_path, Clock clock) {
  std::u16string win = Utf16(in);
  std::u16string wout = Utf16(out);
  Redirect r = Silence(err_path);
  double start = Now(clock);
  entry(win.c_str(), wout.c_str());
  double seconds = Now(clock) - start;
  Restore(r);
  return seconds;
}

double TimeCommand(const std::vector<std::string> &argv, const std::string &out_path, Clock clock) {
  std::vector<char *> args;
  for (const std::string &a : argv) args.push_back(const_cast<char *>(a.c_str()));
  args.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, out_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                   0644);
  double start = Now();
  pid_t pid;
  int spawned = posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) return -1;
  int status = 0;
  rusage usage;
  if (wait4(pid, &status, 0, &usage) != pid) return -1;
  double seconds = Now() - start;
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return -1;
  if (clock == kWallClock) return seconds;
  auto tv = [](const timeval &t) { return static_cast<double>(t.tv_sec) + t.tv_usec * 1e-6; };
  return tv(usage.ru_utime) + tv(usage.ru_stime);
}

int64_t MeasurePeak(const std::string &library_path, const char *op, const std::string &in,
                    const std::string &out) {
  int fds[2];
  if (pipe(fds) != 0) return -1;
  pid_t pid = fork();
  if (pid < 0) return -1;
  if (pid == 0) {
    dup2(fds[1], 1);
    close(fds[0]);
    close(fds[1]);
    const char *args[] = {"quillpack_bench", "--peak-child", op,     library_path.c_str(),
                          in.c_str(),        out.c_str(),    nullptr};
    execv("/proc/self/exe", const_cast<char **>(args));
    _exit(127);
  }
  close(fds[1]);
  char text[64] = {};
  size_t used = 0;
  ssize_t got;
  while (used < sizeof text - 1 && (got = read(fds[0], text + used, sizeof text - 1 - used)) > 0)
    used += static_cast<size_t>(got);
  close(fds[0]);
  int status = 0;
  waitpid(pid, &status, 0);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return -1;
  return std::strtoll(text, nullptr, 10);
}

int PeakChildMain(int argc, char **argv) {
  if (argc != 6 || std::strcmp(argv[1], "--peak-child") != 0) return -1;
  Library library;
  std::string error;
  if (!LoadLibrary(argv[3], &library, &error)) return 2;
  Entry entry = std::strcmp(argv[2], "pack") == 0 ? library.pack : library.unpack;
  std::u16string in = Utf16(argv[4]);
  std::u16string out = Utf16(argv[5]);
  // Everything the call needs besides its own work (code pages, stdio) is small; the
  // high-water mark is reset so that what start-up touched does not count.
  std::FILE *clear = std::fopen("/proc/self/clear_refs", "w");
  if (clear != nullptr) {
    std::fputs("5", clear);
    std::fclose(clear);
  }
  int64_t baseline = StatusBytes("VmRSS:");
  Redirect r = Silence("/dev/null");
  entry(in.c_str(), out.c_str());
  Restore(r);
  int64_t peak = StatusBytes("VmHWM:");
  if (baseline < 0 || peak < 0) return 3;
  std::printf("%lld\n", static_cast<long long>(peak - baseline));
  return 0;
}

bool SameContents(const std::string &a, const std::string &b) {
  std::FILE *fa = std::fopen(a.c_str(), "rb");
  std::FILE *fb = std::fopen(b.c_str(), "rb");
  bool same = fa != nullptr && fb != nullptr;
  static char ba[1 << 16], bb[1 << 16];
  while (same) {
    size_t na = std::fread(ba, 1, sizeof ba, fa);
    size_t nb = std::fread(bb, 1, sizeof bb, fb);
    same = na == nb && std::memcmp(ba, bb, na) == 0;
    if (na < sizeof ba) break;
  }
  if (fa != nullptr) std::fclose(fa);
  if (fb != nullptr) std::fclose(fb);
  return same;
}

}  // namespace quillpack_bench
