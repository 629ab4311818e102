// MatchFinderSearch: probes up the chain levels, then one full walk of the answering bucket.
// Why the answer equals MatchSearch's is set out in match_finder.h.
#include "codec/finder/finder_streaks.h"
#include "codec/finder/finder_weigh.h"
#include "codec/finder/match_finder.h"

namespace quillpack {
namespace {

// The position that level `i`'s bucket of the lookahead names first (older than `oldest`
// when the bucket holds nothing in the window).
inline uint32_t BucketHead(const MatchFinder *f, uint32_t i, const uint8_t *look) {
  const ChainLevel *lv = &f->level[i];
  // The first level, asked at every search, hashes without looking up its length.
  uint32_t bucket = i == 0 ? HashBytes<kMinMatch>(look, lv->hash_bits) : FindBucket(lv, look);
  return ResolveHead(lv->head[bucket], f->end);
}

// Newest first: the first position of the lookahead's bucket of level `i` that reaches k (its
// k bytes are the lookahead's) and its length, or length 0 when none does.
inline Best ProbeLevel(MatchFinder *f, uint32_t i, const Lookahead &q) {
  ChainLevel *lv = ReadyLevel(f, i);
  QUILLPACK_ASSERT(lv->length <= q.max_length);
  const uint32_t k = lv->length;
  const uint32_t oldest = f->oldest;
  uint32_t pos = BucketHead(f, i, q.look);
  while (pos >= oldest) {
    if (LocateBytes(f, pos)[k - 1] == q.look[k - 1]) {
      uint32_t length = MeasureMatch(f, q, pos);
      if (length >= k) return Best{length, pos};
    }
    uint16_t link = FoldLink(f, lv, pos);
    if (link == 0) break;
    // Every member of a streak has pos's k bytes: none reaches k if pos does not. Its oldest
    // member is examined again, harmlessly, on the way to its link.
    pos -= link & kLinkDistance;
  }
  return Best{0, 0};
}

// Newest first over the chain of level `lv` from `best.position`, which the walk has reached
// (the positions before it on the chain being shorter than it): every position weighed into
// `best`, as WalkBucket would with no streak on the way. True when the chain ends within
// `budget` positions and without a streak link; false otherwise, with `best` not to be used.
bool WalkShortChain(const MatchFinder *f, const ChainLevel *lv, const Lookahead &q, uint32_t budget,
                    Best *best) {
  uint32_t pos = best->position;
  for (;;) {
    uint16_t link = lv->link[pos & kWindowMask];
    if (link == 0) return true;
    if ((link & kStreakLink) || budget-- == 0) return false;
    pos -= link;
    if (pos < f->oldest) return true;
    WeighPosition<kNewestFirst>(f, q, pos, best);
  }
}

// When a level above the first has at least kLagWorthAWalk positions to file, a search that
// needs it first walks the bucket of the level below that found its candidate
// (WalkShortChain), for at most one position per kFilingsPerStep positions to be filed, and
// files the level only when that bucket turns out longer.
constexpr uint32_t kLagWorthAWalk = 64;
constexpr uint32_t kFilingsPerStep = 8;

// How many positions level `i` (not the first) has yet to file.
inline uint32_t UnfiledPositions(const MatchFinder *f, uint32_t i) {
  const ChainLevel *lv = &f->level[i];
  const uint32_t from = lv->next > f->oldest ? lv->next : f->oldest;
  return f->end - from >= lv->length ? f->end - from - (lv->length - 1) : 0;
}

// The lookahead keeps some period for its first `extent` bytes (e) and byte e breaks it. A
// candidate longer than e matches the lookahead's first e + 1 bytes, so for the longest level
// k <= e + 1 the position g bytes into it, for any g <= e + 1 - k, is filed in level k under
// the lookahead's bytes [g, g + k). The largest such g whose bytes are not one byte repeated
// takes in the break, which few stretches share (the bucket of a run's bytes holds every
// position of every such run). Weighs every candidate that bucket names into `best`; the best
// is the answer when it is longer than e, and otherwise no candidate is. False when no such g
// exists.
bool WeighPastBreak(MatchFinder *f, const Lookahead &q, uint32_t extent, Best *best) {
  QUILLPACK_ASSERT(extent >= kMinMatch && extent < q.max_length);
  uint32_t level = 0;
  while (level + 1 < f->level_count && f->level[level + 1].length <= extent + 1) ++level;
  const uint32_t k = f->level[level].length;
  uint32_t g = extent + 1 - k;
  while (f->runs != nullptr && CountRunPrefix(q.look + g, q.look[g], k) == k) {
    if (g == 0) return false;
    --g;
  }
  const ChainLevel *lv = ReadyLevel(f, level);
  *best = Best{0, 0};
  uint32_t pos = BucketHead(f, level, q.look + g);
  while (pos >= f->oldest + g) {
    WeighPosition<kNewestFirst>(f, q, pos - g, best);
    uint16_t link = lv->link[pos & kWindowMask];
    if (link == 0) break;
    // A streak's members are weighed one by one here, as their candidates start g bytes
    // before them; each member still holds its plain link to the next.
    pos -= link & kStreakLink ? lv->period[pos & kWindowMask] : link;
  }
  return true;
}

// Oldest first over the chain from `pos` down: its positions are noted on the way down and
// weighed on the way back, and the first to reach `cap` (which no candidate exceeds) ends the
// walk.
Best WalkOldestFirst(MatchFinder *f, ChainLevel *lv, Lookahead &q, uint32_t pos, uint32_t cap) {
  const uint32_t end = f->end;
  uint16_t *noted = f->scratch;
  uint32_t n = 0;
  while (pos >= f->oldest) {
    uint16_t link = FoldLink(f, lv, pos);
    QUILLPACK_ASSERT(n < kWindowSize);
    if (link & kStreakLink) {
      noted[n++] = static_cast<uint16_t>((end - pos - 1) | kNotedStreak);
      pos -= link & kLinkDistance;  // its oldest member is noted again, harmlessly
      continue;
    }
    noted[n++] = static_cast<uint16_t>(end - pos - 1);
    if (link == 0) break;
    pos -= link;
  }
  Best best{0, 0};
  while (n > 0 && best.length < cap) {
    uint16_t entry = noted[--n];
    uint32_t noted_pos = end - 1 - (entry & ~kNotedStreak & 0xFFFFu);
    if (entry & kNotedStreak) {
      WeighStreak<kOldestFirst>(f, &q, ReadStreak(f, lv, noted_pos), &best);
    } else {
      WeighPosition<kOldestFirst>(f, q, noted_pos, &best);
    }
  }
  return best;
}

// The whole bucket of a level known to hold a match of k bytes or more: the longest match
// (no more than `cap`, which no candidate exceeds), the oldest of equals. Newest first, unless
// the lookahead turns out periodic like a streak of the bucket: then past the break the answer
// is found directly, short of it the match cannot exceed the lookahead's periodic extent, and
// the rest of the bucket is walked oldest first, so that the first stretch long enough ends it.
Best WalkBucket(MatchFinder *f, uint32_t i, Lookahead &q, uint32_t cap) {
  ChainLevel *lv = ReadyLevel(f, i);
  QUILLPACK_ASSERT(lv->length <= cap && cap <= q.max_length);
  Best best{0, 0};
  uint32_t pos = BucketHead(f, i, q.look);
  while (pos >= f->oldest) {
    uint16_t link = FoldLink(f, lv, pos);
    if (link & kStreakLink) {
      Streak streak = ReadStreak(f, lv, pos);
      if (StreakHoldsLookahead(f, lv, &q, streak)) {
        Best past;
        if (cap > q.extent && q.extent < q.max_length && WeighPastBreak(f, q, q.extent, &past)) {
          if (past.length > q.extent) return past;
          cap = q.extent;
        }
        // The small finder has no room to note positions in: it goes on newest first.
        if (f->scratch != nullptr) {
          Best older = WalkOldestFirst(f, lv, q, pos, cap);
          return older.length >= best.length ? older : best;
        }
      }
      WeighStreak<kNewestFirst>(f, &q, streak, &best);
      // The oldest member, if still in the window, goes on to its own link; weighing it
      // again changes nothing.
      pos -= link & kLinkDistance;
      continue;
    }
    WeighPosition<kNewestFirst>(f, q, pos, &best);
    if (link == 0) break;
    pos -= link;
  }
  return best;
}

// The lookahead starts with `r` >= 3 bytes equal to look[0] (fewer than max_length only when
// look[r] differs), and no candidate is longer than `cap`. Every candidate then starts in a
// run of look[0] of 3 or more bytes; the run lists give each run's best at once, oldest run
// first, so the first run to reach the cap ends the search.
//
// For a run of c = look[0] ending at e (exclusive) before the window's end, with a its first
// position in the window: a position x with e - x < r matches e - x bytes; one with e - x > r
// matches r (the lookahead's run ends first); the one with e - x = r matches r and then
// whatever follows both runs. The run touching the window's end matches min(r, end - x)
// from any of its positions, best from a.
Best SearchRuns(MatchFinder *f, const Lookahead &q, uint32_t r, uint32_t cap) {
  QUILLPACK_ASSERT(f->runs != nullptr && r >= kMinMatch && r <= q.max_length);
  // Past the end of the lookahead's run only the break lookup can find a candidate; short of
  // it the first run long enough ends the search.
  Best past;
  if (cap > r && r < q.max_length && WeighPastBreak(f, q, r, &past)) {
    if (past.length > r) return past;
    cap = r;
  }
  Best best{0, 0};
  auto consider = [&best](uint32_t length, uint32_t position) {
    if (length > best.length) best = Best{length, position};
  };
  const RunLists *runs = f->runs;
  const uint32_t end = f->end;
  for (uint16_t i = runs->head[q.look[0]]; i != kNoRun; i = runs->next[i]) {
    const uint32_t a = runs->start[i] < f->oldest ? f->oldest : runs->start[i];
    const uint32_t run_end = runs->end[i];
    QUILLPACK_ASSERT(a < run_end && run_end <= end);
    if (run_end == end) {
      consider(r < end - a ? r : end - a, a);
    } else if (run_end - a < r) {
      consider(run_end - a, a);
    } else {
      if (run_end - a > r) consider(r, a);
      uint32_t length = r;
      if (r < q.max_length) {
        uint32_t room = q.max_length - r < end - run_end ? q.max_length - r : end - run_end;
        length += CountCommonPrefix(LocateBytes(f, run_end), q.look + r, room);
      }
      consider(length, run_end - r);
    }
    if (best.length >= cap) break;
  }
  return best;
}

// The levels from `i` up, for a lookahead that starts with r equal bytes (r < the length of
// level i) and a candidate `found` that the probe of level `probed` gave (length 0: none
// yet): the longest match, the oldest of equals.
QUILLPACK_NOINLINE Best SearchLevels(MatchFinder *f, Lookahead &q, uint32_t r, uint32_t i,
                                     Best found, uint32_t probed) {
  int top = -1;  // the highest level known to hold a candidate reaching its length
  uint32_t cap = q.max_length;
  for (; i < f->level_count; ++i) {
    const uint32_t k = f->level[i].length;
    if (k > q.max_length) break;
    if (k > found.length) {
      // A level not asked for in a long while is filed only when the bucket that found the
      // candidate turns out too long to walk whole (kLagWorthAWalk).
      if (found.length > 0) {
        const uint32_t lag = UnfiledPositions(f, i);
        Best best = found;
        if (lag >= kLagWorthAWalk &&
            WalkShortChain(f, &f->level[probed], q, lag / kFilingsPerStep, &best))
          return best;
      }
      Best probe = ProbeLevel(f, i, q);
      if (probe.length < k) {
        cap = k - 1;
        break;
      }
      found = probe;
      probed = i;
    }
    top = static_cast<int>(i);
  }
  if (top >= 0) return WalkBucket(f, static_cast<uint32_t>(top), q, cap);
  if (r >= kMinMatch) return SearchRuns(f, q, r, cap);
  return Best{0, 0};
}

}  // namespace

Match MatchFinderSearch(MatchFinder *f, const uint8_t *look, uint32_t available) {
  QUILLPACK_ASSERT(look != nullptr || available == 0);
  if (available < kMinMatch || f->end == f->oldest) return Match{false, 0, 0};
  Lookahead q{look, available < kMaxMatch ? available : kMaxMatch, 0, 0};
  // With run lists, a lookahead that starts with r equal bytes finds nothing in the levels
  // up to r: positions whose bytes there are one byte repeated are kept out of them.
  uint32_t r = 0;
  if (f->runs != nullptr && look[1] == look[0]) r = CountRunPrefix(look, look[0], q.max_length);
  Best best{0, 0};
  if (r < kMinMatch) {
    // Most searches end at the first level: the probe finds nothing there, so nothing reaches
    // kMinMatch bytes.
    Best found = ProbeLevel(f, 0, q);
    if (found.length > 0) best = SearchLevels(f, q, r, 0, found, 0);
  } else {
    uint32_t i = 0;
    while (i < f->level_count && f->level[i].length <= r) ++i;
    best = SearchLevels(f, q, r, i, Best{0, 0}, 0);
  }
  // The compressor's next search most likely starts just after this answer: its first bucket
  // is fetched while the window takes this token's bytes in (when those bytes lie within the
  // kMaxMatch a search may read).
  uint32_t step = best.length >= kMinMatch ? best.length : 1;
  if (available >= step + kMinMatch && step + kMinMatch <= kMaxMatch) {
    const ChainLevel *first = &f->level[0];
    QUILLPACK_PREFETCH(&first->head[HashBytes<kMinMatch>(look + step, first->hash_bits)]);
  }
  if (best.length < kMinMatch) return Match{false, 0, 0};
  // A match never runs past the window's newest byte, nor reaches past its oldest.
  QUILLPACK_ASSERT(best.length <= f->end - best.position && best.position >= f->oldest);
  return Match{true, static_cast<uint8_t>(best.length),
               static_cast<uint16_t>(f->end - best.position)};
}

}  // namespace quillpack
