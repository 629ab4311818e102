// The resources of one file operation: acquired in order, released in one place.
#include "codec/operation.h"

#include "codec/failure_lines.h"
#include "platform/assertion.h"

namespace quillpack {
namespace {

// Closes a stream whose closing has nothing left to report: one that was only read, or one
// given up after a failure that is reported already.
void CloseQuietly(PlatformFile *file) {
  static_cast<void>(PlatformClose(file));
}

}  // namespace

bool OperationBegin(const char *input_path, const char *input_mode, const char *output_path,
                    const char *output_mode, Operation *operation) {
  QUILLPACK_ASSERT(input_mode != nullptr && output_mode != nullptr && operation != nullptr);
  operation->input = PlatformOpen(input_path, input_mode);
  if (operation->input == nullptr) {
    PlatformPrintError("Error: Cannot open input file '%s'\n", input_path);
    return false;
  }
  PlatformOutput output = PlatformOpenOutput(output_path, output_mode, operation->input);
  if (output.status != kOutputOpened) {
    if (output.status == kOutputIsInput) {
      PlatformPrintError("Error: Input and output are the same file '%s'\n", input_path);
    } else {
      PlatformPrintError("Error: Cannot open output file '%s'\n", output_path);
    }
    CloseQuietly(operation->input);
    return false;
  }
  operation->output = output.file;
  operation->tokens = ByteBufferCreate(kTokenBufferCapacity);
  if (operation->tokens == nullptr) {
    PlatformPrintError("%s\n", kLineMemoryAllocationFailed);
    CloseQuietly(operation->input);
    CloseQuietly(operation->output);
    return false;
  }
  return true;
}

bool OperationEnd(Operation *operation) {
  QUILLPACK_ASSERT(operation->input != nullptr && operation->output != nullptr);
  QUILLPACK_ASSERT(ByteBufferIsSound(operation->tokens));
  ByteBufferDestroy(operation->tokens);
  CloseQuietly(operation->input);
  return PlatformClose(operation->output);
}

}  // namespace quillpack
