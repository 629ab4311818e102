// Windows raises no signal on a failed write (no SIGPIPE, no SIGXFSZ): the write simply fails.
#include "platform/assertion.h"
#include "platform/failed_writes.h"
#include "platform/platform.h"

namespace quillpack {

void PlatformNoteFailedWrite(int) {}

int PlatformRunSignalGuarded(int (*operation)(const char *, const char *), const char *input_path,
                             const char *output_path) {
  QUILLPACK_ASSERT(operation != nullptr);
  return operation(input_path, output_path);
}

}  // namespace quillpack
