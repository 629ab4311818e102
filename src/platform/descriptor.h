// Files as the system numbers them, beneath the streams: what opening and writing take from
// each system, and the locks of the standard streams.
#pragma once

#include <cstddef>
#include <cstdio>

namespace quillpack {

// Opens `path` for reading (mode "r" or "rb") or for writing (mode "w" or "wb": the file is
// created if missing, and never cut), in text or binary mode as the mode says where the
// system tells them apart. The descriptor is not inherited by processes the host starts
// (closed on exec; a non-inheritable handle on Windows) and is never 0, 1 or 2, which a host
// that closed its standard streams leaves free, so that no line meant for standard error
// lands in the file; an open the system interrupts for a signal is made again. Returns the
// descriptor, or -1 with nothing left open.
[[nodiscard]] int PlatformOpenDescriptor(const char *path, const char *mode);

// True when the descriptors `a` and `b` are open on one file (same device and file number;
// on Windows same volume and file index); false when they are not, or when the system gives
// one of them no identity (a pipe on Windows).
[[nodiscard]] bool PlatformSameFileOpen(int a, int b);

// A stream with `mode` over `fd`; null, with `fd` closed, when none can be had.
[[nodiscard]] std::FILE *PlatformStreamOver(int fd, const char *mode);

// The descriptor beneath `stream`; negative when it has none (a stream in memory).
[[nodiscard]] int PlatformDescriptorOf(std::FILE *stream);

// Closes `fd`, a descriptor PlatformOpenDescriptor returned.
void PlatformCloseDescriptor(int fd);

// Writes `count` bytes to `fd`, going on where a signal interrupted a write. Returns false
// when not all of them arrived; the failure is noted for the signal guard.
bool PlatformWriteDescriptor(int fd, const char *bytes, size_t count);

// Takes the stream's own lock for the calling thread (as the stream's own calls do), waiting
// while another thread holds it; the same thread may take it again. Every lock is matched by
// one PlatformUnlockStream.
void PlatformLockStream(std::FILE *stream);
void PlatformUnlockStream(std::FILE *stream);

}  // namespace quillpack
