// The services the library takes from its host system: files, printing, heap and paths.
//
// Shared files use only what is declared here; what differs between operating systems lives
// in one file per system (*_posix.cpp, *_win32.cpp), of which the build takes one.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

#include "platform/compiler.h"

namespace quillpack {

// A buffered file stream. Opened only through PlatformOpen.
using PlatformFile = std::FILE;

// Opens `path` with a stdio mode string ("r" or "w", with or without "b"). An absent (null)
// path is never handed to the system and yields null, like any path that cannot be opened.
// On POSIX systems the file is closed on exec and never takes descriptor 0, 1 or 2.
[[nodiscard]] PlatformFile *PlatformOpen(const char *path, const char *mode);

// Reads up to `count` bytes; returns how many arrived. Fewer than asked means the end of
// the stream or an error; PlatformReadFailed tells which.
[[nodiscard]] size_t PlatformRead(PlatformFile *file, void *dst, size_t count);

// True once a read on `file` has failed (as opposed to reaching the end).
[[nodiscard]] bool PlatformReadFailed(PlatformFile *file);

// Writes `count` bytes; returns how many the stream accepted (fewer means failure).
[[nodiscard]] size_t PlatformWrite(PlatformFile *file, const void *src, size_t count);

// Makes `file` unbuffered, so that each later PlatformWrite goes straight to the system and
// its count is what reached the file. Call it before any other use of the stream. Returns
// false, leaving the stream buffered, when the system refuses.
[[nodiscard]] bool PlatformSetUnbuffered(PlatformFile *file);

// Cuts `file`, an unbuffered stream open for writing, back to its first `length` bytes if it
// holds more; a file already no longer is left alone, never lengthened. Returns true when the
// file ends at `length` or before it afterwards, or is no file that can be cut (a pipe or a
// device, whose bytes cannot be taken back); false when a file stays longer.
[[nodiscard]] bool PlatformTruncate(PlatformFile *file, uint64_t length);

// Flushes and closes `file`. Returns true when every buffered byte reached the file.
[[nodiscard]] bool PlatformClose(PlatformFile *file);

// True when `path` names the file already open as `file` (same device and file number,
// through any link). False when `path` names nothing yet or cannot be examined.
[[nodiscard]] bool PlatformSameFile(PlatformFile *file, const char *path);

// Heap. PlatformAlloc and PlatformResize return null when memory cannot be had; a failed
// resize leaves the old block as it was. PlatformFree accepts null.
[[nodiscard]] void *PlatformAlloc(size_t size);
[[nodiscard]] void *PlatformResize(void *block, size_t size);
void PlatformFree(void *block);

// One message line on standard error / standard output. The format may hold only "%s", a
// path (a null one shows as "(null)"; each control character, below 0x20 or 0x7F, shows as
// '?' so that a path cannot break or forge a line), "%02X", an unsigned value in at least
// two uppercase hexadecimal digits, and "%%". A line is written whole with one stream call
// when it is short, else in pieces under the stream's lock, so lines of concurrent callers
// never mix; no large buffer is taken from the stack.
void PlatformPrintError(const char *format, ...) QUILLPACK_PRINTF_FORMAT(1, 2);
void PlatformPrintOut(const char *format, ...) QUILLPACK_PRINTF_FORMAT(1, 2);

// Runs `operation(input_path, output_path)` on the calling thread and returns its result,
// with the thread protected meanwhile from the signals a failed write raises: a write to a
// pipe or socket whose reader has gone (SIGPIPE), or past the process's file size limit
// (SIGXFSZ), then fails like any other write, and no such signal reaches the host. Signal
// dispositions are never touched: the signals are blocked on the calling thread only, one
// that the operation's writes left pending is taken back (one pending before stays), and the
// thread's signal mask is then restored exactly. Should the system refuse to block them, the
// operation runs unprotected. Where these signals do not exist, it simply runs the operation.
[[nodiscard]] int PlatformRunSignalGuarded(int (*operation)(const char *, const char *),
                                           const char *input_path, const char *output_path);

// A code unit of the NUL-terminated 16-bit paths the host passes: the public header's
// QuillpackChar, which the boundary checks it equals.
#if defined(_WIN32)
using PlatformWideChar = wchar_t;
#else
using PlatformWideChar = char16_t;
#endif

// Code units before the terminator.
[[nodiscard]] size_t PlatformWideLength(const PlatformWideChar *path);

// Bytes a converted path of `length` code units may need, terminator included; 0 when that
// would not fit size_t.
[[nodiscard]] size_t PlatformPathCapacity(size_t length);

// Converts `path` (whole, terminator included) to the multibyte form the system's file
// calls take. Returns false, leaving `dst` the empty string, when the path is malformed or
// does not fit `capacity`.
[[nodiscard]] bool PlatformConvertPath(const PlatformWideChar *path, char *dst, size_t capacity);

}  // namespace quillpack
