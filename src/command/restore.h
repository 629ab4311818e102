// Restoring a container from a stream, in bounded memory: to a file, or only checked.
#pragma once

#include "command/console.h"
#include "command/stream_outcome.h"

namespace quillpack_command {

// Reads the container text of `input` to its end and writes the bytes it stands for to
// `output`, or nowhere when `output` is -1 (a test or a listing). Accepts exactly the
// containers the library accepts and names the fault the library names for the others.
// Memory stays within a few hundred KiB whatever the size. Stops at the first failure; the
// bytes restored before it may have been written.
[[nodiscard]] StreamOutcome RestoreStream(int input, int output, Progress *progress);

}  // namespace quillpack_command
