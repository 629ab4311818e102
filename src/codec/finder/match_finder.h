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
// Positions are 32-bit counts of bytes from an origin; the window is [oldest, end). They
// are moved down by a multiple of 65536 once they near 2^32, which changes no head or link;
// the run lists' positions move with them (a run that began before the window first starts
// at its oldest byte, since it may have begun further back than the move).
//
// The finder keeps its own copy of the window, followed by room for the bytes still to
// come; when the room runs out the window moves to the front of the copy.
//
// Chain levels, one per length k in {3, 4, 6, 12} (the small finder keeps only k = 3).
// Nothing ever leaves a level. Level 3 files position s as soon as its 3 bytes are in the
// window (s + 3 <= end). The levels above it are filed when a search asks for them (to probe,
// walk or look past a break in them): then every position s of the window with s + k <= end
// that the level has not filed yet is filed, in order, from where the level stopped, or from
// the window's oldest position if that has moved past it. So whenever a level is read it
// holds exactly the window positions it would hold had it filed each at once, in the same
// buckets and chains; only positions that left the window unasked are missing, and no walk
// goes past the window's oldest position. Levels asked for at nearly every search (text,
// binaries) are filed together in one pass; on data that rarely repeats four bytes (random
// bytes, compressed files) they are hardly filed at all.
//   head[bucket]        the newest position filed in the bucket, by its low 16 bits. Every
//                       32768 positions a sweep sets each head that has fallen out of the
//                       window to end - 32768: the window's oldest position at that moment,
//                       and older than the window from the next byte on. A walk that meets
//                       it there weighs a real window position by its own bytes, and its
//                       link leads out of the window, so the answer stands. (A level that
//                       had not filed that position files it first when asked, as its filing
//                       starts at the window's oldest position.) By the next sweep that head
//                       lies 65535 positions behind the newest, so a head always names a
//                       position less than 65536 behind `end`, unambiguously (one position
//                       further back would then read as the newest). A bucket whose head is
//                       older than `oldest` has nothing in the window.
//   link[s mod 32768]   the distance from s back to the next older position of its bucket
//                       (0: none within reach). Slot s mod 32768 is written again only when
//                       position s + 32768 is filed, by which time s has left the window, so
//                       a link is only ever read for a position in the window, and is then
//                       the one written for it. Filing a position costs two stores.
// A walk of a bucket goes from its newest position to older ones and stops at the first
// position older than `oldest`.
//
// Run lists (full finder): every maximal run of one byte value, 3 bytes or longer, with a
// byte in the window, oldest first per byte value (finder_runs.h). The count of the run
// ending at the newest byte stops at 2^32 - 1 rather than wrap, so a run of any length stays
// one run. A position whose 3 bytes are one byte repeated is filed in an extra bucket of
// level 3 that no lookahead hashes to, so long runs never crowd the level every search
// probes; the run lists answer for them. The upper levels file such positions in their
// buckets like any other: a lookahead whose first k bytes are one byte repeated never asks for
// level k, and any other meets them only through a hash collision.
//
// Streaks. Other periodic data ("xyzxyz...", or a pattern of a few dozen bytes repeated)
// fills a bucket with positions a period d apart, each matching about as far as the next.
// When a walk meets positions t, t - d, ..., m that follow each other in one chain and the
// bytes [m, t + k) repeat with period d (checked byte for byte, going down from the top so a
// chain that only looks periodic costs no more than the bytes to its break), it rewrites t's
// link into a streak link: kStreakLink | (t - m), with period[t] = d, and later walks step
// from t straight to m. Periods up to k are folded on every level, and up to 255 on the
// longest level, where long matches are answered. New positions d apart above t join the
// streak the next time a walk passes, checking only the new bytes, so each position is
// checked about once; a fold that fails is not tried again at that position until the next
// sweep. The small finder keeps runs this way too.
//
// ---------------------------------------------------------------------------------------
// Why the answer equals MatchSearch's
//
// Let L* be the best length and r the number of leading equal bytes of the lookahead
// (capped like a match). A candidate s of length >= k shares the lookahead's first k bytes
// and lies at distance >= k (lengths never exceed distances), so s + k <= end and s is in
// level k's bucket of those k bytes, unless k = 3 and they are one byte repeated, which
// happens exactly when r >= 3. Every position of that bucket whose k bytes equal the
// lookahead's reaches k; the others there (hash collisions) fall short of k.
//
// The search goes up the levels above r. A probe of level k walks its bucket newest first
// and stops at the first position reaching k: it tells whether L* >= k, and the length x it
// finds settles every level up to x at once. At the first level k' whose probe finds
// nothing, L* < k', so no candidate is longer than cap = k' - 1. The highest level k with a
// candidate is then walked in full: L* >= k, so L* is the longest length in that bucket, and
// the walk keeps the oldest candidate of that length (newest first, a candidate replaces the
// best when at least as long). With no level above r holding a candidate, L* <= cap, and
// when r >= 3 every candidate of 3 or more bytes starts in a run of the lookahead's first
// byte: the run lists give each run's best directly, oldest run first, and the first run to
// reach the cap ends the search (nothing later can be longer). Otherwise there is no match.
//
// A level with 64 or more positions to file, about to be probed, is first spared: the
// bucket of the probed level below that found a candidate of its length is walked on, newest
// first, for at most one position per 8 that filing would take. L* is at least that level's
// length, so every candidate is in that bucket, and a walk that reaches the end of its chain
// (no streak on the way) has weighed them all: its best is the answer, as the full walk's
// would be. Otherwise the level is filed and the search goes on. On random bytes the bucket
// that finds a 3-byte candidate holds a position or two.
//
// Streaks keep this exact. A streak t, t - d, ..., m lies in a stretch of period d ending at
// z; each member x with z - x >= d starts with one whole period, the pattern. If the
// lookahead starts with the pattern and keeps period d for e bytes (e capped at the most a
// match may reach), such a member matches min(z - x, e) bytes, except x = z - e, whose match
// may run on past e; if it does not start with the pattern, every such member matches the
// same few bytes. So no member can win but the oldest in the window, z - e, and the newest
// when it holds less than a whole period (possible only for d > k), and only those are
// weighed. A streak link never steps over anything but members, since it only ever joins
// positions that followed each other in the chain. A probe needs one member: all reach k or
// none does.
//
// Periodic lookaheads. When the lookahead keeps a period for its first e bytes (a run, or
// the period of a streak that holds it) and byte e breaks it, every stretch of that period
// in the window matches it alike up to e, so the full walk would weigh them all. Instead: a
// candidate longer than e matches the lookahead's first e + 1 bytes, so g bytes into it, for
// any g with g + k <= e + 1, lies the lookahead's [g, g + k), filed in level k (e >= 3, so
// k >= 4). The longest level and the largest g whose bytes are not one byte repeated (the
// bucket of a run's bytes holds every position of every such run) take in the break, which
// few stretches share; walking that one bucket finds every candidate longer than e. If there is
// one, the best of them is the answer. If not, the cap drops to e, and the rest of the bucket (or
// the run list) is weighed oldest first, where the first candidate to reach the cap is the answer:
// a walk that goes from newest to oldest notes the positions on the way down and weighs them on the
// way back. (The small finder, which has no room to note positions in, weighs the rest of the
// bucket newest first.)
//
// ---------------------------------------------------------------------------------------
// Cost, and what bounds the worst case
//
// Taking a byte in: one hash and two stores (the small finder too), and the run lists'
// bookkeeping; filing an upper level's position: one hash and two stores, done when a search
// asks, three levels in one pass. A search: one probe per level reached, each usually one or
// two positions, and one full walk of the answering bucket. A search that finds nothing at
// level 3, as most do on data with few repeats, costs one hash, a head and the positions in
// one bucket. Walks are long only where many window positions share their first k bytes with
// the lookahead while none share the next level's; runs go to the run lists, other periodic
// stretches are folded into streaks, and a periodic lookahead usually stops at the first
// stretch long enough. A walk visits each window position at most once per level, and a
// level files each position at most once, so the worst case is bounded by a few passes over
// the window, the literal scan's own order of cost.
// ---------------------------------------------------------------------------------------
#pragma once

