// Windows has no SIGPIPE: a write to a pipe whose reader has gone simply fails.
#include "platform/assertion.h"
#include "platform/platform.h"

namespace quillpack {

int PlatformRunPipeGuarded(int (*operation)(const char *, const char *), const char *input_path,
                           const char *output_path) {
  QUILLPACK_ASSERT(operation != nullptr);
  return operation(input_path, output_path);
}

}  // namespace quillpack
