// MatchFinderSearch: the longest, then oldest, window match, from the levels and run lists.
//
// Why this equals MatchSearch. Let L* be the best length and R the number of leading equal
// bytes of the lookahead (capped like the match). A candidate of length >= k shares the
// lookahead's first k bytes and lies at distance >= k, so it is in level k's bucket unless
// those k bytes are one byte repeated, which happens exactly when R >= k. The levels above R
// are walked from the longest down, each bucket oldest first: if a walk finds a length >= k,
// every candidate that long was in the bucket and the oldest of the longest wins; otherwise
// L* < k, which caps the walks below (the first candidate reaching the cap ends a walk, as
// no later one can be strictly longer). What the levels leave is a lookahead that starts
// with R >= 3 equal bytes c and L* <= cap: every candidate of length >= 3 then starts inside
// a run of c of 3 or more bytes, and the run lists give each run's best candidate directly.
#include "codec/finder_state.h"
#include "codec/match_finder.h"

#include <array>
#include <utility>

namespace quillpack {
namespace {

struct Best {
  uint32_t length;
  uint32_t position;
};

inline void Consider(Best *best, uint32_t length, uint32_t position) {
  if (length > best->length) {
    best->length = length;
    best->position = position;
  }
}

// Walks level L's bucket of the lookahead oldest first, until a candidate reaches `cap`.
template <uint32_t L>
inline Best WalkLevel(const MatchFinder *f, const uint8_t *look, uint32_t max_length,
                      uint32_t cap) {
  Best best{0, 0};
  const HashLevel *lv = &f->level[L];
  uint32_t bucket = LevelHash<kLevelLengths[L]>(look);
  if (lv->bucket[bucket].head == kNoEntry) return best;
  const uint32_t end = f->end;
  uint32_t s = LevelPosition(lv->bucket[bucket].head, end);
  uint32_t tail = LevelPosition(lv->bucket[bucket].tail, end);
  for (;;) {
    uint32_t d = end - s;
    uint32_t limit = d < max_length ? d : max_length;
    uint32_t b = best.length;
    if (limit > b) {
      const uint8_t *c = FinderBytes(f, s);
      if (c[b] == look[b]) {
        uint32_t length = CommonPrefix(c, look, limit);
        if (length > b) {
          best = {length, s};
          if (length >= cap) return best;
        }
      }
    }
    if (s == tail) return best;
    s = LevelNext(lv, s);
  }
}

// The lookahead starts with `r` >= 3 bytes equal to look[0] (fewer than `max_length` only
// when look[r] differs), and no candidate is longer than `cap`.
//
// For a run of c = look[0] ending before the window's end, with a = its first position in
// the window and m(s) = end - s the equal bytes from s: a position with m(s) < r matches
// m(s) bytes; one with m(s) > r matches r (the lookahead's run ends first); the one with
// m(s) = r, at end - r, matches r and then whatever follows both runs. The run touching the
// window's end matches min(r, distance) from any of its positions, best from a.
Best SearchRuns(const MatchFinder *f, const uint8_t *look, uint32_t r, uint32_t max_length,
                uint32_t cap) {
  Best best{0, 0};
  const RunLists *runs = &f->runs;
  const uint32_t end = f->end;
  const uint32_t oldest = f->oldest;
  for (uint16_t i = runs->head[look[0]]; i != kNoRun; i = runs->next[i]) {
    uint32_t start = runs->start[i];
    uint32_t a = static_cast<int32_t>(start - oldest) < 0 ? oldest : start;
    uint32_t e = runs->end[i];
    if (e == end) {
      uint32_t d = end - a;
      Consider(&best, r < d ? r : d, a);
    } else if (e - a < r) {
      Consider(&best, e - a, a);
    } else {
      if (e - a > r) Consider(&best, r, a);
      uint32_t length = r;
      if (r < max_length) {
        uint32_t room = max_length - r < end - e ? max_length - r : end - e;
        length += CommonPrefix(FinderBytes(f, e), look + r, room);
      }
      Consider(&best, length, e - r);
    }
    if (best.length >= cap) break;
  }
  return best;
}

Match Found(const MatchFinder *f, Best best) {
  if (best.length < kMinMatch) return Match{false, 0, 0};
  return Match{true, static_cast<uint8_t>(best.length),
               static_cast<uint16_t>(f->end - best.position)};
}

using Walker = Best (*)(const MatchFinder *, const uint8_t *, uint32_t, uint32_t);

template <uint32_t... L>
constexpr auto MakeWalkers(std::integer_sequence<uint32_t, L...>) {
  return std::array<Walker, kLevelCount>{&WalkLevel<L>...};
}

constexpr auto kWalkers = MakeWalkers(std::make_integer_sequence<uint32_t, kLevelCount>{});

}  // namespace

// Which level holds the answer is found from below: a walk that stops at the first
// candidate of length >= k tells whether level k has any (its bucket holds only those and
// hash collisions), and a candidate of length x settles every level up to x at once. The
// highest level with a candidate, k, is then walked in full, capped by the next level up
// (which has none, so L* is below it); with no level above R holding one, the run lists or
// "not found" answer, as above.
Match MatchFinderSearch(MatchFinder *f, const uint8_t *look, uint32_t available) {
  if (available < kMinMatch || f->end == f->oldest) return Match{false, 0, 0};
  const uint32_t max_length = available < kMaxMatch ? available : kMaxMatch;
  const uint32_t r = RunPrefix(look, look[0], max_length);
  uint32_t i = 0;
  while (i < kLevelCount && kLevelLengths[i] <= r) ++i;
  int top = -1;  // highest level known to hold a candidate
  uint32_t known = 0;
  uint32_t cap = max_length;
  for (; i < kLevelCount && kLevelLengths[i] <= max_length; ++i) {
    uint32_t k = kLevelLengths[i];
    if (k > known) {
      Best probe = kWalkers[i](f, look, max_length, k);
      if (probe.length < k) {
        cap = k - 1;
        break;
      }
      known = probe.length;
    }
    top = static_cast<int>(i);
  }
  Best best{0, 0};
  if (top >= 0) {
    best = kWalkers[top](f, look, max_length, cap);
  } else if (r >= kMinMatch) {
    best = SearchRuns(f, look, r, max_length, cap);
  }
  return Found(f, best);
}

}  // namespace quillpack
