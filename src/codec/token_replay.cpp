// TokenReplay: restored bytes go straight into the window's room past its newest byte, so a
// step restores without copying and a match copies from the window in place.
#include "codec/token_replay.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "platform/assertion.h"

namespace quillpack {
namespace {

// CopyMatch may write up to this many bytes past the end of its match.
constexpr uint32_t kCopyOverrun = 15;
// Room reserved for a step: its last token may run kMaxMatch bytes over, and its copy
// kCopyOverrun bytes beyond that (rounded up to 16).
constexpr uint32_t kRoom = kReplayStepBytes + kMaxMatch + 16;
static_assert(kRoom >= kReplayStepBytes + kMaxMatch + kCopyOverrun, "a step's last copy fits");
static_assert(kRoom <= kWindowSlack, "a step restores straight into the window's slack");

// Copies `length` bytes from `distance` behind `dst` to `dst` with the result of a byte by
// byte copy: a distance shorter than the length repeats the bytes the copy itself produces.
// May write up to kCopyOverrun bytes past `dst + length`.
inline void CopyMatch(uint8_t *dst, uint32_t distance, uint32_t length) {
  QUILLPACK_ASSERT(distance >= 1 || length == 0);
  const uint8_t *src = dst - distance;
  if (distance >= 16) {
    // Each 16-byte piece reads only bytes written before it.
    for (uint32_t i = 0; i < length; i += 16) std::memcpy(dst + i, src + i, 16);
  } else if (distance >= 8) {
    for (uint32_t i = 0; i < length; i += 8) std::memcpy(dst + i, src + i, 8);
  } else {
    for (uint32_t i = 0; i < length; ++i) dst[i] = src[i];
  }
}

// Copies the data bytes of the literal tokens at `tokens`, four tokens at a time while all
// four are literals and fit in `room` bytes, to `*dst` and advances it. Returns the token
// bytes consumed (8 per 4 literals); stops early, leaving the rest to the token loop.
[[nodiscard]] inline size_t CopyLiteralRun(const uint8_t *tokens, size_t available, ptrdiff_t room,
                                           uint8_t **dst) {
  QUILLPACK_ASSERT(room >= 0);
  if constexpr (std::endian::native != std::endian::little) return 0;
  constexpr uint64_t kKinds = 0x00FF00FF00FF00FFull;  // the kind bytes of four tokens
  size_t used = 0;
  uint8_t *out = *dst;
  while (available - used >= 8 && room >= 4) {
    uint64_t word;
    std::memcpy(&word, tokens + used, 8);
    if (word & kKinds) break;
    uint64_t data = (word >> 8) & kKinds;
    data = (data | data >> 8) & 0x0000FFFF0000FFFFull;
    data = (data | data >> 16) & 0xFFFFFFFFull;
    uint32_t four = static_cast<uint32_t>(data);
    std::memcpy(out, &four, 4);
    out += 4;
    room -= 4;
    used += 8;
  }
  *dst = out;
  return used;
}

// Bytes of a token whose kind byte is `kind` (0 for a kind that is neither).
[[nodiscard]] inline uint32_t TokenSize(uint8_t kind) {
  return kind == kTokenLiteral ? 2 : kind == kTokenMatch ? 4 : 0;
}

// Replays the one whole token at `token` to `*dst`, which `reach` bytes of history precede,
// and counts a match in `replay`.
[[nodiscard]] inline ContainerFault ReplayToken(const uint8_t *token, uint32_t reach, uint8_t **dst,
                                                TokenReplay *replay) {
  if (token[0] == kTokenLiteral) {
    *(*dst)++ = token[1];
    return kContainerSound;
  }
  uint32_t length = token[1];
  uint32_t distance = token[2] | static_cast<uint32_t>(token[3]) << 8;
  if (distance > reach || (distance == 0 && length != 0)) return {kContainerInvalidDistance, 0};
  CopyMatch(*dst, distance, length);
  *dst += length;
  ++replay->matches;
  replay->matched += length;
  return kContainerSound;
}

}  // namespace

void TokenReplayInit(TokenReplay *replay) {
  HistoryWindowInit(&replay->window);
  replay->restored = 0;
  replay->matches = 0;
  replay->matched = 0;
  replay->header = 0;
  replay->carried = 0;
}

ReplayStep TokenReplayStep(TokenReplay *replay, const uint8_t *tokens, size_t count) {
  QUILLPACK_ASSERT(tokens != nullptr || count == 0);
  QUILLPACK_ASSERT(replay->header <= sizeof kHeader && replay->carried < 4);
  ReplayStep step{nullptr, 0, 0, kContainerSound};
  const uint8_t *p = tokens;
  const uint8_t *const end = tokens + count;
  while (replay->header < sizeof kHeader && p < end) {
    if (*p != kHeader[replay->header]) {
      step.read = static_cast<size_t>(p - tokens);
      step.fault = {kContainerInvalidFormat, 0};
      return step;
    }
    ++replay->header;
    ++p;
  }
  HistoryWindow *window = &replay->window;
  uint8_t *const room = HistoryWindowReserve(window, kRoom);
  uint8_t *dst = room;
  uint8_t *const stop = room + kReplayStepBytes;
  const uint32_t fill = window->fill;
  ContainerFault fault = kContainerSound;
  // A distance may reach back over the window and what this step has restored.
  auto reach = [&] {
    return std::min<uint32_t>(fill + static_cast<uint32_t>(dst - room), kWindowSize);
  };
  if (replay->carried > 0 && p < end) {
    size_t want = TokenSize(replay->carry[0]) - replay->carried;
    size_t take = std::min(want, static_cast<size_t>(end - p));
    std::memcpy(replay->carry + replay->carried, p, take);
    replay->carried += static_cast<uint32_t>(take);
    p += take;
    if (take == want) {
      replay->carried = 0;
      fault = ReplayToken(replay->carry, reach(), &dst, replay);
    }
  }
  while (fault.fault == kContainerOk && dst < stop && p < end) {
    uint8_t kind = *p;
    uint32_t size = TokenSize(kind);
    if (size == 0) {
      fault = {kContainerInvalidTokenType, kind};
      break;
    }
    if (static_cast<size_t>(end - p) < size) {
      // Completed by the next piece, or reported by TokenReplayFinish.
      replay->carried = static_cast<uint32_t>(end - p);
      std::memcpy(replay->carry, p, replay->carried);
      p = end;
      break;
    }
    if (kind == kTokenLiteral) {
      *dst++ = p[1];
      p += 2;
      p += CopyLiteralRun(p, static_cast<size_t>(end - p), stop - dst, &dst);
      continue;
    }
    QUILLPACK_ASSERT(dst + p[1] + kCopyOverrun <= room + kRoom);
    fault = ReplayToken(p, reach(), &dst, replay);
    if (fault.fault == kContainerOk) p += 4;
  }
  QUILLPACK_ASSERT(dst <= room + kRoom - kCopyOverrun);
  uint32_t produced = static_cast<uint32_t>(dst - room);
  HistoryWindowCommit(window, produced);
  replay->restored += produced;
  step.bytes = room;
  step.count = produced;
  step.read = static_cast<size_t>(p - tokens);
  step.fault = fault;
  return step;
}

ContainerFault TokenReplayFinish(const TokenReplay *replay) {
  if (replay->header < sizeof kHeader) return {kContainerInvalidFormat, 0};
  if (replay->carried == 0) return kContainerSound;
  return {replay->carry[0] == kTokenLiteral ? kContainerLiteralCutOff : kContainerMatchCutOff, 0};
}

}  // namespace quillpack
