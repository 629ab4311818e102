// File services stdio lacks, on POSIX systems: cutting a file, file identity, stream locks.
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

#include "platform/assertion.h"
#include "platform/platform.h"
#include "platform/stream_lock.h"

namespace quillpack {

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
