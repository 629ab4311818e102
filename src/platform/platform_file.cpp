// File streams on top of stdio, with the fault-injection hooks of the test build.
#include "platform/platform.h"

#include "platform/fault_state.h"

namespace quillpack {

PlatformFile *PlatformOpen(const char *path, const char *mode) {
  if (path == nullptr) return nullptr;
  return std::fopen(path, mode);
}

size_t PlatformRead(PlatformFile *file, void *dst, size_t count) {
  if (FaultFires(kFaultRead, 1)) {
    // Reading nothing and then asking for a byte past a failed descriptor is the only
    // portable way to set the stream's error flag; mark it explicitly instead.
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
  size_t written = allowed == 0 ? 0 : std::fwrite(src, 1, allowed, file);
  return written;
}

bool PlatformClose(PlatformFile *file) {
  bool injected = FaultFires(kFaultClose, 1);
  FaultForget(file);
  bool closed = std::fclose(file) == 0;
  return closed && !injected;
}

}  // namespace quillpack
