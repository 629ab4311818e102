// Streaks: runs of chain positions a period apart, folded into one link and weighed by two
// members. The reasoning is in match_finder.h.
#include "codec/finder/finder_streaks.h"

namespace quillpack {
namespace {

// The oldest position at or after `oldest` that lies a whole number of periods after m.
inline uint32_t FirstMemberFrom(uint32_t m, uint32_t d, uint32_t oldest) {
  return m >= oldest ? m : m + d * ((oldest - m + d - 1) / d);
}

}  // namespace

uint16_t FoldStreak(MatchFinder *f, ChainLevel *lv, uint32_t t, uint16_t d) {
  QUILLPACK_ASSERT(d >= 1 && d <= lv->fold_period && t >= f->oldest && t + lv->length <= f->end);
  const uint32_t oldest = f->oldest;
  const uint32_t top = t + lv->length;  // the bytes [member, top) must repeat with period d
  uint8_t *unfolded = &lv->unfolded[(t & kWindowMask) >> 3];
  *unfolded = static_cast<uint8_t>(*unfolded | 1u << (t & 7));  // until it succeeds
  if (t - d < oldest) return d;
  // The positions that follow t through links of exactly d, down to w, and a streak of
  // period d right below, if there is one.
  uint32_t w = t - d;
  uint16_t link;
  for (;;) {
    link = lv->link[w & kWindowMask];
    if (link != d || w - d < oldest) break;
    w -= d;
  }
  const bool joins = (link & kStreakLink) && lv->period[w & kWindowMask] == d && w - d >= oldest;
  // The bytes are checked going down from the top, as far as those members need (and the
  // period before a joined streak, which a period longer than k leaves unchecked), so a
  // chain that only looks periodic costs no more than the bytes down to its break.
  const uint32_t needed = joins ? w - d : w;
  const uint32_t lowest =
      top - d - CommonSuffix(FinderBytes(f, top), FinderBytes(f, top - d), top - d - needed);
  if (lowest > t - d) return d;  // t - d does not repeat t's bytes
  uint32_t bottom;               // the streak's oldest member
  if (lowest <= needed) {
    bottom = joins ? w - (link & kLinkDistance) : w;
  } else {
    bottom = t - d * ((t - lowest) / d);
  }
  bottom = FirstMemberFrom(bottom, d, oldest);
  if (t - bottom < 2u * d) return d;
  *unfolded = static_cast<uint8_t>(*unfolded & ~(1u << (t & 7)));
  link = static_cast<uint16_t>(kStreakLink | (t - bottom));
  lv->link[t & kWindowMask] = link;
  lv->period[t & kWindowMask] = static_cast<uint8_t>(d);
  return link;
}

Streak StreakAt(const MatchFinder *f, const ChainLevel *lv, uint32_t t) {
  uint32_t d = lv->period[t & kWindowMask];
  uint32_t bottom = t - (lv->link[t & kWindowMask] & kLinkDistance);
  if (t - d < f->oldest) return Streak{t, d, t, 0};  // the head alone is left in the window
  // Where the stretch of period d holding the streak ends; the bytes a period back are in
  // the window, as t - d is.
  const uint32_t from = t + lv->length;
  uint32_t z = from + CommonPrefix(FinderBytes(f, from), FinderBytes(f, from - d), f->end - from);
  return Streak{t, d, FirstMemberFrom(bottom, d, f->oldest), z};
}

bool StreakHoldsLookahead(const MatchFinder *f, const ChainLevel *lv, Lookahead *q,
                          const Streak &s) {
  // The members start with one period of the stretch (when a whole one lies before z); they
  // hold the lookahead's k bytes exactly when it starts with that period and keeps the period
  // for k bytes.
  const uint32_t d = s.period;
  return s.first < s.head && s.end - s.first >= d && q->max_length >= d &&
         CommonPrefix(FinderBytes(f, s.first), q->look, d) == d &&
         LookaheadExtent(q, d) >= lv->length;
}

template <WalkOrder kOrder>
void WeighStreak(const MatchFinder *f, Lookahead *q, const Streak &s, Best *best) {
  QUILLPACK_ASSERT(s.first <= s.head && s.head < f->end && s.period >= 1);
  if (s.first == s.head) {  // a streak of one member left
    Weigh<kOrder>(f, *q, s.head, best);
    return;
  }
  const uint32_t d = s.period;
  const uint32_t a = s.first;
  const uint32_t z = s.end;
  // A member x with z - x >= d starts with one whole period, the pattern. If the lookahead
  // starts with the pattern, x matches min(z - x, e), e being how far the lookahead keeps the
  // period, except x = z - e, whose match may go on past e. If not, every such x matches the
  // same few bytes of the pattern. Either way no such member but the oldest and z - e can
  // win. A member closer to z than d (the newest at most, when d > k) is weighed as it is.
  const bool newest_whole = z - s.head >= d;
  const uint32_t last_whole = newest_whole ? s.head : s.head - d;
  uint32_t a_length = 0;
  uint32_t x = 0;  // the member z - e, when it is one and lies after a
  if (last_whole >= a && z - a >= d) {
    uint32_t span = d < q->max_length ? d : q->max_length;
    uint32_t p = CommonPrefix(FinderBytes(f, a), q->look, span);
    if (p < d) {
      a_length = p;
    } else {
      const uint32_t e = LookaheadExtent(q, d);
      a_length = z - a < e ? z - a : e;
      if (z - a == e && e < q->max_length) {
        uint32_t room = q->max_length - e < f->end - z ? q->max_length - e : f->end - z;
        a_length += CommonPrefix(FinderBytes(f, z), q->look + e, room);
      }
      if (z - a > e && z - e <= last_whole && (z - e - a) % d == 0) x = z - e;
    }
  }
  const bool partial = !newest_whole && s.head >= a;
  if (kOrder == kNewestFirst) {
    if (partial) Weigh<kNewestFirst>(f, *q, s.head, best);
    if (x != 0) Weigh<kNewestFirst>(f, *q, x, best);
    if (a_length > 0 && a_length >= best->length) *best = Best{a_length, a};
  } else {
    if (a_length > best->length) *best = Best{a_length, a};
    if (x != 0) Weigh<kOldestFirst>(f, *q, x, best);
    if (partial) Weigh<kOldestFirst>(f, *q, s.head, best);
  }
}

template void WeighStreak<kNewestFirst>(const MatchFinder *, Lookahead *, const Streak &, Best *);
template void WeighStreak<kOldestFirst>(const MatchFinder *, Lookahead *, const Streak &, Best *);

}  // namespace quillpack
