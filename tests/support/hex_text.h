// Hex armour read and written one character at a time: the plain reading of a container's
// text, which the library's chunked reader and writer are held to.
#pragma once

#include <cstddef>
#include <functional>
#include <string>

#include "bytes.h"

namespace quillpack_test {

// White space in hex armour: line feed, carriage return, space and tab.
bool IsArmourSpace(int c);

// What reading hex text gives: success, the bytes decoded (up to the fault on failure) and
// the reader's own line ("" when it prints none).
struct PlainHex {
  bool ok;
  Bytes bytes;
  std::string error;
};

// Reads `text` as hex armour: white space skipped anywhere, digits of either case, a pair
// judged once both its characters are in hand (a lone last character is an odd count).
// Each decoded byte is offered to `take` when one is given; a byte it refuses ends the
// reading as a failure without a line of its own, as memory running out does.
PlainHex PlainReadHex(const uint8_t *text, size_t size,
                      const std::function<bool(uint8_t)> &take = nullptr);

// The bytes that `text`, hex armour the library wrote, stands for.
Bytes HexToBytes(const std::string &text);

// The one text the writer may produce for `stream`: uppercase digits, a line feed after
// every 80 of them and after a last, shorter line.
std::string PlainArmour(const Bytes &stream);

}  // namespace quillpack_test
