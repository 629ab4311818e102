// A plain reading of the container format, one character and one token at a time: the
// oracle the fuzz targets hold the library to.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace quillpack_fuzz {

using Bytes = std::vector<uint8_t>;

// What reading hex text gives: success, the bytes decoded (up to the fault on failure) and
// the reader's own line ("" when it prints none).
struct PlainHex {
  bool ok;
  Bytes bytes;
  std::string error;
};

// Reads `text` as hex armour: white space (LF, CR, space, tab) skipped anywhere, digits of
// either case, a pair judged once both its characters are in hand.
PlainHex PlainReadHex(const uint8_t *text, size_t size);

// What restoring a container must give: success, the lines on standard error, and the
// bytes of the output file (after a failure, the whole 4096-byte blocks restored before it).
struct PlainRestore {
  bool ok;
  std::string err;
  Bytes output;
};

// Restores the container whose file holds `text`.
PlainRestore PlainDecompress(const uint8_t *text, size_t size);

// The one hex text the writer may produce for `stream`: uppercase digits, a line feed after
// every 80 of them and after a last, shorter line.
std::string PlainArmour(const Bytes &stream);

}  // namespace quillpack_fuzz
