// UTF-8 text as the UTF-16 paths the exported functions take.
#include "utf16.h"

#include <cstdint>

namespace quillpack_test {

HostPath Utf16(const std::string &utf8) {
  HostPath out;
  for (size_t i = 0; i < utf8.size();) {
    uint32_t code = static_cast<uint8_t>(utf8[i]);
    int extra = code >= 0xF0 ? 3 : code >= 0xE0 ? 2 : code >= 0xC0 ? 1 : 0;
    code &= extra == 0 ? 0xFF : 0x3F >> extra;
    for (int k = 1; k <= extra && i + k < utf8.size(); ++k)
      code = code << 6 | (static_cast<uint8_t>(utf8[i + k]) & 0x3F);
    i += 1 + static_cast<size_t>(extra);
    if (code >= 0x10000) {
      code -= 0x10000;
      out.push_back(static_cast<QuillpackChar>(0xD800 + (code >> 10)));
      out.push_back(static_cast<QuillpackChar>(0xDC00 + (code & 0x3FF)));
    } else {
      out.push_back(static_cast<QuillpackChar>(code));
    }
  }
  return out;
}

}  // namespace quillpack_test
