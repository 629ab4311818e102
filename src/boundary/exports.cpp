// The exported functions: convert both paths, run the operation, return 999.
#include "quillpack.h"

#include <type_traits>

#include "boundary/path_storage.h"
#include "codec/codec.h"
#include "platform/platform.h"

namespace {

constexpr int32_t kAlwaysReturned = 999;

// Converts the output path, then the input path, runs `operation` and releases both. A
// write into a pipe whose reader has gone, or past the file size limit, message lines
// included, fails like any other write instead of killing the host with a signal.
int32_t RunWithPaths(int (*operation)(const char *, const char *), const QuillpackChar *input_path,
                     const QuillpackChar *output_path) {
  static_assert(std::is_same_v<QuillpackChar, quillpack::PlatformWideChar>,
                "the platform converts the code units the host passes");
  quillpack::PathStorage output;
  quillpack::PathStorage input;
  quillpack::PathStorageConvert(&output, output_path);
  quillpack::PathStorageConvert(&input, input_path);
  // The outcome is reported by the operation itself, in its lines and its output file.
  static_cast<void>(quillpack::PlatformRunSignalGuarded(operation, input.path, output.path));
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
