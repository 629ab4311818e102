/* Capturing the lines this process prints on its standard output and standard error while a
 * call runs, so that a host can read the outcome the library reports only there. */
#ifndef QUILLPACK_EXAMPLE_MESSAGE_CAPTURE_H
#define QUILLPACK_EXAMPLE_MESSAGE_CAPTURE_H

#include <stddef.h>

/* What one stream received: `length` bytes at `text`, followed by a NUL. */
typedef struct {
  char *text;
  size_t length;
} CapturedText;

typedef struct MessageCapture MessageCapture;

/* Flushes both streams, then sends whatever this process writes to descriptors 1 and 2 into
 * pipes that threads of its own drain (so a long message can never fill a pipe and stall the
 * writer). Returns NULL, with both streams as they were, when a pipe, a descriptor, a thread
 * or memory cannot be had. */
MessageCapture *MessageCaptureBegin(void);

/* Flushes both streams, puts them back as they were and hands over what each received (the
 * caller frees `out->text` and `err->text`). Returns 1, or 0 when memory ran out and part of
 * the text was lost (what was kept is still handed over). */
int MessageCaptureEnd(MessageCapture *capture, CapturedText *out, CapturedText *err);

#endif
