// Paths on POSIX systems: UTF-16 from the host to the UTF-8 that the file calls take.
#include "platform/assertion.h"
#include "platform/platform.h"

namespace quillpack {

size_t PlatformWideLength(const PlatformWideChar *path) {
  QUILLPACK_ASSERT(path != nullptr);
  size_t n = 0;
  while (path[n] != 0) ++n;
  return n;
}

size_t PlatformPathCapacity(size_t length) {
  // A 16-bit unit never needs more than three UTF-8 bytes (a surrogate pair, two units,
  // needs four).
  if (length >= SIZE_MAX / 3) return 0;
  return 3 * (length + 1);
}

bool PlatformConvertPath(const PlatformWideChar *path, char *dst, size_t capacity) {
  QUILLPACK_ASSERT(path != nullptr && dst != nullptr);
  if (capacity == 0) return false;
  size_t out = 0;
  for (size_t i = 0;; ++i) {
    uint32_t unit = path[i];
    uint32_t code = unit;
    if (unit >= 0xD800 && unit <= 0xDBFF) {
      uint32_t low = path[i + 1];
      if (low < 0xDC00 || low > 0xDFFF) break;  // lone high surrogate
      code = 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00);
      ++i;
    } else if (unit >= 0xDC00 && unit <= 0xDFFF) {
      break;  // lone low surrogate
    }
    size_t need = code < 0x80 ? 1 : code < 0x800 ? 2 : code < 0x10000 ? 3 : 4;
    if (capacity - out < need) break;
    if (need == 1) {
      dst[out++] = static_cast<char>(code);
      if (code == 0) return true;
    } else if (need == 2) {
      dst[out++] = static_cast<char>(0xC0 | code >> 6);
      dst[out++] = static_cast<char>(0x80 | (code & 0x3F));
    } else if (need == 3) {
      dst[out++] = static_cast<char>(0xE0 | code >> 12);
      dst[out++] = static_cast<char>(0x80 | (code >> 6 & 0x3F));
      dst[out++] = static_cast<char>(0x80 | (code & 0x3F));
    } else {
      dst[out++] = static_cast<char>(0xF0 | code >> 18);
      dst[out++] = static_cast<char>(0x80 | (code >> 12 & 0x3F));
      dst[out++] = static_cast<char>(0x80 | (code >> 6 & 0x3F));
      dst[out++] = static_cast<char>(0x80 | (code & 0x3F));
    }
  }
  dst[0] = '\0';
  return false;
}

}  // namespace quillpack
