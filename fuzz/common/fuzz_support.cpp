// Scratch files and caught output for the fuzz targets.
#include "fuzz_support.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

namespace quillpack_fuzz {
namespace {

struct Scratch {
  std::string folder;
  std::vector<std::string> files;
  int out_fd = -1;
  int err_fd = -1;
};

Scratch *scratch = nullptr;

void RemoveScratch() {
  for (const std::string &file : scratch->files) unlink(file.c_str());
  rmdir(scratch->folder.c_str());
}

Scratch &TheScratch() {
  if (scratch != nullptr) return *scratch;
  scratch = new Scratch;
  const char *base = std::getenv("TMPDIR");
  struct stat st;
  if (base == nullptr) base = stat("/dev/shm", &st) == 0 ? "/dev/shm" : "/tmp";
  std::string pattern = std::string(base) + "/quillpack-fuzz-XXXXXX";
  std::vector<char> buffer(pattern.begin(), pattern.end());
  buffer.push_back('\0');
  if (mkdtemp(buffer.data()) == nullptr) {
    std::perror("mkdtemp");
    std::abort();
  }
  scratch->folder = buffer.data();
  std::atexit(RemoveScratch);
  return *scratch;
}

int OpenCatcher(const char *name) {
  int fd = open(ScratchPath(name).c_str(), O_RDWR | O_CREAT | O_TRUNC, 0600);
  Require(fd >= 0, "cannot open a file to catch output");
  return fd;
}

void Empty(int fd) { Require(ftruncate(fd, 0) == 0 && lseek(fd, 0, SEEK_SET) == 0, "cannot reset a catcher"); }

std::string Drain(int fd) {
  std::string text;
  char chunk[4096];
  ssize_t got;
  for (off_t at = 0; (got = pread(fd, chunk, sizeof chunk, at)) > 0; at += got) text.append(chunk, got);
  return text;
}

}  // namespace

std::string ScratchPath(const char *name) {
  Scratch &s = TheScratch();
  std::string path = s.folder + "/" + name;
  bool known = false;
  for (const std::string &file : s.files) known = known || file == path;
  if (!known) s.files.push_back(path);
  return path;
}

void WriteWhole(const std::string &path, const uint8_t *data, size_t size) {
  std::FILE *f = std::fopen(path.c_str(), "wb");
  Require(f != nullptr, "cannot create a scratch file");
  Require(size == 0 || std::fwrite(data, 1, size, f) == size, "cannot write a scratch file");
  Require(std::fclose(f) == 0, "cannot close a scratch file");
}

Bytes ReadWhole(const std::string &path) {
  Bytes bytes;
  std::FILE *f = std::fopen(path.c_str(), "rb");
  if (f == nullptr) return bytes;
  uint8_t chunk[65536];
  size_t got;
  while ((got = std::fread(chunk, 1, sizeof chunk, f)) > 0) bytes.insert(bytes.end(), chunk, chunk + got);
  std::fclose(f);
  return bytes;
}

Caught RunCaught(int (*call)(const char *, const char *), const std::string &a,
                 const std::string &b) {
  Scratch &s = TheScratch();
  if (s.out_fd < 0) {
    s.out_fd = OpenCatcher("stdout");
    s.err_fd = OpenCatcher("stderr");
  }
  Empty(s.out_fd);
  Empty(s.err_fd);
  std::fflush(stdout);
  std::fflush(stderr);
  int saved_out = dup(1), saved_err = dup(2);
  dup2(s.out_fd, 1);
  dup2(s.err_fd, 2);
  Caught caught;
  caught.result = call(a.c_str(), b.c_str());
  std::fflush(stdout);
  std::fflush(stderr);
  dup2(saved_out, 1);
  dup2(saved_err, 2);
  close(saved_out);
  close(saved_err);
  caught.out = Drain(s.out_fd);
  caught.err = Drain(s.err_fd);
  return caught;
}

void Require(bool condition, const char *what) {
  if (condition) return;
  std::fprintf(stderr, "fuzz check failed: %s\n", what);
  std::abort();
}

}  // namespace quillpack_fuzz
