// The match finder's upper levels (all but the first): their positions filed when a search
// asks for them.
#include <array>
#include <utility>

#include "codec/finder/finder_shape.h"

namespace quillpack {
namespace {

// Files the window positions [from, to) of level `lv`, whose length and hash bits are those
// of L, in order.
template <class L>
void FileRange(const MatchFinder *f, ChainLevel *lv, uint32_t from, uint32_t to) {
  QUILLPACK_ASSERT(lv->length == L::length && lv->hash_bits == L::bits);
  QUILLPACK_ASSERT(from >= f->oldest && to + L::length <= f->end + 1);
  const uint8_t *copy = f->copy - f->base;  // indexed by position
  uint16_t *head = lv->head;
  uint16_t *link = lv->link;
  for (uint32_t pos = from; pos < to; ++pos)
    FileInBucket(head, link, HashBytes<L::length>(copy + pos, L::bits), pos);
}

// Files, for each end e in (from_end, to_end], the position e - length that e completes in
// each upper level (the levels above the first), all levels at once. Every upper level must
// hold every position up to from_end already, and the positions filed must lie in the window.
template <bool kRuns, uint32_t kRoom, class L0, class... L, size_t... I>
void FileUpperLevelsTogether(MatchFinder *f, uint32_t from_end, uint32_t to_end,
                             Shape<kRuns, kRoom, L0, L...>, std::index_sequence<I...>) {
  QUILLPACK_ASSERT(from_end + 1 >= f->oldest + kLongestLevel && to_end <= f->end);
  const uint8_t *copy = f->copy - f->base;  // indexed by position
  uint16_t *heads[] = {f->level[I + 1].head...};
  uint16_t *links[] = {f->level[I + 1].link...};
  for (uint32_t e = from_end + 1; e <= to_end; ++e) {
    (FileInBucket(heads[I], links[I], HashBytes<L::length>(copy + e - L::length, L::bits),
                  e - L::length),
     ...);
  }
}

template <bool kRuns, uint32_t kRoom, class L0, class... L>
void FileUpperLevelsTogether(MatchFinder *f, uint32_t from_end, uint32_t to_end,
                             Shape<kRuns, kRoom, L0, L...> shape) {
  FileUpperLevelsTogether(f, from_end, to_end, shape, std::index_sequence_for<L...>{});
}

// An upper level with at most this many positions to file is filed along with the one a search
// asks for.
constexpr uint32_t kFiledAlongSlack = 256;

// The upper levels' filing routines, by level; the first level's entry is never called.
template <bool kRuns, uint32_t kRoom, class... L>
constexpr auto UpperFilers(Shape<kRuns, kRoom, L...>) {
  using Filer = void (*)(const MatchFinder *, ChainLevel *, uint32_t, uint32_t);
  return std::array<Filer, sizeof...(L)>{&FileRange<L>...};
}

}  // namespace

void FileUpperLevels(MatchFinder *f, uint32_t asked) {
  QUILLPACK_ASSERT(f->runs != nullptr && f->level_count == FullShape::table.level_count);
  QUILLPACK_ASSERT(asked > 0 && asked < f->level_count);
  static constexpr auto kFilers = UpperFilers(FullShape{});
  // On data with repeats every level is asked for at nearly every search, so that all of them
  // have been filed up to the same end, which is in the window: they are filed together.
  const uint32_t lockstep_end = f->level[1].next + f->level[1].length - 1;
  bool lockstep = lockstep_end >= f->oldest + kLongestLevel - 1 && lockstep_end <= f->end;
  for (uint32_t i = 2; i < f->level_count; ++i)
    lockstep = lockstep && f->level[i].next + f->level[i].length - 1 == lockstep_end;
  if (lockstep) {
    FileUpperLevelsTogether(f, lockstep_end, f->end, FullShape{});
    for (uint32_t i = 1; i < f->level_count; ++i)
      f->level[i].next = f->end - f->level[i].length + 1;
    return;
  }
  // Positions that have left the window are never asked for: a level that has not been asked
  // for since starts again at the window's oldest byte.
  uint32_t filed_end[kMaxLevels];
  for (uint32_t i = 1; i < f->level_count; ++i) {
    const ChainLevel *lv = &f->level[i];
    filed_end[i] = (lv->next > f->oldest ? lv->next : f->oldest) + lv->length - 1;
  }
  // Levels only a little behind are filed along with the one asked for: on data with repeats
  // each is asked for at nearly every search. When all are, each is filed alone up to the end
  // the most advanced one has reached, then all of them together.
  bool along[kMaxLevels];
  bool all = true;
  uint32_t common_end = 0;
  for (uint32_t i = 1; i < f->level_count; ++i) {
    along[i] = i == asked || f->end - filed_end[i] <= kFiledAlongSlack;
    all = all && along[i];
    if (filed_end[i] > common_end) common_end = filed_end[i];
  }
  if (!all || common_end > f->end) common_end = f->end;
  for (uint32_t i = 1; i < f->level_count; ++i) {
    ChainLevel *lv = &f->level[i];
    if (along[i] && filed_end[i] < common_end)
      kFilers[i](f, lv, filed_end[i] - lv->length + 1, common_end - lv->length + 1);
  }
  if (all) FileUpperLevelsTogether(f, common_end, f->end, FullShape{});
  for (uint32_t i = 1; i < f->level_count; ++i) {
    ChainLevel *lv = &f->level[i];
    const uint32_t to = f->end - lv->length + 1;
    if (along[i] && to > lv->next) lv->next = to;
  }
}

}  // namespace quillpack
