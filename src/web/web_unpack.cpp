// WebUnpacker: a container's whole text to its token stream, then the tokens back to the
// bytes a piece at a time, with DecompressFile's rules and in its order.
#include "armour/byte_buffer.h"
#include "armour/hex_codec.h"
#include "codec/token_replay.h"
#include "platform/assertion.h"
#include "platform/platform.h"
#include "web/web_module.h"

namespace quillpack {

struct WebUnpacker {
  TokenReplay replay;    // about 37 KB, so it lives here on the heap, not on the stack
  ByteBuffer *tokens;    // the whole token stream the text holds
  ByteBuffer *restored;  // the bytes of the last WebUnpackRestore
  HexDecoder decoder;
  uint32_t replayed;  // token bytes replayed so far
};

namespace {

constexpr uint32_t kFirstCapacity = 4096;

}  // namespace

WebStatus WebUnpackBegin(WebUnpacker **unpacker) {
  QUILLPACK_ASSERT(unpacker != nullptr);
  *unpacker = nullptr;
  auto *u = static_cast<WebUnpacker *>(PlatformAlloc(sizeof(WebUnpacker)));
  if (u == nullptr) return kWebMemoryAllocationFailed;
  TokenReplayInit(&u->replay);
  u->tokens = ByteBufferCreate(kFirstCapacity);
  u->restored = ByteBufferCreate(kFirstCapacity);
  HexDecoderInit(&u->decoder);
  u->replayed = 0;
  if (u->tokens == nullptr || u->restored == nullptr) {
    WebUnpackEnd(u);
    return kWebMemoryAllocationFailed;
  }
  *unpacker = u;
  return kWebOk;
}

WebStatus WebUnpackRead(WebUnpacker *unpacker, const uint8_t *text, uint32_t count) {
  switch (HexDecodeAppend(&unpacker->decoder, text, count, unpacker->tokens)) {
    case kHexAppended:
      return kWebOk;
    case kHexAppendInvalidCharacter:
      return WebStatusOf({kContainerInvalidHexCharacter, 0});
    case kHexAppendNoMemory:
      break;
  }
  return kWebInvalidHexData;
}

WebStatus WebUnpackReadEnd(WebUnpacker *unpacker) {
  if (!HexDecodeComplete(&unpacker->decoder)) return WebStatusOf({kContainerIncompleteHexPair, 0});
  return kWebOk;
}

WebStatus WebUnpackRestore(WebUnpacker *unpacker, uint32_t budget) {
  const ByteBuffer *tokens = unpacker->tokens;
  ByteBuffer *restored = unpacker->restored;
  restored->length = 0;
  while (unpacker->replayed < tokens->length) {
    if (restored->length >= budget) return kWebOk;
    ReplayStep step = TokenReplayStep(&unpacker->replay, tokens->data + unpacker->replayed,
                                      tokens->length - unpacker->replayed);
    unpacker->replayed += static_cast<uint32_t>(step.read);
    if (step.fault.fault != kContainerOk) return WebStatusOf(step.fault);
    if (!ByteBufferAppendBytes(restored, step.bytes, step.count))
      return kWebWriteDecompressedFailed;
  }
  WebStatus end = WebStatusOf(TokenReplayFinish(&unpacker->replay));
  return end == kWebOk ? kWebDone : end;
}

const uint8_t *WebUnpackBytes(const WebUnpacker *unpacker) {
  return unpacker->restored->data;
}

uint32_t WebUnpackCount(const WebUnpacker *unpacker) {
  return unpacker->restored->length;
}

uint32_t WebUnpackTokensReplayed(const WebUnpacker *unpacker) {
  return unpacker->replayed;
}

uint32_t WebUnpackTokens(const WebUnpacker *unpacker) {
  return unpacker->tokens->length;
}

void WebUnpackEnd(WebUnpacker *unpacker) {
  if (unpacker == nullptr) return;
  ByteBufferDestroy(unpacker->tokens);
  ByteBufferDestroy(unpacker->restored);
  PlatformFree(unpacker);
}

}  // namespace quillpack
