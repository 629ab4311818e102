// File streams on top of stdio and the system's descriptors, with the fault-injection hooks
// of the test build.
#include <cerrno>

#include "platform/assertion.h"
#include "platform/descriptor.h"
#include "platform/failed_writes.h"
#include "platform/fault_state.h"
#include "platform/platform.h"

namespace quillpack {

PlatformFile *PlatformOpen(const char *path, const char *mode) {
  QUILLPACK_ASSERT(mode != nullptr && mode[0] == 'r');
  if (path == nullptr) return nullptr;
  int fd = PlatformOpenDescriptor(path, mode);
  return fd < 0 ? nullptr : PlatformStreamOver(fd, mode);
}

PlatformOutput PlatformOpenOutput(const char *path, const char *mode, PlatformFile *input) {
  QUILLPACK_ASSERT(mode != nullptr && mode[0] == 'w');
  const PlatformOutput not_opened{nullptr, kOutputNotOpened};
  if (path == nullptr) return not_opened;
  FaultBeforeOpenForWriting(path);
  // Opened without cutting, and compared while open: whatever the path names by now is
  // what the call would write to.
  int fd = PlatformOpenDescriptor(path, mode);
  if (fd < 0) return not_opened;
  if (input != nullptr && PlatformSameFileOpen(fd, PlatformDescriptorOf(input))) {
    PlatformCloseDescriptor(fd);
    return PlatformOutput{nullptr, kOutputIsInput};
  }
  PlatformFile *file = PlatformStreamOver(fd, mode);
  if (file == nullptr) return not_opened;
  if (std::setvbuf(file, nullptr, _IONBF, 0) != 0 || !PlatformTruncate(file, 0)) {
    static_cast<void>(std::fclose(file));
    return not_opened;
  }
  return PlatformOutput{file, kOutputOpened};
}

size_t PlatformRead(PlatformFile *file, void *dst, size_t count) {
  QUILLPACK_ASSERT(file != nullptr && (dst != nullptr || count == 0));
  if (FaultFires(kFaultRead, 1)) {
    // stdio offers no portable way to set a stream's error flag, so the failure is
    // recorded beside the stream, where PlatformReadFailed looks too.
    FaultMarkReadFailed(file);
    return 0;
  }
  auto *bytes = static_cast<unsigned char *>(dst);
  size_t got = 0;
  for (;;) {
    errno = 0;
    got += std::fread(bytes + got, 1, count - got, file);
    // An interrupted wait is no failure of the stream: its mark goes, and the read goes on.
    if (got == count || errno != EINTR || !std::ferror(file)) return got;
    std::clearerr(file);
  }
}

bool PlatformReadFailed(PlatformFile *file) {
  QUILLPACK_ASSERT(file != nullptr);
  return std::ferror(file) != 0 || FaultReadMarked(file);
}

size_t PlatformWrite(PlatformFile *file, const void *src, size_t count) {
  QUILLPACK_ASSERT(file != nullptr && (src != nullptr || count == 0));
  size_t allowed = FaultAllowedBytes(kFaultWrite, count);
  const auto *bytes = static_cast<const unsigned char *>(src);
  size_t put = 0;
  while (put < allowed) {
    errno = 0;
    // Unbuffered, so the count is what reached the file, and an interrupted write resumes
    // right after it.
    put += std::fwrite(bytes + put, 1, allowed - put, file);
    if (put == allowed) break;
    if (errno != EINTR) {
      PlatformNoteFailedWrite(errno);
      break;
    }
    std::clearerr(file);
  }
  return put;
}

bool PlatformClose(PlatformFile *file) {
  QUILLPACK_ASSERT(file != nullptr);
  bool injected = FaultFires(kFaultClose, 1);
  FaultForget(file);
  errno = 0;
  bool closed = std::fclose(file) == 0;
  if (!closed) PlatformNoteFailedWrite(errno);
  return closed && !injected;
}

}  // namespace quillpack
