// File streams opened for the host's sake, and the services stdio lacks, on POSIX systems:
// cutting a file, file identity, stream locks.
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

#include "platform/assertion.h"
#include "platform/fault_state.h"
#include "platform/platform.h"
#include "platform/stream_lock.h"

namespace quillpack {

// fopen's work, with two differences a host relies on: the descriptor is closed on exec, so
// that a process the host starts during a call does not keep the file open; and it is never
// 0, 1 or 2, which a host that closed its standard streams leaves free, so that no message
// line meant for standard error lands in a file.
PlatformFile *PlatformOpen(const char *path, const char *mode) {
  QUILLPACK_ASSERT(mode != nullptr && (mode[0] == 'r' || mode[0] == 'w'));
  if (path == nullptr) return nullptr;
  int flags = mode[0] == 'r' ? O_RDONLY : O_WRONLY | O_CREAT | O_TRUNC;
  if (mode[0] == 'w') FaultBeforeOpenForWriting(path);
  int fd = open(path, flags | O_CLOEXEC, 0666);
  if (fd < 0) return nullptr;
  if (fd <= STDERR_FILENO) {
    int moved = fcntl(fd, F_DUPFD_CLOEXEC, STDERR_FILENO + 1);
    close(fd);
    if (moved < 0) return nullptr;
    fd = moved;
  }
  PlatformFile *file = fdopen(fd, mode);
  if (file == nullptr) close(fd);
  return file;
}

bool PlatformTruncate(PlatformFile *file, uint64_t length) {
  QUILLPACK_ASSERT(file != nullptr);
  // Nothing is buffered, so the file's size is what every write delivered.
  int fd = fileno(file);
  struct stat st;
  if (fstat(fd, &st) != 0) return false;
  if (!S_ISREG(st.st_mode)) return true;
  if (static_cast<uint64_t>(st.st_size) <= length) return true;
  return ftruncate(fd, static_cast<off_t>(length)) == 0;
}

// The device and inode numbers of both names.
bool PlatformSameFile(PlatformFile *file, const char *path) {
  QUILLPACK_ASSERT(file != nullptr);
  if (path == nullptr) return false;
  struct stat open_stat;
  struct stat path_stat;
  if (fstat(fileno(file), &open_stat) != 0) return false;
  if (stat(path, &path_stat) != 0) return false;
  return open_stat.st_dev == path_stat.st_dev && open_stat.st_ino == path_stat.st_ino;
}

void PlatformLockStream(std::FILE *stream) {
  flockfile(stream);
}

void PlatformUnlockStream(std::FILE *stream) {
  funlockfile(stream);
}

}  // namespace quillpack
