// RestoreStream: text read a chunk at a time, decoded into tokens, the tokens replayed into
// restored bytes, which are written a chunk at a time.
#include "command/restore.h"

#include <cstdlib>
#include <cstring>

#include "armour/hex_codec.h"
#include "codec/token_replay.h"
#include "command/system.h"

namespace quillpack_command {
namespace {

constexpr size_t kTextChunk = 64u << 10;
constexpr size_t kTokenChunk = 32u << 10;
constexpr size_t kOutputChunk = 256u << 10;

struct Restore {
  uint8_t *text;
  uint8_t *tokens;
  uint8_t *output_bytes;
  size_t pending;  // restored bytes in `output_bytes` not yet written
  int output;
  quillpack::TokenReplay *replay;
};

bool Flush(Restore *r, StreamOutcome *outcome) {
  if (r->pending == 0) return true;
  if (!SystemWriteAll(r->output, r->output_bytes, r->pending, &outcome->error)) {
    outcome->failure = kStreamWriteFailed;
    return false;
  }
  outcome->written += r->pending;
  r->pending = 0;
  return true;
}

// Replays `count` tokens and passes the restored bytes on. False after a failure or fault.
bool Replay(Restore *r, const uint8_t *tokens, size_t count, StreamOutcome *outcome) {
  while (count > 0) {
    quillpack::ReplayStep step = quillpack::TokenReplayStep(r->replay, tokens, count);
    tokens += step.read;
    count -= step.read;
    if (r->output >= 0 && step.count > 0) {
      if (r->pending + step.count > kOutputChunk && !Flush(r, outcome)) return false;
      std::memcpy(r->output_bytes + r->pending, step.bytes, step.count);
      r->pending += step.count;
    }
    if (step.fault.fault != quillpack::kContainerOk) {
      outcome->failure = kStreamFault;
      outcome->fault = step.fault;
      return false;
    }
  }
  return true;
}

// Decodes the text read and replays its tokens; once the replay has met a fault, only decodes
// (the text's own faults come first). False after a failure or the text's fault.
bool Decode(Restore *r, quillpack::HexDecoder *decoder, size_t count, StreamOutcome *outcome) {
  for (size_t at = 0; at < count;) {
    quillpack::HexDecodeResult d =
        quillpack::HexDecode(decoder, r->text + at, count - at, r->tokens, kTokenChunk);
    at += d.read;
    if (outcome->failure == kStreamOk && !Replay(r, r->tokens, d.written, outcome) &&
        outcome->failure != kStreamFault)
      return false;
    if (d.status == quillpack::kHexInvalidCharacter) {
      outcome->failure = kStreamFault;
      outcome->fault = {quillpack::kContainerInvalidHexCharacter, 0};
      return false;
    }
  }
  return true;
}

// The library reads a container's whole text before it replays a token, so a fault of the
// text is named before any fault of the tokens, wherever each lies. Streaming, the tokens are
// replayed as the text arrives; after a fault of theirs the text is still read to its end, and
// a fault found there is the one named.
StreamOutcome Run(Restore *r, int input, Progress *progress) {
  StreamOutcome outcome;
  quillpack::HexDecoder decoder;
  quillpack::HexDecoderInit(&decoder);
  quillpack::TokenReplayInit(r->replay);
  for (;;) {
    int64_t got = SystemReadFull(input, r->text, kTextChunk, &outcome.error);
    if (got < 0) {
      outcome.failure = kStreamReadFailed;
      return outcome;
    }
    outcome.read += static_cast<uint64_t>(got);
    if (!Decode(r, &decoder, static_cast<size_t>(got), &outcome)) return outcome;
    ProgressUpdate(progress, outcome.read);
    if (static_cast<size_t>(got) < kTextChunk) break;
  }
  if (!quillpack::HexDecodeComplete(&decoder)) {
    outcome.failure = kStreamFault;
    outcome.fault = {quillpack::kContainerIncompleteHexPair, 0};
    return outcome;
  }
  if (outcome.failure != kStreamOk) return outcome;
  quillpack::ContainerFault fault = quillpack::TokenReplayFinish(r->replay);
  if (fault.fault != quillpack::kContainerOk) {
    outcome.failure = kStreamFault;
    outcome.fault = fault;
    return outcome;
  }
  Flush(r, &outcome);
  return outcome;
}

}  // namespace

StreamOutcome RestoreStream(int input, int output, Progress *progress) {
  Restore r;
  r.text = static_cast<uint8_t *>(std::malloc(kTextChunk));
  r.tokens = static_cast<uint8_t *>(std::malloc(kTokenChunk));
  r.output_bytes = output >= 0 ? static_cast<uint8_t *>(std::malloc(kOutputChunk)) : nullptr;
  r.replay = static_cast<quillpack::TokenReplay *>(std::malloc(sizeof(quillpack::TokenReplay)));
  r.pending = 0;
  r.output = output;
  StreamOutcome outcome;
  if (r.text == nullptr || r.tokens == nullptr || r.replay == nullptr ||
      (output >= 0 && r.output_bytes == nullptr)) {
    outcome.failure = kStreamNoMemory;
  } else {
    outcome = Run(&r, input, progress);
    outcome.restored = r.replay->restored;
    outcome.matches = r.replay->matches;
    outcome.matched = r.replay->matched;
  }
  std::free(r.text);
  std::free(r.tokens);
  std::free(r.output_bytes);
  std::free(r.replay);
  return outcome;
}

}  // namespace quillpack_command
