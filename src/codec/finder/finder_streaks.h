// Weighing window positions against a lookahead, one at a time or a streak at a time.
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

// The match of window position s: its common bytes with the lookahead, at most max_length
// and never past the window's end.
inline uint32_t MatchAt(const MatchFinder *f, const Lookahead &q, uint32_t s) {
  uint32_t room = f->end - s;
  return CommonPrefix(FinderBytes(f, s), q.look, room < q.max_length ? room : q.max_length);
}

// For a walk that goes from newer positions to older ones: s becomes the best when its match
// is at least as long (an older position wins a tie).
inline void Weigh(const MatchFinder *f, const Lookahead &q, uint32_t s, Best *best) {
  uint32_t b = best->length;
  // A match that reaches b bytes agrees at byte b - 1; most positions are turned away here.
  if (b > 0 && FinderBytes(f, s)[b - 1] != q.look[b - 1]) return;
  uint32_t length = MatchAt(f, q, s);
  if (length >= b && length > 0) *best = Best{length, s};
}

// Position t of level `lv`, in the window, has a plain link `d` (1 <= d <= k) to the next
// older position of its bucket. When t, t - d, t - 2d, ..., follow each other in the chain
// (three or more, down to the oldest in the window, or through a streak of period d) and the
// bytes they cover repeat with period d, rewrites t's link as a streak link. Returns t's
// link as it now stands.
uint16_t FoldStreak(MatchFinder *f, ChainLevel *lv, uint32_t t, uint16_t d);

// Weighs the streak headed by t (its link a streak link to `bottom`) as a walk from newer to
// older positions would weigh every member in the window, one by one: of all members only
// the oldest in the window and the one whose match may run past the lookahead's period can
// win, and only those two are compared.
void WeighStreak(const MatchFinder *f, const ChainLevel *lv, Lookahead *q, uint32_t t,
                 uint32_t bottom, Best *best);

}  // namespace quillpack
