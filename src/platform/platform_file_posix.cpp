// Files beneath the streams on POSIX systems: opening for the host's sake, file identity,
// cutting a file, writes to a descriptor, stream locks.
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

#include <cerrno>

#include "platform/assertion.h"
#include "platform/descriptor.h"
#include "platform/failed_writes.h"
#include "platform/platform.h"

namespace quillpack {

int PlatformOpenDescriptor(const char *path, const char *mode) {
  QUILLPACK_ASSERT(path != nullptr && mode != nullptr && (mode[0] == 'r' || mode[0] == 'w'));
  int flags = (mode[0] == 'r' ? O_RDONLY : O_WRONLY | O_CREAT) | O_CLOEXEC;
  int fd;
  do {
    fd = open(path, flags, 0666);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0 || fd > STDERR_FILENO) return fd;
  int moved = fcntl(fd, F_DUPFD_CLOEXEC, STDERR_FILENO + 1);
  close(fd);
  return moved;
}

bool PlatformSameFileOpen(int a, int b) {
  struct stat a_stat;
  struct stat b_stat;
  return fstat(a, &a_stat) == 0 && fstat(b, &b_stat) == 0 && a_stat.st_dev == b_stat.st_dev &&
         a_stat.st_ino == b_stat.st_ino;
}

std::FILE *PlatformStreamOver(int fd, const char *mode) {
  std::FILE *file = fdopen(fd, mode);
  if (file == nullptr) close(fd);
  return file;
}

int PlatformDescriptorOf(std::FILE *stream) {
  return fileno(stream);
}

void PlatformCloseDescriptor(int fd) {
  close(fd);
}

bool PlatformWriteDescriptor(int fd, const char *bytes, size_t count) {
  while (count > 0) {
    ssize_t n = write(fd, bytes, count);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      if (n < 0) PlatformNoteFailedWrite(errno);
      return false;
    }
    bytes += n;
    count -= static_cast<size_t>(n);
  }
  return true;
}

bool PlatformTruncate(PlatformFile *file, uint64_t length) {
  QUILLPACK_ASSERT(file != nullptr);
  // Nothing is buffered, so the file's size is what every write delivered.
  int fd = fileno(file);
  struct stat st;
  if (fstat(fd, &st) != 0) return false;
  if (!S_ISREG(st.st_mode)) return true;
  if (static_cast<uint64_t>(st.st_size) <= length) return true;
  int result;
  do {
    result = ftruncate(fd, static_cast<off_t>(length));
  } while (result != 0 && errno == EINTR);
  return result == 0;
}

void PlatformLockStream(std::FILE *stream) {
  flockfile(stream);
}

void PlatformUnlockStream(std::FILE *stream) {
  funlockfile(stream);
}

}  // namespace quillpack
