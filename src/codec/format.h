// The container's token stream: its header, its token kinds and the coder's fixed limits.
//
// A token stream is the header followed by tokens back to back up to its end: a literal is
// kTokenLiteral and the byte; a match is kTokenMatch, its length (one byte) and its distance
// (two bytes, low byte first). It has no end marker, size or checksum.
#pragma once

#include <cstdint>

namespace quillpack {

// The compressor codes its input in blocks of this many bytes, as one read delivers them,
// and no match runs past the end of a block; the decompressor writes what it restores in
// whole blocks of the same size.
constexpr uint32_t kBlockSize = 4096;

// The history both sides keep: a match reaches at most this many bytes back.
constexpr uint32_t kWindowSize = 32768;

// The shortest and the longest match the compressor writes.
constexpr uint32_t kMinMatch = 3;
constexpr uint32_t kMaxMatch = 255;

// "QPK", then the format's version.
constexpr uint8_t kHeader[4] = {0x51, 0x50, 0x4B, 0x01};

constexpr uint8_t kTokenLiteral = 0x00;
constexpr uint8_t kTokenMatch = 0x80;

static_assert(kMaxMatch <= UINT8_MAX, "a match's length fits its one byte");
static_assert(kWindowSize <= UINT16_MAX, "a match's distance fits its two bytes");
static_assert(kMaxMatch < kBlockSize, "a block holds the longest match");

}  // namespace quillpack
