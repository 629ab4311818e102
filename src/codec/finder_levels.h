// Hash levels of the match finder: for each prefix length k of kLevelLengths, the window
// positions whose next k bytes hash alike, in FIFO order (oldest first).
//
// A position s enters level k once its k bytes are all in the window (s + k <= end), unless
// those k bytes are one byte repeated: such positions are the run lists' business (see
// finder_runs.h). Positions leave in the order they entered, when they drop out of the
// window; the one leaving is therefore always the oldest of its bucket.
#pragma once

#include <cstdint>

#include "codec/history_window.h"
#include "codec/match_compare.h"

namespace quillpack {

constexpr uint32_t kLevelCount = 6;
constexpr uint32_t kLevelLengths[kLevelCount] = {3, 4, 6, 8, 16, 32};
constexpr uint32_t kHashBits = 13;
constexpr uint32_t kBuckets = 1u << kHashBits;
constexpr uint32_t kWindowMask = kWindowSize - 1;
static_assert(kWindowSize == 0x8000);

// A bucket names window positions by their low 15 bits, with the top bit set; 0 is "none".
// Every position named lies in [end - kWindowSize, end), so `end` recovers it (LevelPosition),
// and rebasing positions by multiples of 65536 leaves the buckets as they are.
constexpr uint16_t kNoEntry = 0;

inline uint16_t LevelEntry(uint32_t position) {
  return static_cast<uint16_t>(0x8000u | (position & kWindowMask));
}

// The position named by a (non-empty) entry, for a window ending at `end`.
inline uint32_t LevelPosition(uint16_t entry, uint32_t end) {
  return end - ((end - entry - 1) & kWindowMask) - 1;
}

struct HashLevel {
  struct Bucket {
    uint16_t head;  // oldest position of the bucket, kNoEntry when empty
    uint16_t tail;  // newest position of the bucket
  } bucket[kBuckets];  // head and tail side by side: one cache line per bucket touched
  uint16_t next[kWindowSize];   // by position mod kWindowSize: the next newer position of
                                // the same bucket, as its low 16 bits
};

inline uint32_t Mix64(uint64_t v) {
  return static_cast<uint32_t>((v * 0x9E3779B97F4A7C15ull) >> (64 - kHashBits));
}

// The bucket of the `k` bytes at p. Reads exactly p[0, k).
template <uint32_t k>
inline uint32_t LevelHash(const uint8_t *p) {
  if constexpr (k == 3) {
    uint32_t v = p[0] | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16;
    return (v * 0x9E3779B1u) >> (32 - kHashBits);
  } else if constexpr (k == 4) {
    return (LoadHalf(p) * 0x9E3779B1u) >> (32 - kHashBits);
  } else if constexpr (k == 6) {
    // Assembled in registers: a 6-byte copy into a word would stall on its read back.
    uint64_t v = LoadHalf(p) | static_cast<uint64_t>(p[4]) << 32 |
                 static_cast<uint64_t>(p[5]) << 40;
    return Mix64(v);
  } else if constexpr (k == 8) {
    return Mix64(LoadWord(p));
  } else if constexpr (k == 12) {
    return Mix64(LoadWord(p) ^ (static_cast<uint64_t>(LoadHalf(p + 8)) * 0xC2B2AE3D27D4EB4Full));
  } else if constexpr (k == 16) {
    return Mix64(LoadWord(p) ^ (LoadWord(p + 8) * 0xC2B2AE3D27D4EB4Full));
  } else {
    static_assert(k == 32);
    uint64_t a = LoadWord(p) ^ (LoadWord(p + 8) * 0xC2B2AE3D27D4EB4Full);
    uint64_t b = LoadWord(p + 16) ^ (LoadWord(p + 24) * 0x165667B19E3779F9ull);
    return Mix64(a ^ (b * 0x27D4EB2F165667C5ull));
  }
}

inline void LevelInsert(HashLevel *lv, uint32_t bucket, uint32_t position) {
  uint16_t tail = lv->bucket[bucket].tail;
  if (lv->bucket[bucket].head == kNoEntry) {
    lv->bucket[bucket].head = LevelEntry(position);
  } else {
    lv->next[tail & kWindowMask] = static_cast<uint16_t>(position);
  }
  lv->bucket[bucket].tail = LevelEntry(position);
}

// Removes `position`, which must be the oldest of `bucket`.
inline void LevelRemoveOldest(HashLevel *lv, uint32_t bucket, uint32_t position) {
  if (lv->bucket[bucket].tail == LevelEntry(position)) {
    lv->bucket[bucket].head = kNoEntry;
  } else {
    lv->bucket[bucket].head = LevelEntry(lv->next[position & kWindowMask]);
  }
}

// The next newer position after `position` in its bucket (which must not be the tail).
inline uint32_t LevelNext(const HashLevel *lv, uint32_t position) {
  uint16_t low = lv->next[position & kWindowMask];
  return position + static_cast<uint16_t>(low - static_cast<uint16_t>(position));
}

}  // namespace quillpack
