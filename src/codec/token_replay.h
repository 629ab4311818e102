// TokenReplay: a token stream back to the bytes it stands for, a piece at a time, in memory.
#pragma once

#include <cstddef>
#include <cstdint>

#include "codec/container_fault.h"
#include "codec/format.h"
#include "codec/history_window.h"

namespace quillpack {

// Restored bytes a step produces before it returns: it stops once this many are restored,
// so a step restores at most this many and one match more.
constexpr uint32_t kReplayStepBytes = 4096;

// The replay's state between pieces of the stream, about 37 KB; it may live on the stack.
struct TokenReplay {
  HistoryWindow window;  // the bytes restored last, newest last
  uint64_t restored;     // bytes restored so far
  uint64_t matches;      // match tokens replayed so far
  uint64_t matched;      // bytes they restored; the other restored bytes came from literals
  uint32_t header;       // bytes of the header seen so far, all found right (0 to 4)
  uint32_t carried;      // bytes of a token cut off by the end of the last piece
  uint8_t carry[4];
};

// Starts a replay of a stream from its first byte (the header's).
void TokenReplayInit(TokenReplay *replay);

struct ReplayStep {
  // The bytes this step restored, in the replay's window, valid until the next step; the
  // bytes restored before them (up to 32768) stand contiguously just before them.
  const uint8_t *bytes;
  uint32_t count;
  size_t read;           // bytes taken from the piece; the rest is for the next step
  ContainerFault fault;  // kContainerOk, or what stopped the replay for good
};

// Replays the piece `tokens[0, count)` that follows what earlier steps took: checks the
// header, then replays tokens until kReplayStepBytes bytes are restored or the piece is used
// up. A token cut off by the end of the piece is kept and completed by the next piece. Stops
// at a fault (a wrong header byte, a bad kind byte, a distance beyond the bytes restored or
// 0 with a length), having restored the bytes of the tokens before it; no step may follow.
[[nodiscard]] ReplayStep TokenReplayStep(TokenReplay *replay, const uint8_t *tokens, size_t count);

// What the end of the stream, here, makes of it: kContainerOk, or kContainerInvalidFormat
// (the header is incomplete), kContainerLiteralCutOff or kContainerMatchCutOff (a token is).
[[nodiscard]] ContainerFault TokenReplayFinish(const TokenReplay *replay);

}  // namespace quillpack
