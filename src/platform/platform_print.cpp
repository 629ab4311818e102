// Message lines on the standard streams, assembled by hand rather than by printf.
//
// printf on an unbuffered stream (standard error) formats into a stack buffer of several
// kilobytes, more than a call on a small thread stack can spare; and paths are the host's,
// so they are shown with their control characters masked.
#include <cstdarg>

#include "platform/assertion.h"
#include "platform/platform.h"
#include "platform/stream_lock.h"

namespace quillpack {
namespace {

// A line up to this long goes out in one stream call; a longer one in pieces of this size.
constexpr size_t kLineRoom = 256;

struct LineWriter {
  std::FILE *stream;
  size_t used;
  char text[kLineRoom];
};

// The stream is locked for the whole line, so pieces of a long line stay together.
void Put(LineWriter *writer, char c) {
  if (writer->used == sizeof writer->text) {
    std::fwrite(writer->text, 1, writer->used, writer->stream);
    writer->used = 0;
  }
  writer->text[writer->used++] = c;
}

// A path as a message shows it: "(null)" when absent, control characters as '?', so that a
// message stays one line.
void PutPath(LineWriter *writer, const char *path) {
  for (const char *p = path != nullptr ? path : "(null)"; *p != '\0'; ++p) {
    auto c = static_cast<unsigned char>(*p);
    Put(writer, c < 0x20 || c == 0x7F ? '?' : *p);
  }
}

void PutHex(LineWriter *writer, unsigned value) {
  char digits[sizeof value * 2];
  int n = 0;
  do {
    digits[n++] = "0123456789ABCDEF"[value & 0xF];
    value >>= 4;
  } while (value != 0);
  if (n < 2) digits[n++] = '0';
  while (n > 0) Put(writer, digits[--n]);
}

void PrintLine(std::FILE *stream, bool flush, const char *format, va_list args) {
  QUILLPACK_ASSERT(format != nullptr);
  LineWriter writer;
  writer.stream = stream;
  writer.used = 0;
  PlatformLockStream(stream);
  for (const char *p = format; *p != '\0'; ++p) {
    if (*p != '%') {
      Put(&writer, *p);
    } else if (p[1] == 's') {
      PutPath(&writer, va_arg(args, const char *));
      ++p;
    } else if (p[1] == '0' && p[2] == '2' && p[3] == 'X') {
      PutHex(&writer, va_arg(args, unsigned));
      p += 3;
    } else if (p[1] == '%') {
      Put(&writer, '%');
      ++p;
    } else {
      Put(&writer, '%');  // not a form this printer knows: shown as written
    }
  }
  std::fwrite(writer.text, 1, writer.used, stream);
  if (flush) std::fflush(stream);
  PlatformUnlockStream(stream);
}

}  // namespace

void PlatformPrintError(const char *format, ...) {
  va_list args;
  va_start(args, format);
  PrintLine(stderr, false, format, args);
  va_end(args);
}

void PlatformPrintOut(const char *format, ...) {
  va_list args;
  va_start(args, format);
  PrintLine(stdout, true, format, args);
  va_end(args);
}

}  // namespace quillpack
