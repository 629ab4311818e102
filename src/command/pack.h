// Packing a stream into a container, in bounded memory, on one thread or on workers.
#pragma once

#include "command/console.h"
#include "command/stream_outcome.h"

namespace quillpack_command {

struct Packer;

// A packer that codes on up to `threads` threads: with 2 or more, on workers (as many as can
// be started), with the calling thread reading and writing; with 1, on the calling thread.
// Null when memory runs out.
[[nodiscard]] Packer *PackerCreate(unsigned threads);
void PackerDestroy(Packer *packer);

// Reads `input` to its end and writes its container text to `output`: byte for byte the
// container the library writes for the same bytes, however the reads arrive. `size` is the
// input's size when known (else 0), which only shapes the last segments. Holds at most a few
// segments of input and their tokens at a time. Stops at the first failure; what was written
// by then stays.
[[nodiscard]] StreamOutcome PackStream(Packer *packer, int input, uint64_t size, int output,
                                       Progress *progress);

}  // namespace quillpack_command
