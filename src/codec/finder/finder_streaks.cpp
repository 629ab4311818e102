// Streaks: runs of chain positions a period apart, folded into one link and weighed by two
// members. The reasoning is in match_finder.h.
#include "codec/finder/finder_streaks.h"

namespace quillpack {
namespace {

// True when the bytes [from, to) of the window repeat with period d.
bool Repeats(const MatchFinder *f, uint32_t from, uint32_t to, uint32_t d) {
  uint32_t span = to - from - d;
  return CommonPrefix(FinderBytes(f, from + d), FinderBytes(f, from), span) == span;
}

// The oldest position at or after `oldest` that lies a whole number of periods after m.
inline uint32_t FirstMemberFrom(uint32_t m, uint32_t d, uint32_t oldest) {
  return m >= oldest ? m : m + d * ((oldest - m + d - 1) / d);
}

}  // namespace

uint16_t FoldStreak(MatchFinder *f, ChainLevel *lv, uint32_t t, uint16_t d) {
  const uint32_t oldest = f->oldest;
  uint32_t w = t - d;  // the oldest position reached through links of exactly d
  if (w < oldest) return d;
  uint32_t bottom;  // the streak's oldest member
  for (;;) {
    uint16_t link = lv->link[w & kWindowMask];
    if (link & kStreakLink) {
      // A streak of the same period below: joined, its bytes already checked.
      bottom = lv->period[w & kWindowMask] == d ? w - (link & kLinkDistance) : w;
      break;
    }
    if (link != d || w - d < oldest) {
      bottom = w;
      break;
    }
    w -= d;
  }
  bottom = FirstMemberFrom(bottom, d, oldest);
  if (t - bottom < 2u * d) return d;
  if (!Repeats(f, w, t + lv->length, d)) return d;
  uint16_t link = static_cast<uint16_t>(kStreakLink | (t - bottom));
  lv->link[t & kWindowMask] = link;
  lv->period[t & kWindowMask] = static_cast<uint8_t>(d);
  return link;
}

Streak StreakAt(const MatchFinder *f, const ChainLevel *lv, uint32_t t) {
  uint32_t d = lv->period[t & kWindowMask];
  uint32_t bottom = t - (lv->link[t & kWindowMask] & kLinkDistance);
  return Streak{t, d, FirstMemberFrom(bottom, d, f->oldest)};
}

bool StreakHoldsLookahead(const MatchFinder *f, const ChainLevel *lv, Lookahead *q,
                          const Streak &s) {
  // The members' k bytes repeat with period d. They are the lookahead's exactly when the
  // lookahead keeps period d for k bytes and starts with the members' first d bytes.
  return LookaheadExtent(q, s.period) >= lv->length &&
         CommonPrefix(FinderBytes(f, s.first), q->look, s.period) == s.period;
}

template <WalkOrder kOrder>
void WeighStreak(const MatchFinder *f, const ChainLevel *lv, Lookahead *q, const Streak &s,
                 Best *best) {
  if (!StreakHoldsLookahead(f, lv, q, s)) return;
  const uint32_t d = s.period;
  const uint32_t a = s.first;
  const uint32_t e = q->extent;
  // z: where the stretch of period d holding the streak ends. Member x matches min(z - x, e),
  // except x = z - e, whose match may go on past e.
  const uint32_t from = s.head + lv->length;
  const uint32_t z =
      from + CommonPrefix(FinderBytes(f, from), FinderBytes(f, from - d), f->end - from);
  uint32_t a_length = z - a < e ? z - a : e;
  if (z - a == e && e < q->max_length) {
    uint32_t room = q->max_length - e < f->end - z ? q->max_length - e : f->end - z;
    a_length += CommonPrefix(FinderBytes(f, z), q->look + e, room);
  }
  const uint32_t x = z - e;
  const bool x_member = z - a > e && x <= s.head && (x - a) % d == 0;
  if (kOrder == kNewestFirst) {
    if (x_member) Weigh<kNewestFirst>(f, *q, x, best);
    if (a_length >= best->length) *best = Best{a_length, a};
  } else {
    if (a_length > best->length) *best = Best{a_length, a};
    if (x_member) Weigh<kOldestFirst>(f, *q, x, best);
  }
}

template void WeighStreak<kNewestFirst>(const MatchFinder *, const ChainLevel *, Lookahead *,
                                        const Streak &, Best *);
template void WeighStreak<kOldestFirst>(const MatchFinder *, const ChainLevel *, Lookahead *,
                                        const Streak &, Best *);

}  // namespace quillpack
