// MatchFinder: creation, and taking bytes into the window (the levels and run lists follow).
#include "codec/match_finder.h"

#include <cstring>
#include <utility>

#include "codec/finder_state.h"
#include "platform/platform.h"

namespace quillpack {
namespace {

constexpr uint32_t kFirstPosition = 65536;

// Position `leaving`, the oldest of the window, drops out of every level and run list.
template <uint32_t... L>
inline void Leave(MatchFinder *f, uint32_t leaving, std::integer_sequence<uint32_t, L...>) {
  uint8_t in = f->levels_of[leaving & kWindowMask];
  if (in != 0) {
    const uint8_t *bytes = FinderBytes(f, leaving);
    ((in & (1u << L) ? LevelRemoveOldest(&f->level[L], LevelHash<kLevelLengths[L]>(bytes), leaving)
                     : void()),
     ...);
    f->levels_of[leaving & kWindowMask] = 0;
  }
  RunListsLeave(&f->runs, leaving);
}

// After the byte at end - 1 arrived: position end - k is complete for level k.
template <uint32_t L>
inline void EnterLevel(MatchFinder *f) {
  constexpr uint32_t k = kLevelLengths[L];
  // Not yet k bytes in the window, or the k bytes are one byte repeated (run lists).
  if (f->end - f->oldest < k || f->run_length >= k) return;
  uint32_t s = f->end - k;
  LevelInsert(&f->level[L], LevelHash<k>(FinderBytes(f, s)), s);
  f->levels_of[s & kWindowMask] |= static_cast<uint8_t>(1u << L);
}

template <uint32_t... L>
inline void AppendOne(MatchFinder *f, uint8_t byte, std::integer_sequence<uint32_t, L...> seq) {
  if (f->end - f->oldest == kWindowSize) {
    Leave(f, f->oldest, seq);
    ++f->oldest;
  }
  f->run_length = (f->run_length > 0 && byte == f->last) ? f->run_length + 1 : 1;
  f->last = byte;
  if (f->run_length == 3) {
    RunListsOpen(&f->runs, byte, f->end + 1);
  } else if (f->run_length > 3) {
    RunListsExtend(&f->runs);
  }
  ++f->end;
  (EnterLevel<L>(f), ...);
}

void Rebase(MatchFinder *f) {
  uint32_t delta = (f->oldest & ~0xFFFFu) - kFirstPosition;
  RunListsRebase(&f->runs, delta);
  f->end -= delta;
  f->oldest -= delta;
  f->base -= delta;
}

}  // namespace

MatchFinder *MatchFinderCreateAt(uint32_t first_position) {
  auto *f = static_cast<MatchFinder *>(PlatformAlloc(sizeof(MatchFinder)));
  if (f == nullptr) return nullptr;
  f->end = f->oldest = f->base = first_position;
  f->run_length = 0;
  f->last = 0;
  std::memset(f->levels_of, 0, sizeof f->levels_of);
  for (auto &lv : f->level) std::memset(lv.bucket, 0, sizeof lv.bucket);
  static_assert(kNoEntry == 0);
  RunListsInit(&f->runs);
  return f;
}

MatchFinder *MatchFinderCreate() { return MatchFinderCreateAt(kFirstPosition); }

void MatchFinderDestroy(MatchFinder *finder) { PlatformFree(finder); }

void MatchFinderAppend(MatchFinder *f, const uint8_t *bytes, uint32_t count) {
  constexpr auto seq = std::make_integer_sequence<uint32_t, kLevelCount>{};
  while (count > 0) {
    uint32_t chunk = count < kAppendChunk ? count : kAppendChunk;
    if (f->end + chunk - f->base > kCopySize) {
      std::memmove(f->copy, FinderBytes(f, f->oldest), f->end - f->oldest);
      f->base = f->oldest;
    }
    // The bytes go into the copy first, all at once: the hashes read them back as words,
    // which would otherwise wait on the store of the byte just written.
    std::memcpy(f->copy + (f->end - f->base), bytes, chunk);
    for (uint32_t i = 0; i < chunk; ++i) AppendOne(f, bytes[i], seq);
    bytes += chunk;
    count -= chunk;
    if (f->end >= kRebaseMark) Rebase(f);
  }
}

}  // namespace quillpack
