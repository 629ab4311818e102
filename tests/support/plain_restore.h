// The plain reading of a container, one character and one token at a time: what restoring
// it must print and leave, the oracle the library's decompressor is held to.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "bytes.h"

namespace quillpack_test {

// What restoring a container must give: success, the lines on standard error, and the
// bytes of the output file.
struct PlainRestore {
  bool ok;
  std::string err;
  Bytes output;
};

// Replays the token stream `stream` (header included) a byte at a time: a literal adds its
// byte, a match of length L and distance D adds L bytes, each the one D bytes behind the
// end so far (so it may copy what it has just added). D may not exceed the bytes restored
// so far, nor the 32768-byte window; D 0 passes only with L 0, the empty match. After a
// failure the output holds only the whole 4096-byte blocks restored before it, as the
// restorer's staging leaves the file. When `failing_write` is not 0, the write of the block
// that holds output byte number `failing_write` (from 1) fails, if replay gets that far.
PlainRestore PlainReplay(const Bytes &stream, uint64_t failing_write = 0);

// Restores the container whose file holds `text`: PlainReadHex, then PlainReplay.
PlainRestore PlainDecompress(const uint8_t *text, size_t size, uint64_t failing_write = 0);

}  // namespace quillpack_test
