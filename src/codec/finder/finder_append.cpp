// MatchFinder: its creation in one heap block, and taking bytes into the window.
#include <cstring>

#include "codec/finder/finder_shape.h"
#include "codec/finder/match_finder.h"
#include "platform/platform.h"

namespace quillpack {
namespace {

// The room a table of n bytes takes in the finder's block: whole cache lines, and one more,
// so that tables of a power-of-two size do not all start at the same offset within a page,
// where the cache would hold fewer of their lines at once.
constexpr size_t AlignUp(size_t n) {
  return ((n + 63) & ~size_t{63}) + 64;
}

size_t BlockSize(const FinderShape &shape) {
  size_t size = AlignUp(sizeof(MatchFinder));
  for (uint32_t i = 0; i < shape.level_count; ++i) {
    size += AlignUp(((size_t{1} << shape.levels[i].hash_bits) + ExtraBuckets(shape.runs, i)) *
                    sizeof(uint16_t));
    size += AlignUp(kWindowSize * sizeof(uint16_t));
    size += AlignUp(kWindowSize);
    size += AlignUp(kWindowSize / 8);
  }
  if (shape.runs) size += AlignUp(sizeof(RunLists));
  if (shape.runs) size += AlignUp(kWindowSize * sizeof(uint16_t));
  return size + AlignUp(kWindowSize + shape.room);
}

// Files position `pos`, whose bytes start at `bytes`, in the first level: the first bytes'
// slow path. With `run_length` >= the level's length those bytes are one byte repeated, and
// pos goes to the extra bucket instead (the small finder passes 0).
void FileInLevel(ChainLevel *lv, const uint8_t *bytes, uint32_t pos, uint32_t run_length) {
  uint32_t bucket = run_length >= lv->length ? 1u << lv->hash_bits : FindBucket(lv, bytes);
  FileInBucket(lv->head, lv->link, bucket, pos);
}

// The byte at `end` arrives (already in `copy`, indexed by position): the oldest byte leaves
// a full window, and with run lists (kRuns) the run of equal bytes it ends is followed.
template <bool kRuns>
inline void TakeInByte(RunLists *runs, const uint8_t *copy, uint32_t end, uint32_t *oldest,
                       uint32_t *run_length, uint8_t *last) {
  if (end - *oldest == kWindowSize) {
    if constexpr (kRuns) RunListsLeave(runs, *oldest);
    ++*oldest;
  }
  if constexpr (kRuns) {
    uint8_t byte = copy[end];
    const uint32_t longer = *run_length + (*run_length != kRunLengthLimit);
    *run_length = (*run_length > 0 && byte == *last) ? longer : 1;
    *last = byte;
    if (*run_length == kMinMatch) {
      RunListsOpen(runs, byte, end + 1);
    } else if (*run_length > kMinMatch) {
      RunListsExtend(runs);
    }
  }
}

// Takes in the bytes up to `to_end`, once the first level is filing (kMinMatch bytes seen):
// for each byte, the position it completes in the first level. The other levels wait for a
// search that asks for them.
template <bool kRuns, class L0>
inline void TakeInSteady(MatchFinder *f, uint32_t to_end) {
  QUILLPACK_ASSERT(f->level[0].length == L0::length && L0::length == kMinMatch);
  const uint8_t *copy = f->copy - f->base;  // indexed by position
  uint16_t *head = f->level[0].head;
  uint16_t *link = f->level[0].link;
  RunLists *runs = f->runs;
  uint32_t end = f->end;
  uint32_t oldest = f->oldest;
  uint32_t run_length = f->run_length;
  uint8_t last = f->last;
  while (end < to_end) {
    TakeInByte<kRuns>(runs, copy, end, &oldest, &run_length, &last);
    ++end;
    uint32_t pos = end - L0::length;
    uint32_t bucket = HashBytes<L0::length>(copy + pos, L0::bits);
    if constexpr (kRuns) bucket = run_length >= L0::length ? 1u << L0::bits : bucket;
    FileInBucket(head, link, bucket, pos);
  }
  f->end = end;
  f->oldest = oldest;
  f->run_length = run_length;
  f->last = last;
}

template <bool kRuns, uint32_t kRoom, class L0, class... L>
inline void TakeInSteady(MatchFinder *f, uint32_t to_end, Shape<kRuns, kRoom, L0, L...>) {
  TakeInSteady<kRuns, L0>(f, to_end);
}

// Takes in the bytes up to `to_end` (already in the copy).
void TakeInBytes(MatchFinder *f, uint32_t to_end) {
  // The first bytes: the first level starts filing once its first position is complete.
  const uint8_t *copy = f->copy - f->base;  // indexed by position
  while (f->end < to_end && f->end - f->first < kMinMatch) {
    if (f->runs != nullptr) {
      TakeInByte<true>(f->runs, copy, f->end, &f->oldest, &f->run_length, &f->last);
    } else {
      TakeInByte<false>(nullptr, copy, f->end, &f->oldest, &f->run_length, &f->last);
    }
    const uint32_t end = ++f->end;
    ChainLevel *lv = &f->level[0];
    if (end - f->first >= lv->length)
      FileInLevel(lv, LocateBytes(f, end - lv->length), end - lv->length, f->run_length);
  }
  if (f->runs != nullptr) {
    TakeInSteady(f, to_end, FullShape{});
  } else {
    TakeInSteady(f, to_end, SmallShape{});
  }
}

// At a sweep point, where the window is full, sets every head that names a position older
// than the window to end - kWindowSize. That is the window's oldest position now, a real
// position that a walk weighs by its own bytes and leaves through its link, and older than
// the window from the next byte on. It is the oldest value that stays within 65536 of the
// newest position until the next sweep, kSweepInterval later; one older would then read as
// the newest.
void SweepHeads(MatchFinder *f) {
  QUILLPACK_ASSERT(f->end == f->sweep && f->oldest == f->end - kWindowSize);
  const uint16_t stale = static_cast<uint16_t>(f->end - kWindowSize);
  const uint16_t newest = static_cast<uint16_t>(f->end - 1);
  for (uint32_t i = 0; i < f->level_count; ++i) {
    uint16_t *head = f->level[i].head;
    uint32_t buckets = (1u << f->level[i].hash_bits) + ExtraBuckets(f->runs != nullptr, i);
    for (uint32_t b = 0; b < buckets; ++b) {
      uint16_t age = static_cast<uint16_t>(newest - head[b]);
      head[b] = (age & 0x8000) ? stale : head[b];  // age >= kWindowSize
    }
    // Failed folds are forgotten too; a mark left for a slot's next position only delays a
    // fold until the next sweep.
    std::memset(f->level[i].unfolded, 0, kWindowSize / 8);
  }
  f->sweep = f->end + kSweepInterval;
}

// Moves every position down by a multiple of 65536, so that the heads' low 16 bits and the
// links (by position mod kWindowSize) stay as they are. The window's oldest position lands
// at kFirstPosition or up to 65535 above it.
void RebasePositions(MatchFinder *f) {
  const uint32_t delta = (f->oldest - kFirstPosition) & ~0xFFFFu;
  QUILLPACK_ASSERT(f->oldest >= kFirstPosition && f->end - f->oldest <= kWindowSize);
  // The copy starts no more than its room (32768 or less) before the window: above delta.
  QUILLPACK_ASSERT(f->base <= f->oldest && f->oldest - f->base <= f->copy_size - kWindowSize);
  if (f->runs != nullptr) RunListsRebase(f->runs, delta, f->oldest);
  // An upper level's next position, when it has fallen behind the window, is the window's
  // oldest: the positions between were never to be filed.
  for (uint32_t i = 1; i < f->level_count; ++i) {
    ChainLevel *lv = &f->level[i];
    lv->next = (lv->next > f->oldest ? lv->next : f->oldest) - delta;
  }
  f->end -= delta;
  f->oldest -= delta;
  f->base -= delta;
  f->sweep -= delta;
  // Only how far `first` lies behind `end` matters, and only for the first few bytes.
  f->first = f->first >= delta ? f->first - delta : 0;
}

}  // namespace

MatchFinder *MatchFinderCreateAt(MatchFinderSize size, uint32_t first_position) {
  QUILLPACK_ASSERT(first_position >= kFirstPosition);
  const FinderShape &shape = size == kFinderFull ? FullShape::table : SmallShape::table;
  auto *block = static_cast<uint8_t *>(PlatformAlloc(BlockSize(shape)));
  if (block == nullptr) return nullptr;
  auto *f = reinterpret_cast<MatchFinder *>(block);
  uint8_t *p = block + AlignUp(sizeof(MatchFinder));
  f->level_count = shape.level_count;
  for (uint32_t i = 0; i < shape.level_count; ++i) {
    ChainLevel *lv = &f->level[i];
    lv->length = shape.levels[i].length;
    lv->hash_bits = shape.levels[i].hash_bits;
    lv->fold_period = i + 1 == shape.level_count ? kMaxStreakPeriod : lv->length;
    size_t heads = (size_t{1} << lv->hash_bits) + ExtraBuckets(shape.runs, i);
    lv->head = reinterpret_cast<uint16_t *>(p);
    // Every bucket starts out naming the position kWindowSize before the first: empty.
    for (size_t b = 0; b < heads; ++b)
      lv->head[b] = static_cast<uint16_t>(first_position - kWindowSize);
    p += AlignUp(heads * sizeof(uint16_t));
    lv->link = reinterpret_cast<uint16_t *>(p);
    p += AlignUp(kWindowSize * sizeof(uint16_t));
    lv->period = p;
    p += AlignUp(kWindowSize);
    lv->unfolded = p;
    std::memset(lv->unfolded, 0, kWindowSize / 8);
    p += AlignUp(kWindowSize / 8);
    lv->next = first_position;
  }
  f->runs = nullptr;
  if (shape.runs) {
    f->runs = reinterpret_cast<RunLists *>(p);
    RunListsInit(f->runs);
    p += AlignUp(sizeof(RunLists));
  }
  // The full finder also walks oldest first, with a scratch list; the small one, kept small,
  // does without.
  f->scratch = nullptr;
  if (shape.runs) {
    f->scratch = reinterpret_cast<uint16_t *>(p);
    p += AlignUp(kWindowSize * sizeof(uint16_t));
  }
  f->copy = p;
  f->copy_size = kWindowSize + shape.room;
  f->run_length = 0;
  f->last = 0;
  f->end = f->oldest = f->first = f->base = first_position;
  f->sweep = first_position + kSweepInterval;
  return f;
}

MatchFinder *MatchFinderCreate(MatchFinderSize size) {
  return MatchFinderCreateAt(size, kFirstPosition);
}

void MatchFinderSetRunLength(MatchFinder *f, uint32_t run_length) {
  if (f->runs == nullptr) return;
  // From kLongestLevel on, the count only tells that a run goes on: a longer one files the
  // same positions in the same buckets.
  QUILLPACK_ASSERT(f->run_length >= kLongestLevel && run_length >= f->run_length);
  f->run_length = run_length;
}

void MatchFinderDestroy(MatchFinder *finder) {
  PlatformFree(finder);
}

namespace {

// MatchFinderAppend in chunks that end at sweep points and fit the copy's room.
QUILLPACK_NOINLINE void AppendInChunks(MatchFinder *f, const uint8_t *bytes, uint32_t count) {
  const uint32_t room = f->copy_size - kWindowSize;
  while (count > 0) {
    // Chunks end at sweep points, so no head falls 65536 behind between two sweeps.
    uint32_t chunk = count < room ? count : room;
    if (chunk > f->sweep - f->end) chunk = f->sweep - f->end;
    if (f->end + chunk - f->base > f->copy_size) {
      std::memmove(f->copy, LocateBytes(f, f->oldest), f->end - f->oldest);
      f->base = f->oldest;
    }
    std::memcpy(f->copy + (f->end - f->base), bytes, chunk);
    TakeInBytes(f, f->end + chunk);
    bytes += chunk;
    count -= chunk;
    if (f->end == f->sweep) SweepHeads(f);
    if (f->end >= kRebaseMark) RebasePositions(f);
  }
}

}  // namespace

void MatchFinderAppend(MatchFinder *f, const uint8_t *bytes, uint32_t count) {
  QUILLPACK_ASSERT(bytes != nullptr || count == 0);
  // Most appends are a literal's one byte or a match's few, which need no sweep, slide or
  // rebase.
  const uint32_t end = f->end;
  if (count - 1 < kMaxMatch && end + count < f->sweep && end - f->base + count <= f->copy_size &&
      end - f->first >= kMinMatch && end + count < kRebaseMark) {
    uint8_t *to = f->copy + (end - f->base);
    to[0] = bytes[0];
    for (uint32_t i = 1; i < count; ++i) to[i] = bytes[i];
    if (f->runs != nullptr) {
      TakeInSteady(f, end + count, FullShape{});
    } else {
      TakeInSteady(f, end + count, SmallShape{});
    }
    return;
  }
  AppendInChunks(f, bytes, count);
}

}  // namespace quillpack
