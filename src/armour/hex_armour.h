// Hex armour: the text form of a token stream, two uppercase digits a byte, 80 to a line,
// written to and read from the library's file streams.
#pragma once

#include <cstdint>

#include "armour/byte_buffer.h"
#include "armour/hex_codec.h"
#include "codec/container_fault.h"
#include "platform/platform.h"

namespace quillpack {

// Characters the writer hands the stream at a time (whole lines of 80 digits and a line
// feed) and the most the reader takes from it at a time. Both live on the stack. The
// writer's is kept to about a block. The reader's is larger, as fewer reads cost visibly
// less, yet still far smaller than the window, which the decompressor holds only once the
// reading is done.
constexpr uint32_t kHexWriteChunk = 50 * 81;
constexpr uint32_t kHexReadChunk = 16384;

// Writes `count` bytes as hex text: a line feed after every 80 digits and, when the last
// line is not empty, after it; nothing at all for 0 bytes. Returns 1 when every character
// was accepted, 0 at the first that was not (what was accepted before it stays written).
// Prints nothing.
[[nodiscard]] int WriteHexArmour(const uint8_t *bytes, uint32_t count, PlatformFile *stream);

// Reads `stream` to its end and appends the decoded bytes to `buffer`, growing it exactly
// when a byte would not fit. White space (LF, CR, space, tab) is skipped anywhere, even
// inside a pair; digits of either case count. Returns 1 on success. Returns 0 after printing
// one line for malformed text ("Error: Incomplete hex pair" for an odd digit count, "Error:
// Invalid hex character" for a pair with a non-digit) or for a read error, and 0 without a
// line when the buffer cannot grow. On failure the bytes decoded before the fault stay
// appended.
[[nodiscard]] int ReadHexArmour(PlatformFile *stream, ByteBuffer *buffer);

// Prints the library's line for `fault` (not kContainerOk) on standard error.
void PrintContainerFault(ContainerFault fault);

}  // namespace quillpack
