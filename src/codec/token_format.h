// The token stream's header and kind bytes, shared by the compressor and decompressor.
#pragma once

#include <cstdint>

namespace quillpack {

constexpr uint8_t kHeader[4] = {0x51, 0x50, 0x4B, 0x01};  // "QPK", version 1
constexpr uint8_t kTokenLiteral = 0x00;                   // 0x00, byte
constexpr uint8_t kTokenMatch = 0x80;                     // 0x80, length, distance (LE16)

}  // namespace quillpack
