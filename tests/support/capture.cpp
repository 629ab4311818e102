// Standard output and standard error caught around one call, in two files kept open.
#include "capture.h"

#include <fcntl.h>

#include <cstdio>
#include <cstdlib>

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

#include "temp_dir.h"

namespace quillpack_test {
namespace {

#ifdef _WIN32
// Binary, so that the text arrives as the library handed it to the stream.
constexpr int kOpenFlags = O_RDWR | O_CREAT | O_TRUNC | O_BINARY;
int Empty(int fd) {
  return _chsize(fd, 0);
}
#else
constexpr int kOpenFlags = O_RDWR | O_CREAT | O_TRUNC;
int Empty(int fd) {
  return ftruncate(fd, 0);
}
#endif

void Require(bool condition, const char *what) {
  if (condition) return;
  std::fprintf(stderr, "cannot capture output: %s\n", what);
  std::abort();
}

// The files that stand in for descriptors 1 and 2, open for the life of the process.
struct Catchers {
  TempDir dir;
  int fds[2];
  Catchers() {
    fds[0] = open(dir.Path("stdout").c_str(), kOpenFlags, 0600);
    fds[1] = open(dir.Path("stderr").c_str(), kOpenFlags, 0600);
    Require(fds[0] >= 0 && fds[1] >= 0, "no files to catch it in");
  }
  ~Catchers() {
    close(fds[0]);
    close(fds[1]);
  }
};

std::string Drain(int fd) {
  std::string text;
  Require(lseek(fd, 0, SEEK_SET) == 0, "cannot rewind");
  char chunk[4096];
  for (int got; (got = static_cast<int>(read(fd, chunk, sizeof chunk))) > 0;)
    text.append(chunk, static_cast<size_t>(got));
  return text;
}

}  // namespace

Outcome Capture(const std::function<int()> &call) {
  static Catchers catchers;
  std::fflush(stdout);
  std::fflush(stderr);
  int saved[2];
  for (int i = 0; i < 2; ++i) {
    saved[i] = dup(i + 1);
    Require(saved[i] >= 0, "cannot keep the stream");
    Require(Empty(catchers.fds[i]) == 0 && lseek(catchers.fds[i], 0, SEEK_SET) == 0,
            "cannot empty a file");
    Require(dup2(catchers.fds[i], i + 1) >= 0, "cannot redirect");
  }
  Outcome outcome;
  outcome.result = call();
  std::fflush(stdout);
  std::fflush(stderr);
  for (int i = 0; i < 2; ++i) {
    Require(dup2(saved[i], i + 1) >= 0, "cannot restore");
    close(saved[i]);
  }
  outcome.out = Drain(catchers.fds[0]);
  outcome.err = Drain(catchers.fds[1]);
  return outcome;
}

}  // namespace quillpack_test
