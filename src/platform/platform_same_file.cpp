// File identity on POSIX systems: the device and inode numbers of both names.
#include <sys/stat.h>

#include "platform/platform.h"

namespace quillpack {

bool PlatformSameFile(PlatformFile *file, const char *path) {
  if (path == nullptr) return false;
  struct stat open_stat;
  struct stat path_stat;
  if (fstat(fileno(file), &open_stat) != 0) return false;
  if (stat(path, &path_stat) != 0) return false;
  return open_stat.st_dev == path_stat.st_dev && open_stat.st_ino == path_stat.st_ino;
}

}  // namespace quillpack
