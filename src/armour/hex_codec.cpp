// Hex text in pieces: table-driven digits, eight characters at a time where they allow.
#include "armour/hex_codec.h"

#include <cstring>

#include "platform/assertion.h"

namespace quillpack {
namespace {

// Character classes for the decoder: 0-15 digit values, then white space and the rest.
constexpr uint8_t kSpace = 16;
constexpr uint8_t kInvalid = 17;

struct DigitTable {
  uint8_t cls[256];
};

constexpr DigitTable MakeDigitTable() {
  DigitTable t{};
  for (int c = 0; c < 256; ++c) t.cls[c] = kInvalid;
  for (int c = '0'; c <= '9'; ++c) t.cls[c] = static_cast<uint8_t>(c - '0');
  for (int c = 'A'; c <= 'F'; ++c) t.cls[c] = static_cast<uint8_t>(c - 'A' + 10);
  for (int c = 'a'; c <= 'f'; ++c) t.cls[c] = static_cast<uint8_t>(c - 'a' + 10);
  constexpr uint8_t kWhite[] = {'\n', '\r', ' ', '\t'};
  for (uint8_t c : kWhite) t.cls[c] = kSpace;
  return t;
}

constexpr DigitTable kTable = MakeDigitTable();

// The two digits of every byte value, high digit first.
struct PairTable {
  char digits[256][2];
};

constexpr PairTable MakePairTable() {
  constexpr char kDigits[] = "0123456789ABCDEF";
  PairTable t{};
  for (int b = 0; b < 256; ++b) {
    t.digits[b][0] = kDigits[b >> 4];
    t.digits[b][1] = kDigits[b & 0xF];
  }
  return t;
}

constexpr PairTable kPairs = MakePairTable();

}  // namespace

size_t HexEncode(HexEncoder *encoder, const uint8_t *bytes, size_t count, char *text) {
  QUILLPACK_ASSERT(bytes != nullptr || count == 0);
  QUILLPACK_ASSERT(encoder->column < kHexLineDigits && encoder->column % 2 == 0);
  char *out = text;
  uint32_t column = encoder->column;
  while (count > 0) {
    size_t n = (kHexLineDigits - column) / 2;
    if (n > count) n = count;
    for (size_t k = 0; k < n; ++k) std::memcpy(out + 2 * k, kPairs.digits[bytes[k]], 2);
    out += 2 * n;
    bytes += n;
    count -= n;
    column += static_cast<uint32_t>(2 * n);
    if (column == kHexLineDigits) {
      *out++ = '\n';
      column = 0;
    }
  }
  encoder->column = column;
  return static_cast<size_t>(out - text);
}

size_t HexEncodeFinish(HexEncoder *encoder, char *text) {
  if (encoder->column == 0) return 0;
  encoder->column = 0;
  text[0] = '\n';
  return 1;
}

HexDecodeResult HexDecode(HexDecoder *decoder, const uint8_t *text, size_t count, uint8_t *bytes,
                          size_t room) {
  QUILLPACK_ASSERT(text != nullptr || count == 0);
  QUILLPACK_ASSERT(bytes != nullptr || room == 0);
  QUILLPACK_ASSERT(decoder->pending >= -1 && decoder->pending <= kInvalid);
  const uint8_t *p = text;
  const uint8_t *const end = text + count;
  uint8_t *dst = bytes;
  uint8_t *const limit = bytes + room;
  int pending = decoder->pending;
  HexDecodeStatus status = kHexAllRead;
  while (p < end) {
    // Runs of digits, the bulk of any container, go eight characters at a time; white
    // space and anything invalid fall through to the character-at-a-time path below.
    if (pending < 0) {
      while (end - p >= 8 && limit - dst >= 4) {
        uint8_t c0 = kTable.cls[p[0]], c1 = kTable.cls[p[1]];
        uint8_t c2 = kTable.cls[p[2]], c3 = kTable.cls[p[3]];
        uint8_t c4 = kTable.cls[p[4]], c5 = kTable.cls[p[5]];
        uint8_t c6 = kTable.cls[p[6]], c7 = kTable.cls[p[7]];
        if ((c0 | c1 | c2 | c3 | c4 | c5 | c6 | c7) & 0xF0) break;
        dst[0] = static_cast<uint8_t>(c0 << 4 | c1);
        dst[1] = static_cast<uint8_t>(c2 << 4 | c3);
        dst[2] = static_cast<uint8_t>(c4 << 4 | c5);
        dst[3] = static_cast<uint8_t>(c6 << 4 | c7);
        p += 8;
        dst += 4;
      }
      if (p == end) break;
    }
    uint8_t cls = kTable.cls[*p];
    if (cls == kSpace) {
      ++p;
      continue;
    }
    if (pending < 0) {
      pending = cls;
      ++p;
      continue;
    }
    if (pending >= 16 || cls >= 16) {
      status = kHexInvalidCharacter;
      break;
    }
    if (dst == limit) {
      status = kHexRoomFull;
      break;
    }
    *dst++ = static_cast<uint8_t>(pending << 4 | cls);
    pending = -1;
    ++p;
  }
  QUILLPACK_ASSERT(dst <= limit);
  decoder->pending = pending;
  return HexDecodeResult{status, static_cast<size_t>(p - text), static_cast<size_t>(dst - bytes)};
}

HexAppendStatus HexDecodeAppend(HexDecoder *decoder, const uint8_t *text, size_t count,
                                ByteBuffer *buffer) {
  QUILLPACK_ASSERT(ByteBufferIsSound(buffer));
  for (size_t at = 0;;) {
    HexDecodeResult r = HexDecode(decoder, text + at, count - at, buffer->data + buffer->length,
                                  buffer->capacity - buffer->length);
    buffer->length += static_cast<uint32_t>(r.written);
    at += r.read;
    if (r.status == kHexAllRead) return kHexAppended;
    if (r.status == kHexInvalidCharacter) return kHexAppendInvalidCharacter;
    if (!ByteBufferGrow(buffer)) return kHexAppendNoMemory;
  }
}

int HexDigitValue(int character) {
  if (character < 0 || character > 255) return -1;
  uint8_t cls = kTable.cls[character];
  return cls < 16 ? cls : -1;
}

}  // namespace quillpack
