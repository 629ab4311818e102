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

// A file stream. Opened only through PlatformOpen and PlatformOpenOutput.
using PlatformFile = std::FILE;

// Opens `path` for reading with a stdio mode string ("r" or "rb"). An absent (null) path is
// never handed to the system and yields null, like any path that cannot be opened. The file
// is not inherited by processes the host starts (closed on exec; a non-inheritable handle
// on Windows) and never takes descriptor 0, 1 or 2, which a host that closed its standard
// streams leaves free; an open the system interrupts for a signal is made again.
[[nodiscard]] PlatformFile *PlatformOpen(const char *path, const char *mode);

// What PlatformOpenOutput came to.
enum PlatformOutputStatus {
  kOutputOpened,     // `file` is open, and cut to nothing if it was a file with bytes in it
  kOutputIsInput,    // `path` names the file open as the input: the file is as it was
  kOutputNotOpened,  // `path` cannot be opened for writing: an existing file is as it was
};

struct PlatformOutput {
  PlatformFile *file;  // null unless opened
  PlatformOutputStatus status;
};

// Opens `path` for writing with a stdio mode string ("w" or "wb") as PlatformOpen opens for
// reading, creating the file. An existing file is cut to nothing only once it is open and
// known not to be `input` (same device and file number, on Windows same volume and file
// index, through any link; null: no input to compare), and only as the last step, so that
// a link swapped in between a check and the open cannot make the call cut its own input and
// no failure leaves a cut file behind (a file the open created stays, empty). The stream is
// unbuffered: each PlatformWrite goes straight to the system, and its count is what reached
// the file.
[[nodiscard]] PlatformOutput PlatformOpenOutput(const char *path, const char *mode,
                                                PlatformFile *input);

// Reads up to `count` bytes; returns how many arrived. Fewer than asked means the end of
// the stream or an error; PlatformReadFailed tells which. A read that a signal interrupts
// goes on where it stopped.
[[nodiscard]] size_t PlatformRead(PlatformFile *file, void *dst, size_t count);

// True once a read on `file` has failed (as opposed to reaching the end).
[[nodiscard]] bool PlatformReadFailed(PlatformFile *file);

// Writes `count` bytes to `file`, a stream PlatformOpenOutput opened; returns how many
// reached the file (fewer means failure). A write that a signal interrupts goes on where it
// stopped.
[[nodiscard]] size_t PlatformWrite(PlatformFile *file, const void *src, size_t count);

// Cuts `file`, a stream PlatformOpenOutput opened, back to its first `length` bytes if it
// holds more; a file already no longer is left alone, never lengthened. Returns true when the
// file ends at `length` or before it afterwards, or is no file that can be cut (a pipe or a
// device, whose bytes cannot be taken back); false when a file stays longer.
[[nodiscard]] bool PlatformTruncate(PlatformFile *file, uint64_t length);

// Closes `file`. Returns true when the system reported no failure.
[[nodiscard]] bool PlatformClose(PlatformFile *file);

// Heap. PlatformAlloc and PlatformResize return null when memory cannot be had; a failed
// resize leaves the old block as it was. PlatformFree accepts null.
[[nodiscard]] void *PlatformAlloc(size_t size);
[[nodiscard]] void *PlatformResize(void *block, size_t size);
void PlatformFree(void *block);

// One message line on standard error / standard output. The format may hold only "%s", a
// path (a null one shows as "(null)"; each control character, C0, DEL and C1, and each line
// or paragraph separator, U+2028 and U+2029, shows as one '?', so that a path can neither
// break nor forge a line, even for readers that end lines at those), "%02X", an unsigned
// value in at least two uppercase hexadecimal digits, and "%%". What the stream held is
// flushed first; the line then goes straight to the stream's descriptor, so it has reached
// the stream's file when the call returns, and a write that a signal interrupts goes on
// where it stopped. A line is written whole with one write when it is short, else in pieces
// under the stream's lock, so lines of concurrent callers never mix; no large buffer is
// taken from the stack.
void PlatformPrintError(const char *format, ...) QUILLPACK_PRINTF_FORMAT(1, 2);
void PlatformPrintOut(const char *format, ...) QUILLPACK_PRINTF_FORMAT(1, 2);

// Runs `operation(input_path, output_path)` on the calling thread and returns its result,
// with the thread protected meanwhile from the signals its failed writes raise: a write to a
// pipe or socket whose reader has gone (SIGPIPE), or past the process's file size limit
// (SIGXFSZ), then fails like any other write, and that signal never reaches the host. Signal
// dispositions are never touched: the signals are blocked on the calling thread only, and
// one is taken back afterwards only when a write of the operation failed for that reason
// (EPIPE, EFBIG), from the thread's own pending signals where the system lets it choose.
// Every other one stays for the host: one sent to the process meanwhile, and one pending
// before (when the operation's own signal fell together with it, as signals of one kind do,
// the signal is left pending). The thread's signal mask is then restored exactly. Should the
// system refuse to block them, the operation runs unprotected. Where these signals do not
// exist, it simply runs the operation.
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
