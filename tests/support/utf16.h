// UTF-8 text as the UTF-16 paths the exported functions take.
#pragma once

#include <string>

#include "quillpack.h"

namespace quillpack_test {

// A path as the exported functions take it: char16_t units, wchar_t on Windows.
using HostPath = std::basic_string<QuillpackChar>;

// Converts UTF-8 to UTF-16, characters above U+FFFF to surrogate pairs. Malformed input is
// not refused: a sequence cut short by the end of the text ends it.
HostPath Utf16(const std::string &utf8);

}  // namespace quillpack_test
