// Per-thread countdowns that make chosen platform calls fail (fault-injection build only).
#include "platform/fault_state.h"

#ifdef QUILLPACK_FAULT_INJECTION

#include "platform/assertion.h"

namespace quillpack {
namespace {

// Streams a thread may hold with a failed read at once: an operation's input, and room for
// the streams a test opens beside it.
constexpr int kFailedReadSlots = 4;

struct FaultState {
  uint64_t armed[kFaultKindCount];       // 0 = disarmed; else the first event number that fails
  uint64_t armed_last[kFaultKindCount];  // the last one
  uint64_t events[kFaultKindCount];      // events seen since the last reset
  bool fired;
  int64_t live_blocks;
  std::FILE *failed_reads[kFailedReadSlots];
  void (*before_open_for_writing)(const char *path);
};

thread_local FaultState state;

}  // namespace

void FaultInjectionArm(FaultKind kind, uint64_t nth, uint64_t count) {
  state.armed[kind] = nth == 0 ? 0 : state.events[kind] + nth;
  state.armed_last[kind] = state.armed[kind] + (count > 0 ? count - 1 : 0);
}

void FaultInjectionReset() {
  state = FaultState{};
}

uint64_t FaultInjectionEvents(FaultKind kind) {
  return state.events[kind];
}

bool FaultInjectionFired() {
  return state.fired;
}

int64_t FaultInjectionLiveBlocks() {
  return state.live_blocks;
}

bool FaultFires(FaultKind kind, uint64_t events) {
  uint64_t first = state.events[kind] + 1;
  state.events[kind] += events;
  uint64_t armed = state.armed[kind];
  if (armed != 0 && armed <= state.events[kind] && state.armed_last[kind] >= first) {
    state.fired = true;
    return true;
  }
  return false;
}

size_t FaultAllowedBytes(FaultKind kind, size_t count) {
  uint64_t first = state.events[kind] + 1;
  if (!FaultFires(kind, count)) return count;
  if (state.armed[kind] <= first) {  // a later event of the failing range
    state.events[kind] = first - 1;
    return 0;
  }
  state.events[kind] = state.armed[kind];  // the stream stops at the failing byte
  return static_cast<size_t>(state.armed[kind] - first);
}

void FaultMarkReadFailed(std::FILE *file) {
  for (std::FILE *&slot : state.failed_reads) {
    if (slot == nullptr || slot == file) {
      slot = file;
      return;
    }
  }
  // A stream left untracked would read as sound, and its caller would take a cut-short
  // input for a whole one; the test that got here must be told, in every build.
  PlatformAssertFailed(__FILE__, __LINE__,
                       "the fault table has a slot for every open stream with a failed read");
}

bool FaultReadMarked(std::FILE *file) {
  for (std::FILE *slot : state.failed_reads)
    if (slot == file) return true;
  return false;
}

void FaultForget(std::FILE *file) {
  for (std::FILE *&slot : state.failed_reads)
    if (slot == file) slot = nullptr;
}

void FaultNoteBlocks(int64_t delta) {
  state.live_blocks += delta;
}

void FaultInjectionBeforeOpenForWriting(void (*hook)(const char *path)) {
  state.before_open_for_writing = hook;
}

void FaultBeforeOpenForWriting(const char *path) {
  if (state.before_open_for_writing != nullptr) state.before_open_for_writing(path);
}

}  // namespace quillpack

#endif
