// Opening the two streams of a file operation, with its failure messages.
#include "codec/open_streams.h"

namespace quillpack {

bool OpenStreams(const char *input_path, const char *input_mode, const char *output_path,
                 const char *output_mode, StreamPair *streams) {
  streams->input = PlatformOpen(input_path, input_mode);
  if (streams->input == nullptr) {
    PlatformPrintError("Error: Cannot open input file '%s'\n", PlatformShowPath(input_path));
    return false;
  }
  if (PlatformSameFile(streams->input, output_path)) {
    PlatformPrintError("Error: Input and output are the same file '%s'\n",
                       PlatformShowPath(input_path));
    PlatformClose(streams->input);
    return false;
  }
  streams->output = PlatformOpen(output_path, output_mode);
  if (streams->output == nullptr) {
    PlatformPrintError("Error: Cannot open output file '%s'\n", PlatformShowPath(output_path));
    PlatformClose(streams->input);
    return false;
  }
  return true;
}

}  // namespace quillpack
