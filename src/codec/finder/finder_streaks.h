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
[[nodiscard]] inline uint32_t MatchAt(const MatchFinder *f, const Lookahead &q, uint32_t s) {
  uint32_t room = f->end - s;
  return CommonPrefix(FinderBytes(f, s), q.look, room < q.max_length ? room : q.max_length);
}

// The order a walk weighs positions in. Newest first, a position becomes the best when its
// match is at least as long; oldest first, only when longer: either way the oldest of the
// longest wins.
enum WalkOrder { kNewestFirst, kOldestFirst };

template <WalkOrder kOrder>
inline void Weigh(const MatchFinder *f, const Lookahead &q, uint32_t s, Best *best) {
  uint32_t b = best->length;
  if (b > 0) {
    // The match must agree at byte b - 1 (to tie) or b (to beat); most positions are turned
    // away here.
    uint32_t at = kOrder == kNewestFirst ? b - 1 : b;
    if (at >= q.max_length || f->end - s <= at || FinderBytes(f, s)[at] != q.look[at]) return;
  }
  uint32_t length = MatchAt(f, q, s);
  if (kOrder == kNewestFirst ? length >= b && length > 0 : length > b) *best = Best{length, s};
}

// How far the lookahead keeps period d from its start (at least d): look[i] == look[i - d]
// for every d <= i < the result. Remembered for the last period asked.
[[nodiscard]] inline uint32_t LookaheadExtent(Lookahead *q, uint32_t d) {
  if (q->period != d) {
    q->period = d;
    q->extent = d + CommonPrefix(q->look + d, q->look, q->max_length - d);
  }
  return q->extent;
}

// Position t of level `lv`, in the window, has a plain link `d` (1 <= d <= 255) to the next
// older position of its bucket. When t, t - d, t - 2d, ..., follow each other in the chain
// (three or more, down to the oldest in the window, or through a streak of period d) and the
// bytes they cover repeat with period d, checked byte for byte, rewrites t's link as a streak
// link. Returns t's link as it now stands.
[[nodiscard]] uint16_t FoldStreak(MatchFinder *f, ChainLevel *lv, uint32_t t, uint16_t d);

// The link of t, folded into a streak link when t heads a streak of a period up to the
// level's fold_period. The next position's link is looked at first, as a fold needs it to
// equal t's, and a fold that failed at t since the last sweep is not tried again.
[[nodiscard]] inline uint16_t LinkFolded(MatchFinder *f, ChainLevel *lv, uint32_t t) {
  uint16_t link = lv->link[t & kWindowMask];
  if (link == 0 || link > lv->fold_period) return link;
  uint32_t next = t - link;
  if (next < f->oldest) return link;
  uint16_t next_link = lv->link[next & kWindowMask];
  if (next_link != link && !(next_link & kStreakLink)) return link;
  if (lv->unfolded[(t & kWindowMask) >> 3] & (1u << (t & 7))) return link;
  return FoldStreak(f, lv, t, link);
}

// The streak headed by t: its period, its oldest member in the window, and where the stretch
// of that period holding it ends (z; 0 when t is the only member left in the window).
struct Streak {
  uint32_t head;
  uint32_t period;
  uint32_t first;
  uint32_t end;
};

[[nodiscard]] Streak StreakAt(const MatchFinder *f, const ChainLevel *lv, uint32_t t);

// True when the streak's members start with the lookahead's k bytes and a whole period of
// the stretch; then the lookahead keeps the streak's period for LookaheadExtent(q, period)
// >= k bytes.
[[nodiscard]] bool StreakHoldsLookahead(const MatchFinder *f, const ChainLevel *lv, Lookahead *q,
                                        const Streak &s);

// Weighs the streak's members in the window as a walk in order kOrder would weigh them one by
// one: of all members only the oldest in the window, the one whose match may run past the
// lookahead's period, and the newest when it holds less than a whole period can win, and only
// those are weighed.
template <WalkOrder kOrder>
void WeighStreak(const MatchFinder *f, Lookahead *q, const Streak &s, Best *best);

}  // namespace quillpack
