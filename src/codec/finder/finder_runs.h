// Run lists of the match finder: every maximal run of one byte value, 3 bytes or longer,
// that still has a byte in the window, oldest first per byte value.
//
// Positions whose next k bytes are one byte repeated stay out of chain level k; the search
// answers a lookahead that starts with R >= k equal bytes from these lists instead, in time
// proportional to the number of runs rather than the number of positions in them.
#pragma once

#include <cstdint>

#include "codec/format.h"
#include "platform/assertion.h"

namespace quillpack {

// The lists are a ring of run records indexed by 16 bits. Runs are disjoint and at least
// kMinMatch bytes long, so no more than kWindowSize / kMinMatch + 2 of them have a byte in the
// window at once (counting one that reaches back past it and one just opened).
constexpr uint32_t kRunCapacity = 16384;
constexpr uint16_t kNoRun = 0xFFFF;
static_assert((kRunCapacity & (kRunCapacity - 1)) == 0, "ring indices wrap by a mask");
static_assert(kRunCapacity > kWindowSize / kMinMatch + 2, "every live run has a record");
static_assert(kRunCapacity <= kNoRun, "no record's index reads as kNoRun");

struct RunLists {
  uint32_t start[kRunCapacity];  // absolute position of the run's first byte
  uint32_t end[kRunCapacity];    // absolute position just past its last byte
  uint16_t next[kRunCapacity];   // next newer run of the same byte, kNoRun if none
  uint8_t byte[kRunCapacity];
  uint16_t head[256];  // oldest run of each byte, kNoRun if none
  uint16_t tail[256];  // newest run of each byte
  uint32_t oldest;     // ring index of the oldest run of all
  uint32_t count;      // runs held
};

// Empties the lists: no run of any byte.
void RunListsInit(RunLists *runs);

// A run of `byte` has just reached kMinMatch bytes, ending at `end` (exclusive). The lists
// hold fewer than kRunCapacity runs.
inline void RunListsOpen(RunLists *runs, uint8_t byte, uint32_t end) {
  QUILLPACK_ASSERT(runs->count < kRunCapacity);
  uint32_t i = (runs->oldest + runs->count) & (kRunCapacity - 1);
  ++runs->count;
  runs->start[i] = end - kMinMatch;
  runs->end[i] = end;
  runs->next[i] = kNoRun;
  runs->byte[i] = byte;
  uint16_t tail = runs->tail[byte];
  if (tail == kNoRun) {
    runs->head[byte] = static_cast<uint16_t>(i);
  } else {
    runs->next[tail] = static_cast<uint16_t>(i);
  }
  runs->tail[byte] = static_cast<uint16_t>(i);
}

// The newest run (the one being extended) grew by one byte.
inline void RunListsExtend(RunLists *runs) {
  QUILLPACK_ASSERT(runs->count > 0);
  ++runs->end[(runs->oldest + runs->count - 1) & (kRunCapacity - 1)];
}

// Position `leaving` drops out of the window: a run whose last byte it was goes.
inline void RunListsLeave(RunLists *runs, uint32_t leaving) {
  if (runs->count == 0) return;
  uint32_t i = runs->oldest;
  if (runs->end[i] != leaving + 1) return;
  uint8_t byte = runs->byte[i];
  runs->head[byte] = runs->next[i];
  if (runs->next[i] == kNoRun) runs->tail[byte] = kNoRun;
  runs->oldest = (i + 1) & (kRunCapacity - 1);
  --runs->count;
}

// Subtracts `delta` (at most `oldest`, the window's oldest position) from every stored
// position, a run's start first raised to `oldest` when it lies before the window.
void RunListsRebase(RunLists *runs, uint32_t delta, uint32_t oldest);

}  // namespace quillpack
