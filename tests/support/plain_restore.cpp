// The plain reading of a container, one character and one token at a time.
#include "plain_restore.h"

#include <cstdio>

#include "hex_text.h"
#include "token_stream.h"

namespace quillpack_test {
namespace {

// Replays the tokens after the header into `out`; returns the failure's line, or "".
std::string Replay(const Bytes &stream, Bytes *out) {
  size_t offset = 4;
  while (offset < stream.size()) {
    uint8_t kind = stream[offset];
    if (kind == 0x00) {
      if (offset + 1 >= stream.size()) return "Error: Unexpected end of file reading literal\n";
      out->push_back(stream[offset + 1]);
      offset += 2;
    } else if (kind == 0x80) {
      if (offset + 3 >= stream.size()) return "Error: Unexpected end of file reading match\n";
      size_t length = stream[offset + 1];
      size_t distance = stream[offset + 2] | stream[offset + 3] << 8;
      offset += 4;
      size_t fill = out->size() < kWindowSize ? out->size() : kWindowSize;
      if (distance > fill || (distance == 0 && length != 0))
        return "Error: Invalid match distance\n";
      for (size_t i = 0; i < length; ++i) out->push_back((*out)[out->size() - distance]);
    } else {
      char line[64];
      std::snprintf(line, sizeof line, "Error: Invalid token type: 0x%02X\n", kind);
      return line;
    }
  }
  return "";
}

}  // namespace

PlainRestore PlainReplay(const Bytes &stream, uint64_t failing_write) {
  if (stream.size() < 4 || Bytes(stream.begin(), stream.begin() + 4) != TokenHeader())
    return {false, "Error: Invalid compressed file format\n", {}};
  PlainRestore restore{true, "", {}};
  restore.err = Replay(stream, &restore.output);
  restore.ok = restore.err.empty();
  // Whole blocks are written as they fill; the rest only after the last token.
  size_t written = restore.output.size();
  if (!restore.ok) written = written / kBlockSize * kBlockSize;
  if (failing_write != 0 && failing_write <= written) {
    restore = {false, "Error: Failed to write decompressed data\n", restore.output};
    written = static_cast<size_t>((failing_write - 1) / kBlockSize * kBlockSize);
  }
  restore.output.resize(written);
  return restore;
}

PlainRestore PlainDecompress(const uint8_t *text, size_t size, uint64_t failing_write) {
  PlainHex hex = PlainReadHex(text, size);
  if (!hex.ok) return {false, hex.error + "Error: Invalid Hex data\n", {}};
  return PlainReplay(hex.bytes, failing_write);
}

}  // namespace quillpack_test
