// Paths on Windows: UTF-16 from the host to the system's ANSI code page that fopen takes.
#include <windows.h>

#include <climits>
#include <cwchar>

#include "platform/platform.h"

namespace quillpack {

size_t PlatformWideLength(const PlatformWideChar *path) {
  return std::wcslen(path);
}

size_t PlatformPathCapacity(size_t length) {
  // An ANSI code page, double-byte ones included, needs at most two bytes per code unit.
  if (length >= SIZE_MAX / 2) return 0;
  return 2 * (length + 1);
}

bool PlatformConvertPath(const PlatformWideChar *path, char *dst, size_t capacity) {
  if (capacity == 0) return false;
  dst[0] = '\0';
  int room = capacity > INT_MAX ? INT_MAX : static_cast<int>(capacity);
  // The default code page, no flags, the whole string with its terminator, no default
  // character: characters outside the code page become the code page's own substitute.
  int written = WideCharToMultiByte(CP_ACP, 0, path, -1, dst, room, nullptr, nullptr);
  if (written > 0) return true;
  // A failed conversion may have filled part of the buffer; the promise is an empty path.
  dst[0] = '\0';
  return false;
}

}  // namespace quillpack
