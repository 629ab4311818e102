// The end of a broken invariant: one line on standard error, then abort.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/assertion.h"

namespace quillpack {
namespace {

// Appends `text` to line[*used, size - 1), cutting it short when the line is full.
void Append(char *line, size_t size, size_t *used, const char *text) {
  size_t n = std::strlen(text);
  if (n > size - 1 - *used) n = size - 1 - *used;
  std::memcpy(line + *used, text, n);
  *used += n;
}

}  // namespace

void PlatformAssertFailed(const char *file, int line, const char *condition) {
  // Assembled first and written with one call, so that it stays one line among others.
  char text[512];
  size_t used = 0;
  char number[16];
  int n = sizeof number - 1;
  number[n] = '\0';
  unsigned value = line < 0 ? 0u : static_cast<unsigned>(line);
  do {
    number[--n] = static_cast<char>('0' + value % 10);
    value /= 10;
  } while (value != 0 && n > 0);
  Append(text, sizeof text, &used, "quillpack: ");
  Append(text, sizeof text, &used, file);
  Append(text, sizeof text, &used, ":");
  Append(text, sizeof text, &used, number + n);
  Append(text, sizeof text, &used, ": assertion failed: ");
  Append(text, sizeof text, &used, condition);
  text[used++] = '\n';
  std::fwrite(text, 1, used, stderr);
  std::fflush(stderr);
  std::abort();
}

}  // namespace quillpack
