// WebPacker: an input, a piece at a time, to the container's text, as CompressFile writes it.
//
// The tokens of each piece become text at once, the hex encoder carrying its line across
// pieces, so memory holds one piece's tokens and text instead of the whole token stream.
#include "armour/byte_buffer.h"
#include "armour/hex_codec.h"
#include "codec/block_coder.h"
#include "codec/finder/match_finder.h"
#include "codec/format.h"
#include "codec/history_window.h"
#include "platform/assertion.h"
#include "platform/platform.h"
#include "web/web_module.h"

namespace quillpack {

struct WebPacker {
  MatchFinder *finder;    // null when only the plain scan's window could be had
  HistoryWindow *window;  // the plain scan's window, when `finder` is null
  ByteBuffer *tokens;     // tokens not yet given as text
  ByteBuffer *text;       // the text of the last call
  HexEncoder encoder;     // the unfinished line of the whole text
  bool input_ended;       // a block shorter than kBlockSize was coded
};

namespace {

constexpr uint32_t kFirstCapacity = 4096;

// Makes `buffer` hold at least `size` bytes by doubling. False when it cannot.
[[nodiscard]] bool ByteBufferReserve(ByteBuffer *buffer, size_t size) {
  while (buffer->capacity < size) {
    if (!ByteBufferGrow(buffer)) return false;
  }
  return true;
}

// Turns the tokens held into text appended to the packer's text, and lets them go.
[[nodiscard]] WebStatus EncodeTokens(WebPacker *packer) {
  ByteBuffer *tokens = packer->tokens;
  ByteBuffer *text = packer->text;
  if (!ByteBufferReserve(text, text->length + HexEncodedRoom(tokens->length)))
    return kWebBufferAllocationFailed;
  text->length +=
      static_cast<uint32_t>(HexEncode(&packer->encoder, tokens->data, tokens->length,
                                      reinterpret_cast<char *>(text->data + text->length)));
  tokens->length = 0;
  return kWebOk;
}

}  // namespace

WebStatus WebPackBegin(WebPacker **packer) {
  QUILLPACK_ASSERT(packer != nullptr);
  *packer = nullptr;
  auto *p = static_cast<WebPacker *>(PlatformAlloc(sizeof(WebPacker)));
  if (p == nullptr) return kWebMemoryAllocationFailed;
  // As in CompressFile, the finder only speeds the search up: the small finder, and without
  // it the plain scan, give the same tokens.
  p->finder = MatchFinderCreate(kFinderFull);
  if (p->finder == nullptr) p->finder = MatchFinderCreate(kFinderSmall);
  p->window = nullptr;
  if (p->finder == nullptr) {
    p->window = static_cast<HistoryWindow *>(PlatformAlloc(sizeof(HistoryWindow)));
    if (p->window != nullptr) HistoryWindowInit(p->window);
  }
  p->tokens = ByteBufferCreate(kFirstCapacity);
  p->text = ByteBufferCreate(kFirstCapacity);
  HexEncoderInit(&p->encoder);
  p->input_ended = false;
  bool ok =
      (p->finder != nullptr || p->window != nullptr) && p->tokens != nullptr && p->text != nullptr;
  if (ok) {
    for (uint8_t byte : kHeader) ok = ok && ByteBufferAppend(p->tokens, byte);
  }
  if (!ok) {
    WebPackEnd(p);
    return kWebMemoryAllocationFailed;
  }
  *packer = p;
  return kWebOk;
}

WebStatus WebPackCode(WebPacker *packer, const uint8_t *bytes, uint32_t count) {
  QUILLPACK_ASSERT(bytes != nullptr || count == 0);
  QUILLPACK_ASSERT(!packer->input_ended || count == 0);
  packer->text->length = 0;
  for (uint32_t at = 0; at < count; at += kBlockSize) {
    uint32_t n = count - at < kBlockSize ? count - at : kBlockSize;
    packer->input_ended = n < kBlockSize;
    if (!CodeBlock(bytes + at, n, packer->finder, packer->window, packer->tokens))
      return kWebBufferAllocationFailed;
  }
  return EncodeTokens(packer);
}

WebStatus WebPackFinish(WebPacker *packer) {
  packer->text->length = 0;
  WebStatus status = EncodeTokens(packer);
  if (status != kWebOk) return status;
  if (!ByteBufferReserve(packer->text, packer->text->length + 1)) return kWebBufferAllocationFailed;
  packer->text->length += static_cast<uint32_t>(HexEncodeFinish(
      &packer->encoder, reinterpret_cast<char *>(packer->text->data + packer->text->length)));
  return kWebOk;
}

const char *WebPackText(const WebPacker *packer) {
  return reinterpret_cast<const char *>(packer->text->data);
}

uint32_t WebPackTextLength(const WebPacker *packer) {
  return packer->text->length;
}

void WebPackEnd(WebPacker *packer) {
  if (packer == nullptr) return;
  MatchFinderDestroy(packer->finder);
  PlatformFree(packer->window);
  ByteBufferDestroy(packer->tokens);
  ByteBufferDestroy(packer->text);
  PlatformFree(packer);
}

}  // namespace quillpack
