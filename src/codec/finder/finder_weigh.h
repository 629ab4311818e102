// Weighing window positions against a lookahead: the lookahead, the best candidate so far,
// and the measure of one position's match.
#pragma once

#include <cstdint>

#include "codec/finder/finder_state.h"

namespace quillpack {

struct Lookahead {
  const uint8_t *look;
  uint32_t max_length;  // min(available, 255)
  uint32_t period;      // 0, or the period whose extent is known:
  uint32_t extent;      // how far look[i] == look[i - period] holds from the start
};

struct Best {
  uint32_t length;  // 0 while nothing was weighed
  uint32_t position;
};

// The match of window position `pos`: its common bytes with the lookahead, at most
// max_length and never past the window's end.
[[nodiscard]] inline uint32_t MeasureMatch(const MatchFinder *f, const Lookahead &q, uint32_t pos) {
  uint32_t room = f->end - pos;
  return CountCommonPrefix(LocateBytes(f, pos), q.look, room < q.max_length ? room : q.max_length);
}

// The order a walk weighs positions in. Newest first, a position becomes the best when its
// match is at least as long; oldest first, only when longer: either way the oldest of the
// longest wins.
enum WalkOrder { kNewestFirst, kOldestFirst };

// Makes window position `pos` the best when its match wins by the rules of `kOrder`.
template <WalkOrder kOrder>
inline void WeighPosition(const MatchFinder *f, const Lookahead &q, uint32_t pos, Best *best) {
  uint32_t b = best->length;
  if (b > 0) {
    // The match must agree at byte b - 1 (to tie) or b (to beat); most positions are turned
    // away here.
    uint32_t at = kOrder == kNewestFirst ? b - 1 : b;
    // Newest first, b - 1 lies within the lookahead, since b does.
    if ((kOrder == kOldestFirst && at >= q.max_length) || f->end - pos <= at ||
        LocateBytes(f, pos)[at] != q.look[at])
      return;
  }
  uint32_t length = MeasureMatch(f, q, pos);
  if (kOrder == kNewestFirst ? length >= b && length > 0 : length > b) *best = Best{length, pos};
}

// How far the lookahead keeps period d from its start (at least d): look[i] == look[i - d]
// for every d <= i < the result. Remembered for the last period asked.
[[nodiscard]] inline uint32_t MeasureExtent(Lookahead *q, uint32_t d) {
  QUILLPACK_ASSERT(d >= 1 && d <= q->max_length);
  if (q->period != d) {
    q->period = d;
    q->extent = d + CountCommonPrefix(q->look + d, q->look, q->max_length - d);
  }
  return q->extent;
}

}  // namespace quillpack
