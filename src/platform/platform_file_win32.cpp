// Files beneath the streams on Windows: opening for the host's sake, file identity, cutting a
// file, writes to a descriptor, stream locks. Descriptors are the C runtime's, over handles.
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <windows.h>

#include <climits>
#include <cstdint>
#include <cstring>

#include "platform/assertion.h"
#include "platform/descriptor.h"
#include "platform/platform.h"

namespace quillpack {
namespace {

// The C runtime's descriptors of the standard streams, 0 to 2.
constexpr int kStandardDescriptors = 3;

HANDLE HandleOf(int fd) {
  return reinterpret_cast<HANDLE>(_get_osfhandle(fd));
}

// Moves `fd` above the standard descriptors: a new descriptor takes the lowest free number,
// so descriptors over non-inheritable copies of the handle are made until one lands above
// 2, and those below are closed. (_dup would make inheritable copies.) `flags` are the
// descriptor's mode flags. Returns the descriptor, or -1 with every one of them closed.
int MoveAboveStandard(int fd, int flags) {
  int held[kStandardDescriptors];
  int count = 0;
  while (fd >= 0 && fd < kStandardDescriptors) {
    QUILLPACK_ASSERT(count < kStandardDescriptors);
    held[count++] = fd;
    HANDLE copy = nullptr;
    fd = -1;
    if (DuplicateHandle(GetCurrentProcess(), HandleOf(held[count - 1]), GetCurrentProcess(), &copy,
                        0, FALSE, DUPLICATE_SAME_ACCESS)) {
      fd = _open_osfhandle(reinterpret_cast<intptr_t>(copy), flags | _O_NOINHERIT);
      if (fd < 0) CloseHandle(copy);
    }
  }
  while (count > 0) _close(held[--count]);
  return fd;
}

}  // namespace

int PlatformOpenDescriptor(const char *path, const char *mode) {
  QUILLPACK_ASSERT(path != nullptr && mode != nullptr && (mode[0] == 'r' || mode[0] == 'w'));
  int text = std::strchr(mode, 'b') != nullptr ? _O_BINARY : _O_TEXT;
  int access = mode[0] == 'r' ? _O_RDONLY : _O_WRONLY | _O_CREAT;
  int fd = _open(path, access | text | _O_NOINHERIT, _S_IREAD | _S_IWRITE);
  return MoveAboveStandard(fd, text);
}

bool PlatformSameFileOpen(int a, int b) {
  BY_HANDLE_FILE_INFORMATION a_info;
  BY_HANDLE_FILE_INFORMATION b_info;
  return GetFileInformationByHandle(HandleOf(a), &a_info) &&
         GetFileInformationByHandle(HandleOf(b), &b_info) &&
         a_info.dwVolumeSerialNumber == b_info.dwVolumeSerialNumber &&
         a_info.nFileIndexHigh == b_info.nFileIndexHigh &&
         a_info.nFileIndexLow == b_info.nFileIndexLow;
}

std::FILE *PlatformStreamOver(int fd, const char *mode) {
  std::FILE *file = _fdopen(fd, mode);
  if (file == nullptr) _close(fd);
  return file;
}

int PlatformDescriptorOf(std::FILE *stream) {
  return _fileno(stream);
}

void PlatformCloseDescriptor(int fd) {
  _close(fd);
}

// Windows interrupts no write for a signal, and raises none for a failed one.
bool PlatformWriteDescriptor(int fd, const char *bytes, size_t count) {
  while (count > 0) {
    unsigned piece = count > INT_MAX ? INT_MAX : static_cast<unsigned>(count);
    int n = _write(fd, bytes, piece);
    if (n <= 0) return false;
    bytes += n;
    count -= static_cast<size_t>(n);
  }
  return true;
}

bool PlatformTruncate(PlatformFile *file, uint64_t length) {
  QUILLPACK_ASSERT(file != nullptr);
  // Nothing is buffered, so the file's size is what every write delivered.
  int fd = _fileno(file);
  struct _stat64 st;
  if (_fstat64(fd, &st) != 0) return false;
  if ((st.st_mode & _S_IFMT) != _S_IFREG) return true;
  if (static_cast<uint64_t>(st.st_size) <= length) return true;
  return _chsize_s(fd, static_cast<__int64>(length)) == 0;
}

void PlatformLockStream(std::FILE *stream) {
  _lock_file(stream);
}

void PlatformUnlockStream(std::FILE *stream) {
  _unlock_file(stream);
}

}  // namespace quillpack
