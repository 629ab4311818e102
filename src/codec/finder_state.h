// The match finder's working memory: its own copy of the window, the hash levels and the
// run lists, all in one heap block.
#pragma once

#include <cstdint>

#include "codec/finder_levels.h"
#include "codec/finder_runs.h"
#include "codec/history_window.h"

namespace quillpack {

// The byte copy holds the window plus room for the bytes still to come, and slides by a
// block move when that room runs out.
constexpr uint32_t kCopySize = 2 * kWindowSize;
constexpr uint32_t kAppendChunk = kCopySize - kWindowSize;
// Positions are 32-bit counts of bytes since an origin; when they pass this mark they are
// all moved down (rebased) by a multiple of 65536, so that inputs of any size work.
constexpr uint32_t kRebaseMark = 0xC0000000u;

struct MatchFinder {
  uint32_t end;         // absolute position just past the newest window byte
  uint32_t oldest;      // absolute position of the oldest window byte
  uint32_t base;        // absolute position of copy[0]
  uint32_t run_length;  // length of the run of equal bytes ending at end - 1 (0: empty)
  uint8_t last;         // the byte at end - 1
  uint8_t levels_of[kWindowSize];  // by position mod kWindowSize: bit i set when in level i
  RunLists runs;
  HashLevel level[kLevelCount];
  uint8_t copy[kCopySize];
};

inline const uint8_t *FinderBytes(const MatchFinder *f, uint32_t position) {
  return f->copy + (position - f->base);
}

}  // namespace quillpack
