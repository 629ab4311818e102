/* Capturing the lines this process prints on its standard output and standard error while a
 * call runs: each descriptor points at a pipe for the duration, drained by a thread.
 *
 * The library writes its lines to the C runtime's descriptors 1 and 2 (after flushing its
 * stdout and stderr). The descriptors are this process's own, so the library must share the
 * host's C runtime: true of the POSIX builds, and of the mingw-w64 DLLs, which use
 * msvcrt.dll as a mingw-w64 host does. A DLL with a runtime of its own keeps its own
 * descriptors, and a host of it captures at the level of the system's handles or runs the
 * call in a child process instead. Descriptors 1 and 2 must be open when the capture begins
 * (the host gives a closed one the null device), or a pipe would take one's place. */
#include "message_capture.h"

#include <errno.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <process.h>
#include <windows.h>

typedef HANDLE Thread;

static int MakePipe(int fds[2]) {
  return _pipe(fds, 4096, _O_BINARY | _O_NOINHERIT);
}
static int Duplicate(int fd) {
  return _dup(fd);
}
static int DuplicateOnto(int fd, int target) {
  return _dup2(fd, target);
}
static void Close(int fd) {
  _close(fd);
}
static long Read(int fd, char *dst, size_t count) {
  return _read(fd, dst, (unsigned)count);
}
#else
#include <pthread.h>
#include <unistd.h>

typedef pthread_t Thread;

static int MakePipe(int fds[2]) {
  return pipe(fds);
}
static int Duplicate(int fd) {
  return dup(fd);
}
static int DuplicateOnto(int fd, int target) {
  int result;
  while ((result = dup2(fd, target)) < 0 && errno == EINTR) {
  }
  return result;
}
static void Close(int fd) {
  close(fd);
}
static long Read(int fd, char *dst, size_t count) {
  return (long)read(fd, dst, count);
}
#endif

/* One redirected descriptor and the text its pipe delivered. */
typedef struct {
  int target; /* 1 or 2 */
  int saved;  /* the original, duplicated, put back at the end */
  int reader; /* the pipe's read end */
  Thread thread;
  char *text;
  size_t length;
  size_t capacity;
  int lost; /* memory ran out: part of the text was dropped */
} StreamCapture;

struct MessageCapture {
  StreamCapture streams[2];
};

static void Append(StreamCapture *s, const char *bytes, size_t count) {
  if (s->capacity - s->length <= count) {
    size_t capacity = s->capacity * 2 > s->length + count ? s->capacity * 2 : s->length + count + 1;
    char *grown = realloc(s->text, capacity);
    if (grown == NULL) {
      s->lost = 1;
      return;
    }
    s->text = grown;
    s->capacity = capacity;
  }
  memcpy(s->text + s->length, bytes, count);
  s->length += count;
  s->text[s->length] = '\0';
}

/* Reads the pipe until every write end is closed. */
static void Drain(StreamCapture *s) {
  char chunk[4096];
  for (;;) {
    long got = Read(s->reader, chunk, sizeof chunk);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return;
    Append(s, chunk, (size_t)got);
  }
}

#ifdef _WIN32
static unsigned __stdcall DrainThread(void *s) {
  Drain(s);
  return 0;
}
static int ThreadStart(Thread *thread, StreamCapture *s) {
  uintptr_t handle = _beginthreadex(NULL, 0, DrainThread, s, 0, NULL);
  *thread = (HANDLE)handle;
  return handle != 0;
}
static void ThreadJoin(Thread thread) {
  WaitForSingleObject(thread, INFINITE);
  CloseHandle(thread);
}
#else
static void *DrainThread(void *s) {
  Drain(s);
  return NULL;
}
static int ThreadStart(Thread *thread, StreamCapture *s) {
  return pthread_create(thread, NULL, DrainThread, s) == 0;
}
static void ThreadJoin(Thread thread) {
  pthread_join(thread, NULL);
}
#endif

/* Points `target` at a new pipe whose reader runs. Returns 0, leaving `target` as it was,
 * when something cannot be had. */
static int StreamBegin(StreamCapture *s, int target) {
  memset(s, 0, sizeof *s);
  s->target = target;
  s->text = malloc(1);
  if (s->text == NULL) return 0;
  s->text[0] = '\0';
  s->capacity = 1;
  int fds[2];
  if (MakePipe(fds) != 0) {
    free(s->text);
    return 0;
  }
  s->reader = fds[0];
  s->saved = Duplicate(target);
  int started = s->saved >= 0 && ThreadStart(&s->thread, s);
  int redirected = started && DuplicateOnto(fds[1], target) >= 0;
  Close(fds[1]); /* `target` now holds the one write end, or none is left */
  if (started && !redirected) ThreadJoin(s->thread); /* its reader has seen the end */
  if (!redirected) {
    if (s->saved >= 0) Close(s->saved);
    Close(s->reader);
    free(s->text);
  }
  return redirected;
}

/* Puts `target` back, which closes the pipe's write end, and collects the text. */
static int StreamEnd(StreamCapture *s, CapturedText *text) {
  DuplicateOnto(s->saved, s->target);
  Close(s->saved);
  ThreadJoin(s->thread);
  Close(s->reader);
  text->text = s->text;
  text->length = s->length;
  return !s->lost;
}

MessageCapture *MessageCaptureBegin(void) {
  fflush(stdout);
  fflush(stderr);
  MessageCapture *capture = malloc(sizeof *capture);
  if (capture == NULL) return NULL;
  if (!StreamBegin(&capture->streams[0], 1)) {
    free(capture);
    return NULL;
  }
  if (!StreamBegin(&capture->streams[1], 2)) {
    CapturedText unused;
    StreamEnd(&capture->streams[0], &unused);
    free(unused.text);
    free(capture);
    return NULL;
  }
  return capture;
}

int MessageCaptureEnd(MessageCapture *capture, CapturedText *out, CapturedText *err) {
  fflush(stdout);
  fflush(stderr);
  int kept_out = StreamEnd(&capture->streams[0], out);
  int kept_err = StreamEnd(&capture->streams[1], err);
  free(capture);
  return kept_out && kept_err;
}
