// Streaks: chain positions a period apart, folded into one link and weighed by a few members.
// The reasoning is in match_finder.h.
#include "codec/finder/finder_streaks.h"

namespace quillpack {
namespace {

// The oldest position at or after `oldest` that lies a whole number of periods after m.
inline uint32_t FindFirstMember(uint32_t m, uint32_t d, uint32_t oldest) {
  return m >= oldest ? m : m + d * ((oldest - m + d - 1) / d);
}

}  // namespace

uint16_t FoldStreak(MatchFinder *f, ChainLevel *lv, uint32_t pos, uint16_t d) {
  QUILLPACK_ASSERT(d >= 1 && d <= lv->fold_period && pos >= f->oldest &&
                   pos + lv->length <= f->end);
  const uint32_t oldest = f->oldest;
  const uint32_t top = pos + lv->length;  // the bytes [member, top) must repeat with period d
  uint8_t *unfolded = &lv->unfolded[(pos & kWindowMask) >> 3];
  *unfolded = static_cast<uint8_t>(*unfolded | 1u << (pos & 7));  // until it succeeds
  if (pos - d < oldest) return d;
  // The positions that follow pos through links of exactly d, down to w, and a streak of
  // period d right below, if there is one.
  uint32_t w = pos - d;
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
      top - d - CountCommonSuffix(LocateBytes(f, top), LocateBytes(f, top - d), top - d - needed);
  if (lowest > pos - d) return d;  // pos - d does not repeat pos's bytes
  uint32_t bottom;                 // the streak's oldest member
  if (lowest <= needed) {
    bottom = joins ? w - (link & kLinkDistance) : w;
  } else {
    bottom = pos - d * ((pos - lowest) / d);
  }
  bottom = FindFirstMember(bottom, d, oldest);
  if (pos - bottom < 2u * d) return d;
  QUILLPACK_ASSERT(pos - bottom <= kLinkDistance);
  *unfolded = static_cast<uint8_t>(*unfolded & ~(1u << (pos & 7)));
  link = static_cast<uint16_t>(kStreakLink | (pos - bottom));
  lv->link[pos & kWindowMask] = link;
  lv->period[pos & kWindowMask] = static_cast<uint8_t>(d);
  return link;
}

Streak ReadStreak(const MatchFinder *f, const ChainLevel *lv, uint32_t pos) {
  QUILLPACK_ASSERT(pos >= f->oldest && (lv->link[pos & kWindowMask] & kStreakLink));
  uint32_t d = lv->period[pos & kWindowMask];
  uint32_t bottom = pos - (lv->link[pos & kWindowMask] & kLinkDistance);
  if (pos - d < f->oldest) return Streak{pos, d, pos, 0};  // the head alone is left
  // Where the stretch of period d holding the streak ends; the bytes a period back are in
  // the window, as pos - d is.
  const uint32_t from = pos + lv->length;
  uint32_t stretch_end =
      from + CountCommonPrefix(LocateBytes(f, from), LocateBytes(f, from - d), f->end - from);
  return Streak{pos, d, FindFirstMember(bottom, d, f->oldest), stretch_end};
}

bool StreakHoldsLookahead(const MatchFinder *f, const ChainLevel *lv, Lookahead *q,
                          const Streak &streak) {
  // The members start with one period of the stretch (when a whole one lies before its end);
  // they hold the lookahead's k bytes exactly when it starts with that period and keeps the
  // period for k bytes.
  const uint32_t d = streak.period;
  return streak.first < streak.head && streak.stretch_end - streak.first >= d &&
         q->max_length >= d && CountCommonPrefix(LocateBytes(f, streak.first), q->look, d) == d &&
         MeasureExtent(q, d) >= lv->length;
}

template <WalkOrder kOrder>
void WeighStreak(const MatchFinder *f, Lookahead *q, const Streak &streak, Best *best) {
  QUILLPACK_ASSERT(streak.first <= streak.head && streak.head < f->end && streak.period >= 1);
  if (streak.first == streak.head) {  // a streak of one member left
    WeighPosition<kOrder>(f, *q, streak.head, best);
    return;
  }
  const uint32_t d = streak.period;
  const uint32_t a = streak.first;
  const uint32_t z = streak.stretch_end;
  // A member x with z - x >= d starts with one whole period, the pattern. If the lookahead
  // starts with the pattern, x matches min(z - x, e), e being how far the lookahead keeps the
  // period, except x = z - e, whose match may go on past e. If not, every such x matches the
  // same few bytes of the pattern. Either way no such member but the oldest, a, and z - e can
  // win. A member closer to z than d (the newest at most, when d > k) is weighed as it is.
  const bool newest_whole = z - streak.head >= d;
  const uint32_t last_whole = newest_whole ? streak.head : streak.head - d;
  uint32_t a_length = 0;
  uint32_t past_extent = 0;  // the member z - e, when it is one and lies after a
  if (last_whole >= a && z - a >= d) {
    uint32_t span = d < q->max_length ? d : q->max_length;
    uint32_t p = CountCommonPrefix(LocateBytes(f, a), q->look, span);
    if (p < d) {
      a_length = p;
    } else {
      const uint32_t e = MeasureExtent(q, d);
      a_length = z - a < e ? z - a : e;
      if (z - a == e && e < q->max_length) {
        uint32_t room = q->max_length - e < f->end - z ? q->max_length - e : f->end - z;
        a_length += CountCommonPrefix(LocateBytes(f, z), q->look + e, room);
      }
      if (z - a > e && z - e <= last_whole && (z - e - a) % d == 0) past_extent = z - e;
    }
  }
  const bool partial = !newest_whole && streak.head >= a;
  if (kOrder == kNewestFirst) {
    if (partial) WeighPosition<kNewestFirst>(f, *q, streak.head, best);
    if (past_extent != 0) WeighPosition<kNewestFirst>(f, *q, past_extent, best);
    if (a_length > 0 && a_length >= best->length) *best = Best{a_length, a};
  } else {
    if (a_length > best->length) *best = Best{a_length, a};
    if (past_extent != 0) WeighPosition<kOldestFirst>(f, *q, past_extent, best);
    if (partial) WeighPosition<kOldestFirst>(f, *q, streak.head, best);
  }
}

template void WeighStreak<kNewestFirst>(const MatchFinder *, Lookahead *, const Streak &, Best *);
template void WeighStreak<kOldestFirst>(const MatchFinder *, Lookahead *, const Streak &, Best *);

}  // namespace quillpack
