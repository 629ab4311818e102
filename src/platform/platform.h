// The services the library takes from its host system: files, printing, heap and paths.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

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

// Cuts `file`, open for writing, back to its first `length` bytes: what it still buffers is
// flushed, whatever cannot be written is dropped, then the file is shortened, so that a write
// that failed part-way leaves nothing of itself behind. Returns false when the file cannot
// be shortened (a device, say).
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

// One formatted line on standard error / standard output, written in one call so that
// lines of concurrent callers do not mix within a line.
void PlatformPrintError(const char *format, ...) __attribute__((format(printf, 1, 2)));
void PlatformPrintOut(const char *format, ...) __attribute__((format(printf, 1, 2)));

// What a message shows for `path`: the path itself, or "(null)" when it is absent.
inline const char *PlatformShowPath(const char *path) { return path ? path : "(null)"; }

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
