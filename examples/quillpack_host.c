/* quillpack-host: a host program that loads the Quillpack library by file name at run
 * time, as real hosts do, calls one of its two functions and tells the outcome by its exit
 * status. The functions always return 999; like any host, this one learns the outcome from
 * the lines the call prints, which it captures and passes on unchanged. */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "message_capture.h"
#include "quillpack.h"

/* The exports' type, with their calling convention (which matters on 32-bit Windows). */
typedef int32_t(QUILLPACK_CALL *QuillpackFunction)(const QuillpackChar *, const QuillpackChar *);

/* Loading the library by file name and finding a function in it: LoadLibraryA and
 * GetProcAddress on Windows, dlopen and dlsym elsewhere. */
#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
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

static int DescriptorClosed(int fd) {
  return _get_osfhandle(fd) == -1;
}

static void OpenNullDevice(void) {
  _open("NUL", _O_RDWR);
}
#else
#include <dlfcn.h>
#include <errno.h>
#include <fcntl.h>

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

static int DescriptorClosed(int fd) {
  return fcntl(fd, F_GETFD) < 0 && errno == EBADF;
}

static void OpenNullDevice(void) {
  open("/dev/null", O_RDWR);
}
#endif

/* A program started with a standard stream closed has its descriptor free, and the next
 * file or pipe opened takes it: the capture's own pipe would then stand in for standard
 * output. Each closed one of descriptors 0 to 2 is given the null device instead (a new
 * descriptor takes the lowest free number, and those below are open by then). */
static void OpenClosedStandardStreams(void) {
  for (int fd = 0; fd <= 2; ++fd)
    if (DescriptorClosed(fd)) OpenNullDevice();
}

enum { kSucceeded = 0, kFailed = 1, kNotCalled = 2 };

typedef struct {
  const char *name;
  const char *symbol;
  const char *success; /* how its success line begins */
} Command;

static const Command kCommands[] = {
    {"pack", "Quillpack", "Compression successful: "},
    {"unpack", "Quillunpack", "Decompression successful: "},
};

static void PrintUsage(FILE *to, const char *program) {
  fprintf(to,
          "usage: %s [-l LIBRARY] pack INPUT OUTPUT\n"
          "       %s [-l LIBRARY] unpack INPUT OUTPUT\n"
          "       %s --help\n"
          "Calls Quillpack or Quillunpack from LIBRARY (default " DEFAULT_LIBRARY
          ") and passes on the\n"
          "lines it prints. Exit status: 0 when it printed its success line, 1 when it\n"
          "printed an error line, 2 when the call could not be made (usage, loading).\n",
          program, program, program);
}

static int UsageError(const char *program) {
  PrintUsage(stderr, program);
  return kNotCalled;
}

/* 1 when a line of `text` begins with `prefix`. */
static int HasLine(const CapturedText *text, const char *prefix) {
  size_t n = strlen(prefix);
  size_t start = 0;
  while (start < text->length) {
    if (text->length - start >= n && memcmp(text->text + start, prefix, n) == 0) return 1;
    const char *end = memchr(text->text + start, '\n', text->length - start);
    if (end == NULL) break;
    start = (size_t)(end - text->text) + 1;
  }
  return 0;
}

/* Calls `function` with the lines it prints captured, passes them on to this program's own
 * streams and returns the exit status they stand for. */
static int CallAndTell(const char *program, QuillpackFunction function, const char *success_prefix,
                       const QuillpackChar *input, const QuillpackChar *output) {
  MessageCapture *capture = MessageCaptureBegin();
  if (capture == NULL) {
    fprintf(stderr, "%s: cannot capture the library's messages\n", program);
    return kNotCalled;
  }
  function(input, output); /* always 999: the outcome is in the lines */
  CapturedText out, err;
  int complete = MessageCaptureEnd(capture, &out, &err);
  fwrite(out.text, 1, out.length, stdout);
  fwrite(err.text, 1, err.length, stderr);
  fflush(stdout);
  int succeeded = complete && !HasLine(&err, "Error: ") && HasLine(&out, success_prefix);
  if (!complete) fprintf(stderr, "%s: out of memory while reading the messages\n", program);
  free(out.text);
  free(err.text);
  return succeeded ? kSucceeded : kFailed;
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
/* Converts UTF-8 to a new NUL-terminated UTF-16 string; NULL if it is not well-formed (an
 * overlong form, an encoded surrogate, a value past U+10FFFF, a missing continuation byte)
 * or no memory. Decoded leniently, overlong forms of '.', '/' or NUL would reach the library
 * as those characters and name another file than the one the bytes seem to. */
static QuillpackChar *ArgumentToUtf16(const char *text) {
  size_t n = strlen(text);
  QuillpackChar *out = malloc((n + 1) * sizeof *out);
  if (out == NULL) return NULL;
  size_t o = 0;
  const unsigned char *s = (const unsigned char *)text;
  /* The smallest value a sequence with this many continuation bytes may carry. */
  static const unsigned long kLeast[] = {0, 0x80, 0x800, 0x10000};
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
    if (code < kLeast[extra] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
      free(out);
      return NULL;
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
  OpenClosedStandardStreams();
  const char *program = argc > 0 ? argv[0] : "quillpack-host";
  if (argc == 2 && (strcmp(argv[1], "--help") == 0 || strcmp(argv[1], "-h") == 0)) {
    PrintUsage(stdout, program);
    return kSucceeded;
  }
  const char *library = DEFAULT_LIBRARY;
  int arg = 1;
  if (arg + 1 < argc && strcmp(argv[arg], "-l") == 0) {
    library = argv[arg + 1];
    arg += 2;
  }
  if (arg >= argc) return UsageError(program);
  const Command *command = NULL;
  for (size_t i = 0; i < sizeof kCommands / sizeof kCommands[0]; ++i)
    if (strcmp(argv[arg], kCommands[i].name) == 0) command = &kCommands[i];
  if (command == NULL) {
    fprintf(stderr, "%s: unknown command '%s'\n", program, argv[arg]);
    return UsageError(program);
  }
  if (argc - arg != 3) {
    fprintf(stderr, "%s: %s takes an input and an output path\n", program, command->name);
    return UsageError(program);
  }

  Library handle = LibraryOpen(library);
  if (handle == NULL) {
    fprintf(stderr, "%s: cannot load %s: %s\n", program, library, LibraryError());
    return kNotCalled;
  }
  QuillpackFunction function = LibraryFind(handle, command->symbol);
  if (function == NULL) {
    fprintf(stderr, "%s: %s has no function %s\n", program, library, command->symbol);
    LibraryClose(handle);
    return kNotCalled;
  }
  QuillpackChar *input = ArgumentToUtf16(argv[arg + 1]);
  QuillpackChar *output = ArgumentToUtf16(argv[arg + 2]);
  int status = kNotCalled;
  if (input == NULL || output == NULL) {
    fprintf(stderr, "%s: paths must be valid text\n", program);
  } else {
    status = CallAndTell(program, function, command->success, input, output);
  }
  free(input);
  free(output);
  LibraryClose(handle);
  return status;
}
