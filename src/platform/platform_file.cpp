// File streams on top of stdio, with the fault-injection hooks of the test build.
#include "platform/platform.h"

#include <sys/stat.h>
#include <sys/types.h>
#if defined(_WIN32)
#include <io.h>
#else
#include <unistd.h>
#endif

#include "platform/fault_state.h"

namespace quillpack {

PlatformFile *PlatformOpen(const char *path, const char *mode) {
  if (path == nullptr) return nullptr;
  return std::fopen(path, mode);
}

size_t PlatformRead(PlatformFile *file, void *dst, size_t count) {
  if (FaultFires(kFaultRead, 1)) {
    // stdio offers no portable way to set a stream's error flag, so the failure is
    // recorded beside the stream, where PlatformReadFailed looks too.
    FaultMarkReadFailed(file);
    return 0;
  }
  return std::fread(dst, 1, count, file);
}

bool PlatformReadFailed(PlatformFile *file) {
  return std::ferror(file) != 0 || FaultReadMarked(file);
}

size_t PlatformWrite(PlatformFile *file, const void *src, size_t count) {
  size_t allowed = FaultAllowedBytes(kFaultWrite, count);
  return allowed == 0 ? 0 : std::fwrite(src, 1, allowed, file);
}

bool PlatformSetUnbuffered(PlatformFile *file) {
  return std::setvbuf(file, nullptr, _IONBF, 0) == 0;
}

bool PlatformTruncate(PlatformFile *file, uint64_t length) {
  // Nothing is buffered, so the file's size is what every write delivered.
#if defined(_WIN32)
  int fd = _fileno(file);
  struct _stat64 st;
  if (_fstat64(fd, &st) != 0) return false;
  if ((st.st_mode & _S_IFMT) != _S_IFREG) return true;
  if (static_cast<uint64_t>(st.st_size) <= length) return true;
  return _chsize_s(fd, static_cast<__int64>(length)) == 0;
#else
  int fd = fileno(file);
  struct stat st;
  if (fstat(fd, &st) != 0) return false;
  if (!S_ISREG(st.st_mode)) return true;
  if (static_cast<uint64_t>(st.st_size) <= length) return true;
  return ftruncate(fd, static_cast<off_t>(length)) == 0;
#endif
}

bool PlatformClose(PlatformFile *file) {
  bool injected = FaultFires(kFaultClose, 1);
  FaultForget(file);
  bool closed = std::fclose(file) == 0;
  return closed && !injected;
}

}  // namespace quillpack