#include <cstdint>

#include "codec/match.h"

namespace quillpack {

struct MatchFinder;

// How much memory a finder asks for: the full finder (about 1 MiB) or a small exact index
// of one level (about 150 KB) for when the full one cannot be had. Both give the same
// answers; the small one is slower on most data.
enum MatchFinderSize { kFinderFull, kFinderSmall };

// Creates a finder for one compression, with an empty window, in one heap block. Returns
// null when that block cannot be had. Calls on one finder stay on the caller's thread.
[[nodiscard]] MatchFinder *MatchFinderCreate(MatchFinderSize size);

// Releases the finder. Null is accepted and ignored.
void MatchFinderDestroy(MatchFinder *finder);

// The answer MatchSearch(window, look, available) gives for the window of the last
// min(32768, total) bytes passed to MatchFinderAppend so far. Reads look[0, available)
// only, and no more than 255 of those.
[[nodiscard]] Match MatchFinderSearch(MatchFinder *finder, const uint8_t *look, uint32_t available);

// Takes `count` bytes (any number) into the window, in order, as that many
// HistoryWindowAppend calls would.
void MatchFinderAppend(MatchFinder *finder, const uint8_t *bytes, uint32_t count);

// For tests: a finder whose position counter starts at `first_position` (at least kFirstPosition,
// 65536), so that rebasing near 2^32 can be exercised without gigabytes of input.
[[nodiscard]] MatchFinder *MatchFinderCreateAt(MatchFinderSize size, uint32_t first_position);

// For tests: counts the run of equal bytes that ends at the window's newest byte as
// `run_length` bytes, as though it had begun further back than the window reaches, so that a
// run's count can be driven to its limit without gigabytes of input. The run must already be
// at least 12 bytes long, and no longer than `run_length`. The small finder, which keeps no
// count, ignores it.
void MatchFinderSetRunLength(MatchFinder *finder, uint32_t run_length);

}  // namespace quillpack
