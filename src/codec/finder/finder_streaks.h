// Streaks: chain positions a period apart, folded into one link and weighed by a few members.
// The reasoning is in match_finder.h.
#pragma once

#include <cstdint>

#include "codec/finder/finder_state.h"
#include "codec/finder/finder_weigh.h"

namespace quillpack {

// Position `pos` of level `lv`, in the window, has a plain link `d` (1 <= d <= 255) to the
// next older position of its bucket. When pos, pos - d, pos - 2d, ..., follow each other in
// the chain (three or more, down to the oldest in the window, or through a streak of period
// d) and the bytes they cover repeat with period d, checked byte for byte, rewrites pos's link
// as a streak link. Returns pos's link as it now stands.
[[nodiscard]] uint16_t FoldStreak(MatchFinder *f, ChainLevel *lv, uint32_t pos, uint16_t d);

// The link of `pos`, folded into a streak link when pos heads a streak of a period up to the
// level's fold_period. The next position's link is looked at first, as a fold needs it to
// equal pos's, and a fold that failed at pos since the last sweep is not tried again.
[[nodiscard]] inline uint16_t FoldLink(MatchFinder *f, ChainLevel *lv, uint32_t pos) {
  uint16_t link = lv->link[pos & kWindowMask];
  if (link == 0 || link > lv->fold_period) return link;
  uint32_t next = pos - link;
  if (next < f->oldest) return link;
  uint16_t next_link = lv->link[next & kWindowMask];
  if (next_link != link && !(next_link & kStreakLink)) return link;
  if (lv->unfolded[(pos & kWindowMask) >> 3] & (1u << (pos & 7))) return link;
  return FoldStreak(f, lv, pos, link);
}

// The streak headed by a position: its period, its oldest member in the window, and where the
// stretch of that period holding it ends (0 when the head is the only member left in the
// window).
struct Streak {
  uint32_t head;
  uint32_t period;
  uint32_t first;
  uint32_t stretch_end;
};

// The streak that window position `pos`, whose link is a streak link, heads.
[[nodiscard]] Streak ReadStreak(const MatchFinder *f, const ChainLevel *lv, uint32_t pos);

// True when the streak's members start with the lookahead's k bytes and a whole period of
// the stretch; then the lookahead keeps the streak's period for MeasureExtent(q, period)
// >= k bytes.
[[nodiscard]] bool StreakHoldsLookahead(const MatchFinder *f, const ChainLevel *lv, Lookahead *q,
                                        const Streak &streak);

// Weighs the streak's members in the window as a walk in order kOrder would weigh them one by
// one: of all members only the oldest in the window, the one whose match may run past the
// lookahead's period, and the newest when it holds less than a whole period can win, and only
// those are weighed.
template <WalkOrder kOrder>
void WeighStreak(const MatchFinder *f, Lookahead *q, const Streak &streak, Best *best);

}  // namespace quillpack
