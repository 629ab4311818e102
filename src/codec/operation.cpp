// The resources of one file operation: acquired in order, released in one place.
#include "codec/operation.h"

namespace quillpack {

bool OperationBegin(const char *input_path, const char *input_mode, const char *output_path,
                    const char *output_mode, Operation *operation) {
  operation->input = PlatformOpen(input_path, input_mode);
  if (operation->input == nullptr) {
    PlatformPrintError("Error: Cannot open input file '%s'\n", PlatformShowPath(input_path));
    return false;
  }
  if (PlatformSameFile(operation->input, output_path)) {
    PlatformPrintError("Error: Input and output are the same file '%s'\n",
                       PlatformShowPath(input_path));
    PlatformClose(operation->input);
    return false;
  }
  operation->output = PlatformOpen(output_path, output_mode);
  if (operation->output == nullptr) {
    PlatformPrintError("Error: Cannot open output file '%s'\n", PlatformShowPath(output_path));
    PlatformClose(operation->input);
    return false;
  }
  operation->tokens = ByteBufferCreate(4096);
  if (operation->tokens == nullptr) {
    PlatformPrintError("Error: Memory allocation failed\n");
    PlatformClose(operation->input);
    PlatformClose(operation->output);
    return false;
  }
  return true;
}

bool OperationEnd(Operation *operation) {
  ByteBufferDestroy(operation->tokens);
  PlatformClose(operation->input);
  return PlatformClose(operation->output);
}

}  // namespace quillpack
