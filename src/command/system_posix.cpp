// The command's system services on POSIX systems.
#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include "command/system.h"

namespace quillpack_command {
namespace {

void FactsOf(const struct stat &st, FileFacts *facts) {
  facts->regular = S_ISREG(st.st_mode);
  facts->folder = S_ISDIR(st.st_mode);
  facts->link = S_ISLNK(st.st_mode);
  facts->size = facts->regular ? static_cast<uint64_t>(st.st_size) : 0;
  facts->device = static_cast<uint64_t>(st.st_dev);
  facts->index = static_cast<uint64_t>(st.st_ino);
  facts->mode = static_cast<uint32_t>(st.st_mode & 07777);
  facts->modified_ns = static_cast<int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
}

// Names SystemCreateBeside tries before it gives up.
constexpr unsigned kMostAttempts = 1000;

// A descriptor above 2, so that a process started with a standard stream closed never finds
// a file where it writes its messages.
int AboveStandard(int fd, int *error) {
  if (fd < 0 || fd > kStandardError) return fd;
  int moved = fcntl(fd, F_DUPFD_CLOEXEC, kStandardError + 1);
  if (moved < 0) *error = errno;
  close(fd);
  return moved;
}

// Opens `path` with `flags` (and `mode` for a new file), again when a signal interrupts the
// open, on a descriptor above 2 and closed on exec. Returns it, or -1 with `*error` set.
int OpenAboveStandard(const char *path, int flags, uint32_t mode, int *error) {
  int fd;
  do {
    fd = open(path, flags | O_CLOEXEC | O_NOCTTY, static_cast<mode_t>(mode));
  } while (fd < 0 && errno == EINTR);
  if (fd < 0) {
    *error = errno;
    return -1;
  }
  return AboveStandard(fd, error);
}

}  // namespace

int SystemOpenInput(const char *path, StreamKind, FileFacts *facts, int *error) {
  int fd = OpenAboveStandard(path, O_RDONLY, 0, error);
  if (fd < 0) return -1;
  if (!SystemFacts(fd, facts)) {
    *error = errno;
    close(fd);
    return -1;
  }
  return fd;
}

int SystemCreate(const char *path, StreamKind, uint32_t mode, int *error) {
  return OpenAboveStandard(path, O_WRONLY | O_CREAT | O_EXCL, mode, error);
}

int SystemCreateBeside(const char *path, StreamKind kind, uint32_t mode, std::string *name,
                       int *error) {
  const char *slash = strrchr(path, '/');
  const std::string folder(path, slash != nullptr ? static_cast<size_t>(slash - path + 1) : 0);
  const std::string stem = folder + ".quillpack-" + std::to_string(getpid()) + "-";
  for (unsigned attempt = 0;; ++attempt) {
    *name = stem + std::to_string(attempt);
    int fd = SystemCreate(name->c_str(), kind, mode, error);
    if (fd >= 0 || *error != EEXIST || attempt == kMostAttempts) return fd;
  }
}

int SystemOpenExisting(const char *path, StreamKind, int *error) {
  return OpenAboveStandard(path, O_WRONLY, 0, error);
}

bool SystemRename(const char *from, const char *to, int *error) {
  if (rename(from, to) == 0) return true;
  *error = errno;
  return false;
}

bool SystemFacts(int fd, FileFacts *facts) {
  struct stat st;
  if (fstat(fd, &st) != 0) return false;
  FactsOf(st, facts);
  return true;
}

namespace {

bool NameFacts(const char *path, bool through_links, FileFacts *facts, int *error) {
  struct stat st;
  if ((through_links ? stat(path, &st) : lstat(path, &st)) != 0) {
    *error = errno;
    return false;
  }
  FactsOf(st, facts);
  return true;
}

}  // namespace

bool SystemPathFacts(const char *path, FileFacts *facts, int *error) {
  return NameFacts(path, true, facts, error);
}

bool SystemLinkFacts(const char *path, FileFacts *facts, int *error) {
  return NameFacts(path, false, facts, error);
}

void SystemSetStreamKind(int, StreamKind) {}

int64_t SystemReadFull(int fd, void *dst, size_t count, int *error) {
  auto *bytes = static_cast<uint8_t *>(dst);
  size_t got = 0;
  while (got < count) {
    ssize_t n = read(fd, bytes + got, count - got);
    if (n > 0) {
      got += static_cast<size_t>(n);
    } else if (n == 0) {
      break;
    } else if (errno != EINTR) {
      *error = errno;
      return -1;
    }
  }
  return static_cast<int64_t>(got);
}

bool SystemWriteAll(int fd, const void *src, size_t count, int *error) {
  const auto *bytes = static_cast<const uint8_t *>(src);
  while (count > 0) {
    ssize_t n = write(fd, bytes, count);
    if (n > 0) {
      bytes += n;
      count -= static_cast<size_t>(n);
    } else if (n < 0 && errno != EINTR) {
      *error = errno;
      return false;
    } else if (n == 0) {
      *error = EIO;
      return false;
    }
  }
  return true;
}

bool SystemCut(int fd, int *error) {
  while (ftruncate(fd, 0) != 0) {
    if (errno != EINTR) {
      *error = errno;
      return false;
    }
  }
  return true;
}

void SystemCopyFacts(int fd, const FileFacts &from) {
  static_cast<void>(fchmod(fd, static_cast<mode_t>(from.mode & 0777)));
  struct timespec times[2];
  times[0].tv_sec = 0;
  times[0].tv_nsec = UTIME_OMIT;
  times[1].tv_sec = static_cast<time_t>(from.modified_ns / 1000000000);
  times[1].tv_nsec = static_cast<long>(from.modified_ns % 1000000000);
  static_cast<void>(futimens(fd, times));
}

bool SystemClose(int fd, int *error) {
  // A close interrupted by a signal has still released the descriptor (Linux); it is never
  // retried, which could close a descriptor another thread has opened since.
  if (close(fd) == 0 || errno == EINTR) return true;
  *error = errno;
  return false;
}

bool SystemRemove(const char *path, int *error) {
  if (unlink(path) == 0) return true;
  *error = errno;
  return false;
}

bool SystemListFolder(const char *path, std::vector<std::string> *names, int *error) {
  names->clear();
  DIR *dir = opendir(path);
  if (dir == nullptr) {
    *error = errno;
    return false;
  }
  for (;;) {
    errno = 0;
    struct dirent *entry = readdir(dir);
    if (entry == nullptr) break;
    if (strcmp(entry->d_name, ".") == 0 || strcmp(entry->d_name, "..") == 0) continue;
    names->push_back(entry->d_name);
  }
  int failed = errno;
  closedir(dir);
  if (failed != 0) {
    *error = failed;
    return false;
  }
  return true;
}

bool SystemIsTerminal(int fd) {
  return isatty(fd) == 1;
}

unsigned SystemProcessors() {
  long online = sysconf(_SC_NPROCESSORS_ONLN);
  return online > 0 ? static_cast<unsigned>(online) : 1;
}

}  // namespace quillpack_command
