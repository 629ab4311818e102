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

void WeighStreak(const MatchFinder *f, const ChainLevel *lv, Lookahead *q, uint32_t t,
                 uint32_t bottom, Best *best) {
  const uint32_t d = lv->period[t & kWindowMask];
  const uint32_t a = FirstMemberFrom(bottom, d, f->oldest);
  uint32_t a_length = MatchAt(f, *q, a);
  // With the members' k bytes the lookahead's, each member x matches min(z - x, e), where e
  // is how far the lookahead keeps period d and z where the stretch of period d ends;
  // x = z - e alone may match further. a's match tells which case holds: below e, z - a is
  // below e too and no x lies after a; above e, a is that x. Only a match of exactly e
  // leaves x = z - e to be looked at, unless e is the most any match may reach.
  if (a_length >= lv->length && a_length < q->max_length) {
    if (q->period != d) {
      q->period = d;
      q->extent = d + CommonPrefix(q->look + d, q->look, q->max_length - d);
    }
    if (a_length == q->extent) {
      uint32_t from = t + lv->length;
      uint32_t z =
          from + CommonPrefix(FinderBytes(f, from), FinderBytes(f, from - d), f->end - from);
      uint32_t x = z - q->extent;
      if (x > a && x <= t && (x - a) % d == 0) Weigh(f, *q, x, best);
    }
  }
  if (a_length >= best->length && a_length > 0) *best = Best{a_length, a};
}

}  // namespace quillpack
