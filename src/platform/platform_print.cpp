// Message lines on the standard streams, assembled by hand rather than by printf.
//
// printf on an unbuffered stream (standard error) formats into a stack buffer of several
// kilobytes, more than a call on a small thread stack can spare; and paths are the host's,
// so they are shown with their control characters masked.
#include <cerrno>
#include <cstdarg>

#include "platform/assertion.h"
#include "platform/descriptor.h"
#include "platform/failed_writes.h"
#include "platform/platform.h"

namespace quillpack {
namespace {

// A line up to this long goes out in one write; a longer one in pieces of this size.
constexpr size_t kLineRoom = 256;

struct LineWriter {
  std::FILE *stream;
  size_t used;
  char text[kLineRoom];
};

// Writes the text gathered so far. It goes past the stream's buffer, straight to its
// descriptor, so it has reached the file when this returns, whatever buffering the host's
// runtime chose, and an interrupted write goes on (the stream's own buffer would drop what
// an interrupted flush had not written). What the host left in the buffer goes first.
void Emit(LineWriter *writer) {
  std::FILE *stream = writer->stream;
  if (std::fflush(stream) != 0) PlatformNoteFailedWrite(errno);
  int fd = PlatformDescriptorOf(stream);
  if (fd >= 0) {
    static_cast<void>(PlatformWriteDescriptor(fd, writer->text, writer->used));
  } else if (std::fwrite(writer->text, 1, writer->used, stream) != writer->used ||
             std::fflush(stream) != 0) {
    // A stream with no descriptor (one in memory that a host put in its place).
    PlatformNoteFailedWrite(errno);
  }
  writer->used = 0;
}

// The stream is locked for the whole line, so pieces of a long line stay together.
void Put(LineWriter *writer, char c) {
  if (writer->used == sizeof writer->text) Emit(writer);
  writer->text[writer->used++] = c;
}

// How many bytes at `p` form a character that can end or break a line for some reader: a
// C0 control or DEL (one byte), a C1 control (U+0080 to U+009F, two bytes of UTF-8, NEL
// among them), the line or paragraph separator (U+2028, U+2029, three bytes); 0 for
// anything else.
size_t LineBreakerLength(const unsigned char *p) {
  if (p[0] < 0x20 || p[0] == 0x7F) return 1;
  if (p[0] == 0xC2 && p[1] >= 0x80 && p[1] <= 0x9F) return 2;
  if (p[0] == 0xE2 && p[1] == 0x80 && (p[2] == 0xA8 || p[2] == 0xA9)) return 3;
  return 0;
}

// A path as a message shows it: "(null)" when absent, each character that could end a line
// as one '?', so that a message stays one line.
void PutPath(LineWriter *writer, const char *path) {
  const char *shown = path != nullptr ? path : "(null)";
  for (const auto *p = reinterpret_cast<const unsigned char *>(shown); *p != '\0';) {
    size_t length = LineBreakerLength(p);
    Put(writer, length != 0 ? '?' : static_cast<char>(*p));
    p += length != 0 ? length : 1;
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

void PrintLine(std::FILE *stream, const char *format, va_list args) {
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
  Emit(&writer);
  PlatformUnlockStream(stream);
}

}  // namespace

void PlatformPrintError(const char *format, ...) {
  va_list args;
  va_start(args, format);
  PrintLine(stderr, format, args);
  va_end(args);
}

void PlatformPrintOut(const char *format, ...) {
  va_list args;
  va_start(args, format);
  PrintLine(stdout, format, args);
  va_end(args);
}

}  // namespace quillpack
