// File streams on top of stdio, with the fault-injection hooks of the test build.
#include "platform/assertion.h"
#include "platform/fault_state.h"
#include "platform/platform.h"

namespace quillpack {

size_t PlatformRead(PlatformFile *file, void *dst, size_t count) {
  QUILLPACK_ASSERT(file != nullptr && (dst != nullptr || count == 0));
  if (FaultFires(kFaultRead, 1)) {
    // stdio offers no portable way to set a stream's error flag, so the failure is
    // recorded beside the stream, where PlatformReadFailed looks too.
    FaultMarkReadFailed(file);
    return 0;
  }
  return std::fread(dst, 1, count, file);
}

bool PlatformReadFailed(PlatformFile *file) {
  QUILLPACK_ASSERT(file != nullptr);
  return std::ferror(file) != 0 || FaultReadMarked(file);
}

size_t PlatformWrite(PlatformFile *file, const void *src, size_t count) {
  QUILLPACK_ASSERT(file != nullptr && (src != nullptr || count == 0));
  size_t allowed = FaultAllowedBytes(kFaultWrite, count);
  return allowed == 0 ? 0 : std::fwrite(src, 1, allowed, file);
}

bool PlatformSetUnbuffered(PlatformFile *file) {
  QUILLPACK_ASSERT(file != nullptr);
  return std::setvbuf(file, nullptr, _IONBF, 0) == 0;
}

bool PlatformClose(PlatformFile *file) {
  QUILLPACK_ASSERT(file != nullptr);
  bool injected = FaultFires(kFaultClose, 1);
  FaultForget(file);
  bool closed = std::fclose(file) == 0;
  return closed && !injected;
}

}  // namespace quillpack
