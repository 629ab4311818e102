// File streams on top of stdio, with the fault-injection hooks of the test build.
#include "platform/platform.h"

#if defined(_WIN32)
#include <io.h>
#else
#include <stdio_ext.h>
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

bool PlatformTruncate(PlatformFile *file, uint64_t length) {
  std::fflush(file);
#if defined(_WIN32)
  return _chsize_s(_fileno(file), static_cast<__int64>(length)) == 0;
#else
  // A failed flush keeps its bytes buffered, and closing would try them again past the cut.
  __fpurge(file);
  return ftruncate(fileno(file), static_cast<off_t>(length)) == 0;
#endif
}

bool PlatformClose(PlatformFile *file) {
  bool injected = FaultFires(kFaultClose, 1);
  FaultForget(file);
  bool closed = std::fclose(file) == 0;
  return closed && !injected;
}

}  // namespace quillpack
