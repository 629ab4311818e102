// Timed library calls with silenced output, timed gzip children, peak memory in a child.
#include "measure.h"

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

double TimeEntry(Entry entry, const std::string &in, const std::string &out,
                 const std::string &err_path, Clock clock) {
  HostPath win = Utf16(in), wout = Utf16(out);
  double seconds = 0;
  Outcome outcome = Capture([&] {
    double start = Now(clock);
    entry(win.c_str(), wout.c_str());
    seconds = Now(clock) - start;
    return 0;
  });
  WriteText(err_path, outcome.err);
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
  auto tv = [](const timeval &t) {
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) * 1e-6;
  };
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
  if (!OpenLibrary(argv[3], &library, &error)) return 2;
  Entry entry = std::strcmp(argv[2], "pack") == 0 ? library.pack : library.unpack;
  HostPath in = Utf16(argv[4]), out = Utf16(argv[5]);
  Capture([] { return 0; });  // the files that catch the call's lines, made before it
  // Everything the call needs besides its own work (code pages, stdio) is small; the
  // high-water mark is reset so that what start-up touched does not count.
  std::FILE *clear = std::fopen("/proc/self/clear_refs", "w");
  if (clear != nullptr) {
    std::fputs("5", clear);
    std::fclose(clear);
  }
  int64_t baseline = StatusBytes("VmRSS:");
  Capture([&] { return entry(in.c_str(), out.c_str()); });
  int64_t peak = StatusBytes("VmHWM:");
  if (baseline < 0 || peak < 0) return 3;
  std::printf("%lld\n", static_cast<long long>(peak - baseline));
  return 0;
}

bool SameContents(const std::string &a, const std::string &b) {
  return FileExists(a) && FileExists(b) && ReadFile(a) == ReadFile(b);
}

}  // namespace quillpack_bench
