/* A C host built against the installed header and library: pack, unpack, compare. */
#include <stdio.h>
#include <string.h>

#include <quillpack.h>

static void Widen(const char *s, QuillpackChar *out) {
  while ((*out++ = (QuillpackChar)(unsigned char)*s++) != 0) {
  }
}

int main(int argc, char **argv) {
  if (argc != 2) return 2;
  char in[1024], packed[1024], out[1024];
  snprintf(in, sizeof in, "%s/c_in.txt", argv[1]);
  snprintf(packed, sizeof packed, "%s/c_in.txt.qpk", argv[1]);
  snprintf(out, sizeof out, "%s/c_out.txt", argv[1]);
  const char text[] = "consumed from C, consumed from C, consumed from C\n";
  FILE *f = fopen(in, "wb");
  if (f == NULL) return 1;
  fputs(text, f);
  fclose(f);
  QuillpackChar win[1024], wpacked[1024], wout[1024];
  Widen(in, win);
  Widen(packed, wpacked);
  Widen(out, wout);
  if (Quillpack(win, wpacked) != 999 || Quillunpack(wpacked, wout) != 999) return 1;
  char back[256] = {0};
  f = fopen(out, "rb");
  if (f == NULL) return 1;
  size_t n = fread(back, 1, sizeof back - 1, f);
  fclose(f);
  return n == strlen(text) && memcmp(back, text, n) == 0 ? 0 : 1;
}
