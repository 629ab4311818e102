// The exported functions: convert both paths, run the operation, return 999.
#include "quillpack.h"

#include "boundary/path_storage.h"
#include "codec/codec.h"
#include "platform/platform.h"

namespace {

constexpr int32_t kAlwaysReturned = 999;

// Converts the output path, then the input path, runs `operation` and releases both. A
// write into a pipe whose reader has gone, message lines included, fails like any other
// write instead of killing the host with SIGPIPE.
int32_t RunWithPaths(int (*operation)(const char *, const char *), const QuillpackChar *input_path,
                     const QuillpackChar *output_path) {
  static_assert(sizeof(QuillpackChar) == sizeof(quillpack::PlatformWideChar));
  quillpack::PathStorage output;
  quillpack::PathStorage input;
  quillpack::PathStorageConvert(&output, output_path);
  quillpack::PathStorageConvert(&input, input_path);
  quillpack::PlatformPipeGuard guard;
  quillpack::PlatformPipeGuardBegin(&guard);
  operation(input.path, output.path);  // the outcome is reported by the operation itself
  quillpack::PlatformPipeGuardEnd(&guard);
  quillpack::PathStorageRelease(&input);
  quillpack::PathStorageRelease(&output);
  return kAlwaysReturned;
}

}  // namespace

extern "C" int32_t QUILLPACK_CALL Quillpack(const QuillpackChar *input_path,
                                            const QuillpackChar *output_path) {
  return RunWithPaths(quillpack::CompressFile, input_path, output_path);
}

extern "C" int32_t QUILLPACK_CALL Quillunpack(const QuillpackChar *input_path,
                                              const QuillpackChar *output_path) {
  return RunWithPaths(quillpack::DecompressFile, input_path, output_path);
}
