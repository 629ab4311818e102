// The resources of one file operation: its two streams and its token buffer.
#pragma once

#include "armour/byte_buffer.h"
#include "platform/platform.h"

namespace quillpack {

// The token buffer's first capacity; it doubles from there as the stream needs.
constexpr uint32_t kTokenBufferCapacity = 4096;

struct Operation {
  PlatformFile *input;
  PlatformFile *output;
  ByteBuffer *tokens;  // created with kTokenBufferCapacity bytes
};

// Opens `input_path` with `input_mode`, then `output_path` with `output_mode`
// (PlatformOpenOutput: unbuffered), then creates the token buffer. Refuses an output path
// that names the open input, through any link, even one swapped in while the call runs:
// the comparison is made on the open files, and an existing output is cut to nothing only
// once it is known to be another file, so the input is never harmed. Returns true with all
// three held; false after printing the failure's line, with nothing left held and an
// existing output as it was, unless it was opened (then it is empty). Both modes are stdio
// mode strings; a path may be null (absent).
[[nodiscard]] bool OperationBegin(const char *input_path, const char *input_mode,
                                  const char *output_path, const char *output_mode,
                                  Operation *operation);

// Releases the buffer, then closes the input, then the output, of an operation that
// OperationBegin opened. Returns false when the output's buffered bytes could not all be
// written.
[[nodiscard]] bool OperationEnd(Operation *operation);

}  // namespace quillpack
