// Paths on Windows: UTF-16 from the host to the system's ANSI code page that fopen takes.
#include <windows.h>

#include <climits>
#include <cwchar>

#include "platform/assertion.h"
#include "platform/platform.h"

namespace quillpack {

size_t PlatformWideLength(const PlatformWideChar *path) {
  QUILLPACK_ASSERT(path != nullptr);
  return std::wcslen(path);
}

size_t PlatformPathCapacity(size_t length) {
  // A double-byte code page needs at most two bytes per code unit; UTF-8, which Windows
  // allows as the ANSI code page, needs three (four for a surrogate pair of two units).
  size_t per_unit = GetACP() == CP_UTF8 ? 3 : 2;
  if (length >= SIZE_MAX / per_unit) return 0;
  return per_unit * (length + 1);
}

bool PlatformConvertPath(const PlatformWideChar *path, char *dst, size_t capacity) {
  QUILLPACK_ASSERT(path != nullptr && dst != nullptr);
  if (capacity == 0) return false;
  dst[0] = '\0';
  int room = capacity > INT_MAX ? INT_MAX : static_cast<int>(capacity);
  // Only an exact conversion will do. Left to itself the conversion maps a character the
  // code page lacks to a look-alike (a fullwidth full stop to '.', a fullwidth reverse
  // solidus to '\', a division slash to '/'), so a path the host checked in UTF-16 would
  // name another file, outside the folder it checked.
  UINT code_page = GetACP();
  int written;
  if (code_page == CP_UTF8) {
    // UTF-8 holds every character; only a lone surrogate has no form, which this flag
    // turns into a failure (UTF-8 takes no default-character query).
    written =
        WideCharToMultiByte(code_page, WC_ERR_INVALID_CHARS, path, -1, dst, room, nullptr, nullptr);
  } else {
    BOOL substituted = FALSE;
    written = WideCharToMultiByte(code_page, WC_NO_BEST_FIT_CHARS, path, -1, dst, room, nullptr,
                                  &substituted);
    if (substituted) written = 0;
  }
  if (written > 0) return true;
  // A failed conversion may have filled part of the buffer; the promise is an empty path.
  dst[0] = '\0';
  return false;
}

}  // namespace quillpack
