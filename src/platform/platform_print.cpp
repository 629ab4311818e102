// Message lines on the standard streams.
#include <cstdarg>

#include "platform/platform.h"

namespace quillpack {

// Each line is one vfprintf call, which holds the stream's lock for its duration, so
// lines of concurrent callers never mix within a line.
void PlatformPrintError(const char *format, ...) {
  va_list args;
  va_start(args, format);
  std::vfprintf(stderr, format, args);
  va_end(args);
}

void PlatformPrintOut(const char *format, ...) {
  va_list args;
  va_start(args, format);
  std::vfprintf(stdout, format, args);
  va_end(args);
  std::fflush(stdout);
}

}  // namespace quillpack
