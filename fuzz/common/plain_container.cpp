// A plain reading of the container format, one character and one token at a time.
#include "plain_container.h"

#include <cstdio>

namespace quillpack_fuzz {
namespace {

constexpr size_t kBlock = 4096;
constexpr size_t kWindow = 32768;

bool IsWhite(uint8_t c) { return c == '\n' || c == '\r' || c == ' ' || c == '\t'; }

int DigitValue(uint8_t c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

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
      size_t fill = out->size() < kWindow ? out->size() : kWindow;
      if (distance > fill || (distance == 0 && length != 0)) return "Error: Invalid match distance\n";
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

PlainHex PlainReadHex(const uint8_t *text, size_t size) {
  PlainHex hex{true, {}, ""};
  size_t i = 0;
  for (;;) {
    while (i < size && IsWhite(text[i])) ++i;
    if (i == size) return hex;
    uint8_t first = text[i++];
    while (i < size && IsWhite(text[i])) ++i;
    if (i == size) {
      hex.ok = false;
      hex.error = "Error: Incomplete hex pair\n";
      return hex;
    }
    uint8_t second = text[i++];
    if (DigitValue(first) < 0 || DigitValue(second) < 0) {
      hex.ok = false;
      hex.error = "Error: Invalid hex character\n";
      return hex;
    }
    hex.bytes.push_back(static_cast<uint8_t>(DigitValue(first) << 4 | DigitValue(second)));
  }
}

PlainRestore PlainDecompress(const uint8_t *text, size_t size) {
  PlainHex hex = PlainReadHex(text, size);
  if (!hex.ok) return {false, hex.error + "Error: Invalid Hex data\n", {}};
  const Bytes &stream = hex.bytes;
  if (stream.size() < 4 || stream[0] != 'Q' || stream[1] != 'P' || stream[2] != 'K' || stream[3] != 1)
    return {false, "Error: Invalid compressed file format\n", {}};
  PlainRestore restore{true, "", {}};
  restore.err = Replay(stream, &restore.output);
  if (!restore.err.empty()) {
    restore.ok = false;
    restore.output.resize(restore.output.size() / kBlock * kBlock);
  }
  return restore;
}

std::string PlainArmour(const Bytes &stream) {
  static const char digits[] = "0123456789ABCDEF";
  std::string text;
  for (size_t i = 0; i < stream.size(); ++i) {
    text += digits[stream[i] >> 4];
    text += digits[stream[i] & 0xF];
    if ((i + 1) % 40 == 0) text += '\n';
  }
  if (stream.size() % 40 != 0) text += '\n';
  return text;
}

}  // namespace quillpack_fuzz
