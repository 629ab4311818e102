// MatchFinder: the compressor's match search, with exactly the answers of MatchSearch.
//
// ---------------------------------------------------------------------------------------
// What it answers
//
// For a lookahead `look` with `available` bytes, MatchSearch scans every start position of
// the window and returns the longest match, at most M = min(available, 255) bytes and never
// running past the window's newest byte (so a candidate d bytes back matches at most d
// bytes), with ties going to the oldest candidate. MatchFinderSearch returns that same
// answer, length and distance, for every lookahead, at a small fraction of the cost.
//
// ---------------------------------------------------------------------------------------
// Data structures
//
// Positions are 32-bit counts of bytes from an origin; the window is [oldest, end).
//
// The finder keeps its own copy of the window, followed by room for the bytes still to
// come; when the room runs out the window moves to the front of the copy (one block move
// per room's worth of bytes).
//
// Chain levels, one per length k in {3, 4, 6, 8, 12, 16, 32} (a small finder keeps only
// k = 3). Position s enters level k as soon as its k bytes are in the window (s + k <= end)
// and is never removed:
//   head[bucket]        the newest position filed in the bucket (32 bits; 0 or anything
//                       older than `oldest` means the bucket has nothing in the window).
//   link[s mod 32768]   the distance from s back to the next older position of its bucket
//                       (0: none within reach). Slot s mod 32768 is written again only when
//                       position s + 32768 enters the level, by which time s has left the
//                       window, so a link is only ever read for a position in the window and
//                       is then the one written for it. Taking a position in costs two
//                       stores per level; nothing ever leaves.
// A walk of a bucket therefore goes from the newest position to older ones and stops at
// the first position older than `oldest`.
//
// Streaks. Periodic data (a run of one byte, "xyzxyz...") fills a bucket with thousands of
// positions d apart, each matching about as far as the next. When a walk meets positions
// t, t - d, ..., m that follow each other in one chain, d <= k apart, and the bytes
// [m, t + k) repeat with period d (checked byte for byte), it rewrites t's link into a
// streak link: kStreakLink | (t - m), with period[t] = d. Later walks step from t straight
// to m. Every member x = t - j*d of a streak has the same k bytes as t, so they are all in
// the same bucket; only the members that can win are compared (see below). A walk that
// meets new positions d apart above a streak head extends the streak, checking only the
// new bytes, so each position is checked about once.
//
// ---------------------------------------------------------------------------------------
// Why the answer equals MatchSearch's
//
// Let L* be the best length. A candidate s of length >= k shares the lookahead's first k
// bytes and lies at distance >= k (lengths never exceed distances), so s + k <= end and s is
// in level k's bucket of the lookahead's first k bytes. Conversely every position in that
// bucket whose k bytes equal the lookahead's reaches k; other positions there (hash
// collisions) fall short of k.
//
// The search goes up the levels from k = 3. A probe of level k walks its bucket newest first
// and stops at the first position reaching k: it tells whether L* >= k, and the length x it
// finds settles every level up to x at once. At the first level k' whose probe finds
// nothing, L* < k', so no candidate is longer than cap = k' - 1. The highest level k with a
// candidate is then walked in full: L* >= k, so L* is the longest length in that bucket, and
// the walk keeps the oldest candidate of that length (newest first, a candidate replaces the
// best when at least as long). Where no level reaches k = 3, there is no match.
//
// Streaks keep this exact. For a streak t, t - d, ..., m of period d whose k bytes equal the
// lookahead's, let E be how far the lookahead follows its own period d (E >= k, capped at M)
// and Z the end of the period-d stretch holding the streak. Every member x then matches
// min(Z - x, E) bytes, except x = Z - E, whose match may run on past E. So the oldest member
// in the window matches at least as far as any member but x = Z - E, and no member can win
// but those two; the walk compares exactly those two. Any other position that a streak link
// steps over is not a member and would be a hash collision, but a streak link only ever
// joins positions that followed each other in the chain, so nothing else is stepped over.
// A probe needs only one member: all of them reach k or none does.
//
// ---------------------------------------------------------------------------------------
// Cost, and what bounds the worst case
//
// Taking a byte in: 7 hash computations and 14 stores (a small finder: 1 and 2). A search:
// one probe per level reached, each usually one or two positions, and one full walk of
// the answering bucket. Walks are long only where many window positions share their first k
// bytes with the lookahead while none share the next level's; periodic data is folded into
// streaks. The bound in every case is the literal scan's: a walk visits each window position
// at most once per level, so a search costs at most 7 passes over the window.
// ---------------------------------------------------------------------------------------
#pragma once

#include <cstdint>

#include "codec/match_search.h"

namespace quillpack {

struct MatchFinder;

// How much memory a finder asks for: the full finder (about 1.5 MB) or a small exact index
// of one level (about 150 KB) for when the full one cannot be had. Both give the same
// answers; the small one is slower on repetitive data.
enum MatchFinderSize { kFinderFull, kFinderSmall };

// Creates a finder for one compression, with an empty window, in one heap block. Returns
// null when that block cannot be had. Calls on one finder stay on the caller's thread.
MatchFinder *MatchFinderCreate(MatchFinderSize size);

// Releases the finder. Null is accepted and ignored.
void MatchFinderDestroy(MatchFinder *finder);

// The answer MatchSearch(window, look, available) gives for the window of the last
// min(32768, total) bytes passed to MatchFinderAppend so far. Reads look[0, available)
// only, and no more than 255 of those.
Match MatchFinderSearch(MatchFinder *finder, const uint8_t *look, uint32_t available);

// Takes `count` bytes (any number) into the window, in order, as that many
// HistoryWindowAppend calls would.
void MatchFinderAppend(MatchFinder *finder, const uint8_t *bytes, uint32_t count);

// For tests: a finder whose position counter starts at `first_position` (at least 32768),
// so that rebasing near 2^32 can be exercised without gigabytes of input.
MatchFinder *MatchFinderCreateAt(MatchFinderSize size, uint32_t first_position);

}  // namespace quillpack
