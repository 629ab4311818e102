// The library's lines for failures of memory and output, which every front end reports alike.
//
// A container's own faults have their lines in container_fault.h; these are the others that
// a front end without files meets too. Each is one line, without its line feed.
#pragma once

namespace quillpack {

// No memory for an operation's working state, at its start.
inline constexpr char kLineMemoryAllocationFailed[] = "Error: Memory allocation failed";
// No memory for the token stream or its text while packing.
inline constexpr char kLineBufferAllocationFailed[] = "Error: Buffer allocation failed";
// A container's text could not be decoded: after the text's own fault line, or alone when
// memory ran out.
inline constexpr char kLineInvalidHexData[] = "Error: Invalid Hex data";
// The restored bytes could not all be written (or kept).
inline constexpr char kLineWriteDecompressedFailed[] = "Error: Failed to write decompressed data";

}  // namespace quillpack
