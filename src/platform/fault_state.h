// Hooks the platform functions consult; no-ops unless built with QUILLPACK_FAULT_INJECTION.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

#include "platform/fault_injection.h"

namespace quillpack {

#ifdef QUILLPACK_FAULT_INJECTION
// Counts `events` events of `kind`; true when the armed one is among them.
[[nodiscard]] bool FaultFires(FaultKind kind, uint64_t events);
// For a write of `count` bytes: how many may be delivered before the armed byte.
[[nodiscard]] size_t FaultAllowedBytes(FaultKind kind, size_t count);
// Records that a read on `file` failed, until PlatformClose closes it or the state is reset.
// Aborts with a message when more streams are marked at once than the table holds: an
// unrecorded failure would pass for the end of the stream.
void FaultMarkReadFailed(std::FILE *file);
// Whether a read on `file` failed since it was opened (or the state was reset).
[[nodiscard]] bool FaultReadMarked(std::FILE *file);
// Drops what is recorded of `file`; called as it is closed.
void FaultForget(std::FILE *file);
// Adds `delta` to the count of heap blocks held, which the tests check returns to zero.
void FaultNoteBlocks(int64_t delta);
// Runs the hook FaultInjectionBeforeOpenForWriting set, if any; called just before `path`
// is opened for writing.
void FaultBeforeOpenForWriting(const char *path);
#else
[[nodiscard]] inline bool FaultFires(FaultKind, uint64_t) {
  return false;
}
[[nodiscard]] inline size_t FaultAllowedBytes(FaultKind, size_t count) {
  return count;
}
inline void FaultMarkReadFailed(std::FILE *) {}
[[nodiscard]] inline bool FaultReadMarked(std::FILE *) {
  return false;
}
inline void FaultForget(std::FILE *) {}
inline void FaultNoteBlocks(int64_t) {}
inline void FaultBeforeOpenForWriting(const char *) {}
#endif

}  // namespace quillpack
