// Hex armour read and written one character at a time.
#include "hex_text.h"

namespace quillpack_test {
namespace {

int DigitValue(uint8_t c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

}  // namespace

bool IsArmourSpace(int c) {
  return c == '\n' || c == '\r' || c == ' ' || c == '\t';
}

PlainHex PlainReadHex(const uint8_t *text, size_t size, const std::function<bool(uint8_t)> &take) {
  PlainHex hex{true, {}, ""};
  size_t i = 0;
  auto next = [&]() -> int {
    while (i < size && IsArmourSpace(text[i])) ++i;
    return i < size ? text[i++] : -1;
  };
  for (int first; (first = next()) >= 0;) {
    int second = next();
    if (second < 0) return {false, hex.bytes, "Error: Incomplete hex pair\n"};
    int high = DigitValue(static_cast<uint8_t>(first));
    int low = DigitValue(static_cast<uint8_t>(second));
    if (high < 0 || low < 0) return {false, hex.bytes, "Error: Invalid hex character\n"};
    uint8_t byte = static_cast<uint8_t>(high << 4 | low);
    if (take && !take(byte)) return {false, hex.bytes, ""};
    hex.bytes.push_back(byte);
  }
  return hex;
}

Bytes HexToBytes(const std::string &text) {
  return PlainReadHex(reinterpret_cast<const uint8_t *>(text.data()), text.size()).bytes;
}

std::string PlainArmour(const Bytes &stream) {
  static const char kDigits[] = "0123456789ABCDEF";
  std::string text;
  for (size_t i = 0; i < stream.size(); ++i) {
    text += kDigits[stream[i] >> 4];
    text += kDigits[stream[i] & 0xF];
    if (i % 40 == 39 || i + 1 == stream.size()) text += '\n';
  }
  return text;
}

}  // namespace quillpack_test
