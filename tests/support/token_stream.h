// Token streams built and taken apart by hand, and the rules the library's writer keeps.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "bytes.h"

namespace quillpack_test {

constexpr size_t kBlockSize = 4096;    // a read of the compressor, a write of the restorer
constexpr size_t kWindowSize = 32768;  // the history a match may reach into

// The four header bytes "QPK" 0x01, to which tokens are appended.
Bytes TokenHeader();

// Appends a literal token (0x00, the byte) or a match token (0x80, the length's low byte,
// the distance's low 16 bits low byte first) to `stream`.
void AddLiteral(Bytes *stream, uint8_t byte);
void AddMatch(Bytes *stream, uint32_t length, uint32_t distance);

struct Token {
  bool match;
  uint32_t length;  // 1 for a literal
  uint32_t distance;
  uint8_t literal;
};

// The tokens after the header of `stream`. A token cut off by the end, or whose kind byte
// is neither 0x00 nor 0x80, ends the list.
std::vector<Token> SplitTokens(const Bytes &stream);

// "" when `stream` is what the library's writer may produce for some input: the header,
// then whole tokens of the two kinds, each match of length 3 to 255, no longer than its
// distance, reaching no further back than the window (32768 bytes, and no more than have
// been restored) and ending in the 4096-byte block it starts in. Otherwise a description of
// the first token that breaks a rule.
std::string BrokenWriterRule(const Bytes &stream);

}  // namespace quillpack_test
