// Opening the two streams of a file operation, with its failure messages.
#pragma once

#include "platform/platform.h"

namespace quillpack {

struct StreamPair {
  PlatformFile *input;
  PlatformFile *output;
};

// Opens `input_path` with `input_mode`, then `output_path` with `output_mode`. Refuses an
// output path that names the open input (through any link) before opening it, so the input
// is never truncated. Returns true with both streams open; false after printing the
// failure's line, with nothing left open and the output untouched unless it was opened.
bool OpenStreams(const char *input_path, const char *input_mode, const char *output_path,
                 const char *output_mode, StreamPair *streams);

}  // namespace quillpack
