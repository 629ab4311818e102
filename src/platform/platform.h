// The services the library takes from its host system: files, printing, heap and paths.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

#if !defined(_WIN32)
#include <signal.h>
#endif

namespace quillpack {

// A buffered file stream. Opened only through PlatformOpen.
using PlatformFile = std::FILE;

// Opens `path` with a stdio mode string. An absent (null) path is never handed to the
// system and yields null, like any path that cannot be opened.
PlatformFile *PlatformOpen(const char *path, const char *mode);

// Reads up to `count` bytes; returns how many arrived. Fewer than asked means the end of
// the stream or an error; PlatformReadFailed tells which.
size_t PlatformRead(PlatformFile *file, void *dst, size_t count);

// True once a read on `file` has failed (as opposed to reaching the end).
bool PlatformReadFailed(PlatformFile *file);

// Writes `count` bytes; returns how many the stream accepted (fewer means failure).
size_t PlatformWrite(PlatformFile *file, const void *src, size_t count);

// Makes `file` unbuffered, so that each later PlatformWrite goes straight to the system and
// its count is what reached the file. Call it before any other use of the stream. Returns
// false, leaving the stream buffered, when the system refuses.
bool PlatformSetUnbuffered(PlatformFile *file);

// Cuts `file`, an unbuffered stream open for writing, back to its first `length` bytes if it
// holds more; a file already no longer is left alone, never lengthened. Returns true when the
// file ends at `length` or before it afterwards, or is no file that can be cut (a pipe or a
// device, whose bytes cannot be taken back); false when a file stays longer.
bool PlatformTruncate(PlatformFile *file, uint64_t length);

// Flushes and closes `file`. Returns true when every buffered byte reached the file.
bool PlatformClose(PlatformFile *file);

// True when `path` names the file already open as `file` (same device and file number,
// through any link). False when `path` names nothing yet or cannot be examined.
bool PlatformSameFile(PlatformFile *file, const char *path);

// Heap. PlatformAlloc and PlatformResize return null when memory cannot be had; a failed
// resize leaves the old block as it was. PlatformFree accepts null.
void *PlatformAlloc(size_t size);
void *PlatformResize(void *block, size_t size);
void PlatformFree(void *block);

// One message line on standard error / standard output. The format may hold only "%s", a
// path (a null one shows as "(null)"; each control character, below 0x20 or 0x7F, shows as
// '?' so that a path cannot break or forge a line), "%02X", an unsigned value in at least
// two uppercase hexadecimal digits, and "%%". A line is written whole with one stream call
// when it is short, else in pieces under the stream's lock, so lines of concurrent callers
// never mix; no large buffer is taken from the stack.
void PlatformPrintError(const char *format, ...) __attribute__((format(printf, 1, 2)));
void PlatformPrintOut(const char *format, ...) __attribute__((format(printf, 1, 2)));

// What a message shows for `path`: the path itself, or "(null)" when it is absent.
inline const char *PlatformShowPath(const char *path) {
  return path ? path : "(null)";
}

// The calling thread's protection from SIGPIPE for the duration of one operation: a write to
// a pipe or socket whose reader has gone then fails like any other write, and no SIGPIPE
// reaches the host. Signal dispositions are never touched; a no-op where SIGPIPE does not
// exist.
struct PlatformPipeGuard {
#if !defined(_WIN32)
  sigset_t saved;  // the thread's signal mask before PlatformPipeGuardBegin
#endif
  bool active;       // the mask was changed and must be restored
  bool was_pending;  // SIGPIPE was pending before: it belongs to the host
};

// Blocks SIGPIPE on the calling thread, remembering the mask and whether one was pending.
// Should the system refuse, the guard stays inactive and the mask as it was.
void PlatformPipeGuardBegin(PlatformPipeGuard *guard);

// Takes back the SIGPIPE that the operation's writes left pending (one that was pending
// before stays), then restores the thread's signal mask exactly.
void PlatformPipeGuardEnd(PlatformPipeGuard *guard);

}  // namespace quillpack

namespace quillpack {

// A code unit of the NUL-terminated 16-bit paths the host passes.
#if defined(_WIN32)
using PlatformWideChar = wchar_t;
#else
using PlatformWideChar = char16_t;
#endif

// Code units before the terminator.
size_t PlatformWideLength(const PlatformWideChar *path);

// Bytes a converted path of `length` code units may need, terminator included; 0 when that
// would not fit size_t.
size_t PlatformPathCapacity(size_t length);

// Converts `path` (whole, terminator included) to the multibyte form the system's file
// calls take. Returns false, leaving `dst` the empty string, when the path is malformed or
// does not fit `capacity`.
bool PlatformConvertPath(const PlatformWideChar *path, char *dst, size_t capacity);

}  // namespace quillpack
