// The match finder's shapes (its levels' lengths and bucket counts, its copy's room) as
// types, so that the paths that file positions are compiled for them; and the filing of one
// position.
#pragma once

#include <cstdint>

#include "codec/finder/finder_state.h"

namespace quillpack {

// A finder's shape as a table, for its creation, and as types.
struct LevelShape {
  uint32_t length;
  uint32_t hash_bits;
};

struct FinderShape {
  uint32_t level_count;
  LevelShape levels[kMaxLevels];
  uint32_t room;  // bytes of the copy past the window
  bool runs;      // keeps run lists, an extra bucket in the first level, and a scratch list
};

// The buckets of level `i` beyond its 2^hash_bits: the first level of a finder with run lists
// has one more, the extra bucket, where positions whose bytes are one byte repeated go.
constexpr uint32_t ExtraBuckets(bool runs, uint32_t i) {
  return runs && i == 0 ? 1 : 0;
}

template <uint32_t kLength, uint32_t kBits>
struct Level {
  static constexpr uint32_t length = kLength;
  static constexpr uint32_t bits = kBits;
};

template <bool kRuns, uint32_t kRoom, class... L>
struct Shape {
  static constexpr FinderShape table = {sizeof...(L), {{L::length, L::bits}...}, kRoom, kRuns};
};

// The full finder: enough levels that a bucket rarely holds many positions reaching one
// level but not the next; 16-bit buckets for the first level, which every byte and every
// search use, and 15-bit ones above, where a bucket's chain is mostly its own bytes.
using FullShape =
    Shape<true, kWindowSize, Level<kMinMatch, 16>, Level<4, 15>, Level<6, 15>, Level<12, 15>>;
// The small finder: one level, and a copy that slides every 8 KB.
using SmallShape = Shape<false, 8192, Level<kMinMatch, 12>>;

// The longest level's length: a run counted from this long on files its positions in every
// level as any longer one would.
constexpr uint32_t kLongestLevel = 12;
static_assert(FullShape::table.levels[FullShape::table.level_count - 1].length == kLongestLevel,
              "the longest level is the full finder's last");

// Files position `pos` in `bucket` of a level: two stores.
inline void FileInBucket(uint16_t *head, uint16_t *link, uint32_t bucket, uint32_t pos) {
  uint32_t distance = static_cast<uint16_t>(pos - head[bucket]);
  // 0 when the older position is out of reach; without a branch, which random data would
  // mispredict half the time.
  uint32_t in_reach = (distance >> 15) - 1;
  link[pos & kWindowMask] = static_cast<uint16_t>(distance & in_reach);
  head[bucket] = static_cast<uint16_t>(pos);
}

}  // namespace quillpack
