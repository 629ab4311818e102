// The match finder's working memory: its chain levels, its copy of the window, and the
// hashes that file positions into buckets. The manual is match_finder.h.
#pragma once

#include <cstdint>

#include "codec/finder/finder_runs.h"
#include "codec/finder/match_compare.h"
#include "codec/format.h"
#include "platform/assertion.h"
#include "platform/compiler.h"

namespace quillpack {

constexpr uint32_t kWindowMask = kWindowSize - 1;
static_assert(kWindowSize == 0x8000, "links are 15-bit distances");

// A link is the distance from a chain entry back to the next older entry of its bucket (0:
// none within the window), or, with kStreakLink set, the distance back to the oldest member
// of the streak this entry heads.
constexpr uint16_t kStreakLink = 0x8000;
constexpr uint16_t kLinkDistance = 0x7FFF;

// The longest period a streak may have (a level's period[] holds one byte).
constexpr uint32_t kMaxStreakPeriod = 255;

// Positions are 32-bit counts from an origin. They are rebased (moved down by a multiple of
// 65536, which keeps every head and link as it is) once the newest passes kRebaseMark, so
// that inputs of any size work. The newest passes the mark by less than one chunk of an
// append (chunks end at sweep points), so positions stay far below 2^32.
// Fuzz and sanitizer builds (QUILLPACK_FREQUENT_REBASE) rebase every few hundred KB
// instead, so that their inputs reach it.
constexpr uint32_t kFirstPosition = 0x10000;
#if defined(QUILLPACK_FREQUENT_REBASE) && QUILLPACK_FREQUENT_REBASE
constexpr uint32_t kRebaseMark = 0x50000;
#else
constexpr uint32_t kRebaseMark = 0xC0000000u;
#endif
static_assert(kRebaseMark >= kFirstPosition + 4 * kWindowSize, "a rebase moves positions down");

// Heads hold positions by their low 16 bits. Every kSweepInterval positions, heads older than
// the window are set to end - kWindowSize, then the window's oldest position and older than
// the window once one more byte arrives; by the next sweep it lies 65535 behind the newest.
// So every head always names a position less than 65536 behind the newest, and its low bits
// name it unambiguously.
constexpr uint32_t kSweepInterval = kWindowSize;
static_assert(kSweepInterval + kWindowSize <= 0x10000, "a swept head stays within 16 bits");

constexpr uint32_t kMaxLevels = 4;

// A run's count stops here instead of wrapping: only whether it has reached a level's length
// matters, while a count that wrapped would split a run of 2^32 equal bytes in two and leave a
// byte of it out of the run lists and in the levels.
constexpr uint32_t kRunLengthLimit = UINT32_MAX;

// A walk's scratch list notes a position t as end - t - 1, with this bit set for a streak
// head.
constexpr uint16_t kNotedStreak = 0x8000;

// One chain level: every window position s whose `length` bytes are all in the window is in
// the chain of the bucket its `length` bytes hash to (the levels above the first once a search
// has asked for them), except in the first level of a finder with run lists, where positions
// whose bytes are one byte repeated go to an extra bucket, head[1 << bits], which no
// lookahead hashes to.
struct ChainLevel {
  uint32_t length;     // bytes hashed
  uint32_t hash_bits;  // log2 of the bucket count
  // Streaks of periods up to this are folded: the level's length, and on the longest level
  // up to 255, so that data repeating every few dozen bytes is folded where long matches are
  // answered, while shorter levels stay clear of chains that only look periodic.
  uint32_t fold_period;
  uint16_t *head;     // by bucket: the newest position filed there, its low 16 bits
  uint16_t *link;     // by position mod kWindowSize: see kStreakLink
  uint8_t *period;    // by position mod kWindowSize: a streak head's period
  uint8_t *unfolded;  // by position mod kWindowSize, a bit each: a fold was tried in vain
  // Levels above the first: the next position to file. The first level files each position
  // as soon as its bytes are in; the others only when a search asks for them (ReadyLevel), and
  // then every position from here, or from the window's oldest, up to the newest complete one.
  uint32_t next;
};

struct MatchFinder {
  uint32_t end;     // position just past the newest window byte
  uint32_t oldest;  // position of the oldest window byte
  uint32_t first;   // position of the first byte appended (rebases lower it, not below 0)
  uint32_t base;    // position of copy[0]
  uint32_t sweep;   // position at which the heads are next swept
  uint32_t copy_size;
  uint32_t run_length;  // equal bytes ending at end - 1 (0: none yet), up to kRunLengthLimit
  uint8_t last;         // the byte at end - 1
  uint32_t level_count;
  ChainLevel level[kMaxLevels];
  RunLists *runs;     // null in the small finder, whose levels keep runs as streaks
  uint16_t *scratch;  // kWindowSize entries: a walk's positions, noted on the way down; null
                      // in the small finder, which walks newest first only
  uint8_t *copy;      // the window's bytes, and room for the bytes still to come
};

// Files the positions of level `asked` (not the first) that are complete but not yet filed,
// those that have left the window excepted, so that it holds every position s of the window
// with s + length <= end; other levels may be filed up to the end along with it.
void FileUpperLevels(MatchFinder *f, uint32_t asked);

// Level `i`, with every complete position of the window filed: ready to be probed or walked.
[[nodiscard]] inline ChainLevel *ReadyLevel(MatchFinder *f, uint32_t i) {
  ChainLevel *lv = &f->level[i];
  if (i > 0 && f->end - lv->next >= lv->length) FileUpperLevels(f, i);
  return lv;
}

// The copy's byte at `position`, which must lie between the copy's start and the window's end.
[[nodiscard]] inline const uint8_t *LocateBytes(const MatchFinder *f, uint32_t position) {
  QUILLPACK_ASSERT(position - f->base <= f->end - f->base);
  return f->copy + (position - f->base);
}

// The position a head names: the newest position at or before `before` - 1 with its low
// 16 bits. Older than `oldest` when the bucket holds nothing in the window (or `oldest`
// itself, just after a sweep).
[[nodiscard]] inline uint32_t ResolveHead(uint16_t head, uint32_t before) {
  return before - 1 - static_cast<uint16_t>(before - 1 - head);
}

[[nodiscard]] inline uint64_t MixWord(uint64_t v) {
  return v * 0x9E3779B97F4A7C15ull;
}

// The bucket of the `k` bytes at p among 2^bits. Reads exactly p[0, k). Equal bytes always
// give equal buckets; that is all the search relies on.
template <uint32_t k>
[[nodiscard]] inline uint32_t HashBytes(const uint8_t *p, uint32_t bits) {
  if constexpr (k == 3) {
    uint32_t v = p[0] | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16;
    return (v * 0x9E3779B1u) >> (32 - bits);
  } else if constexpr (k == 4) {
    return (Load32(p) * 0x9E3779B1u) >> (32 - bits);
  } else if constexpr (k == 6) {
    // Assembled in registers: a 6-byte copy into a word would stall on its read back.
    uint64_t v = Load32(p) | static_cast<uint64_t>(p[4]) << 32 | static_cast<uint64_t>(p[5]) << 40;
    return static_cast<uint32_t>(MixWord(v) >> (64 - bits));
  } else {
    static_assert(k == 12, "no hash for this length");
    uint64_t v = Load64(p) ^ (static_cast<uint64_t>(Load32(p + 8)) * 0xC2B2AE3D27D4EB4Full);
    return static_cast<uint32_t>(MixWord(v) >> (64 - bits));
  }
}

// The bucket of level `lv` that the bytes at p belong to.
[[nodiscard]] inline uint32_t FindBucket(const ChainLevel *lv, const uint8_t *p) {
  switch (lv->length) {
    case 3:
      return HashBytes<3>(p, lv->hash_bits);
    case 4:
      return HashBytes<4>(p, lv->hash_bits);
    case 6:
      return HashBytes<6>(p, lv->hash_bits);
    default:
      return HashBytes<12>(p, lv->hash_bits);
  }
}

}  // namespace quillpack
