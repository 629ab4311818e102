/* quillpack-host: a host program that loads the Quillpack library by file name at run
 * time, as real hosts do, and calls one of its two functions. */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "quillpack.h"

typedef int32_t (*QuillpackFunction)(const QuillpackChar *, const QuillpackChar *);

/* Loading the library by file name and finding a function in it: LoadLibraryA and
 * GetProcAddress on Windows, dlopen and dlsym elsewhere. */
#ifdef _WIN32
#include <windows.h>

#define DEFAULT_LIBRARY "quillpack.dll"
typedef HMODULE Library;

static Library LibraryOpen(const char *name) {
  return LoadLibraryA(name);
}

static QuillpackFunction LibraryFind(Library library, const char *symbol) {
  FARPROC found = GetProcAddress(library, symbol);
  QuillpackFunction function;
  memcpy(&function, &found, sizeof function);
  return function;
}

static void LibraryClose(Library library) {
  FreeLibrary(library);
}

static const char *LibraryError(void) {
  static char text[32];
  snprintf(text, sizeof text, "error %lu", (unsigned long)GetLastError());
  return text;
}
#else
#include <dlfcn.h>

#define DEFAULT_LIBRARY "libquillpack.so.1"
typedef void *Library;

static Library LibraryOpen(const char *name) {
  return dlopen(name, RTLD_NOW | RTLD_LOCAL);
}

static QuillpackFunction LibraryFind(Library library, const char *symbol) {
  QuillpackFunction function;
  *(void **)&function = dlsym(library, symbol);
  return function;
}

static void LibraryClose(Library library) {
  dlclose(library);
}

static const char *LibraryError(void) {
  return dlerror();
}
#endif

static int Usage(const char *program) {
  fprintf(stderr,
          "usage: %s [-l LIBRARY] pack INPUT OUTPUT\n"
          "       %s [-l LIBRARY] unpack INPUT OUTPUT\n"
          "Calls Quillpack or Quillunpack from LIBRARY (default " DEFAULT_LIBRARY
          "). The\n"
          "outcome is the library's own message lines and the output file; this program\n"
          "exits 0 once the call was made and 2 when it could not be made.\n",
          program, program);
  return 2;
}

#ifdef _WIN32
/* Converts an argument (in the ANSI code page on Windows) to a new NUL-terminated UTF-16
 * string; NULL if it does not convert or no memory. */
static QuillpackChar *ArgumentToUtf16(const char *text) {
  int n = MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, text, -1, NULL, 0);
  if (n <= 0) return NULL;
  QuillpackChar *out = malloc((size_t)n * sizeof *out);
  if (out == NULL) return NULL;
  if (MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, text, -1, out, n) != n) {
    free(out);
    return NULL;
  }
  return out;
}
#else
/* Converts UTF-8 to a new NUL-terminated UTF-16 string; NULL if malformed or no memory. */
static QuillpackChar *ArgumentToUtf16(const char *text) {
  size_t n = strlen(text);
  QuillpackChar *out = malloc((n + 1) * sizeof *out);
  if (out == NULL) return NULL;
  size_t o = 0;
  const unsigned char *s = (const unsigned char *)text;
  while (*s != 0) {
    unsigned long code;
    int extra;
    if (*s < 0x80) {
      code = *s, extra = 0;
    } else if ((*s & 0xE0) == 0xC0) {
      code = *s & 0x1F, extra = 1;
    } else if ((*s & 0xF0) == 0xE0) {
      code = *s & 0x0F, extra = 2;
    } else if ((*s & 0xF8) == 0xF0) {
      code = *s & 0x07, extra = 3;
    } else {
      free(out);
      return NULL;
    }
    ++s;
    for (int i = 0; i < extra; ++i, ++s) {
      if ((*s & 0xC0) != 0x80) {
        free(out);
        return NULL;
      }
      code = code << 6 | (*s & 0x3F);
    }
    if (code >= 0x10000) {
      code -= 0x10000;
      out[o++] = (QuillpackChar)(0xD800 + (code >> 10));
      out[o++] = (QuillpackChar)(0xDC00 + (code & 0x3FF));
    } else {
      out[o++] = (QuillpackChar)code;
    }
  }
  out[o] = 0;
  return out;
}
#endif

int main(int argc, char **argv) {
  const char *library = DEFAULT_LIBRARY;
  int arg = 1;
  if (arg + 1 < argc && strcmp(argv[arg], "-l") == 0) {
    library = argv[arg + 1];
    arg += 2;
  }
  if (argc - arg != 3) return Usage(argv[0]);
  const char *symbol = strcmp(argv[arg], "pack") == 0     ? "Quillpack"
                       : strcmp(argv[arg], "unpack") == 0 ? "Quillunpack"
                                                          : NULL;
  if (symbol == NULL) return Usage(argv[0]);

  Library handle = LibraryOpen(library);
  if (handle == NULL) {
    fprintf(stderr, "%s: cannot load %s: %s\n", argv[0], library, LibraryError());
    return 2;
  }
  QuillpackFunction function = LibraryFind(handle, symbol);
  if (function == NULL) {
    fprintf(stderr, "%s: %s has no function %s\n", argv[0], library, symbol);
    LibraryClose(handle);
    return 2;
  }
  QuillpackChar *input = ArgumentToUtf16(argv[arg + 1]);
  QuillpackChar *output = ArgumentToUtf16(argv[arg + 2]);
  if (input == NULL || output == NULL) {
    fprintf(stderr, "%s: paths must be valid text\n", argv[0]);
    free(input);
    free(output);
    LibraryClose(handle);
    return 2;
  }
  function(input, output); /* always 999: the outcome is in the library's messages */
  free(input);
  free(output);
  LibraryClose(handle);
  return 0;
}
