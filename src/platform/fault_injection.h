// Test-only control of injected platform failures (present in the fault-injection build).
#pragma once

#include <cstdint>

namespace quillpack {

enum FaultKind {
  kFaultAlloc,  // PlatformAlloc and PlatformResize return null
  kFaultRead,   // PlatformRead delivers nothing and marks the stream failed
  kFaultWrite,  // PlatformWrite stops before the chosen byte (a per-byte point)
  kFaultClose,  // PlatformClose closes the stream but reports failure
  kFaultKindCount
};

// Arms the calling thread so that its `nth` event of `kind` from now on fails (1 = the
// next one), and the `count` - 1 events after it too. For kFaultWrite an event is one byte,
// so a write delivers the bytes before the chosen one. 0 disarms. Each kind has its own
// countdown.
void FaultInjectionArm(FaultKind kind, uint64_t nth, uint64_t count = 1);

// Disarms every kind and sets the calling thread's event counts and live-block count to 0.
void FaultInjectionReset();

// Events of `kind` the calling thread has seen since the last reset.
[[nodiscard]] uint64_t FaultInjectionEvents(FaultKind kind);

// True once an armed failure has fired since the last reset.
[[nodiscard]] bool FaultInjectionFired();

// Heap blocks allocated and not yet freed by the calling thread since the last reset.
[[nodiscard]] int64_t FaultInjectionLiveBlocks();

// Calls `hook(path)` on the calling thread just before each open of a path for writing, so
// that a test can change the file system at that very moment; null calls nothing. A reset
// removes it.
void FaultInjectionBeforeOpenForWriting(void (*hook)(const char *path));

}  // namespace quillpack
