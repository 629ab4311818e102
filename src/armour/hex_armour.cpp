// Hex armour writer and reader, both working a chunk at a time.
//
// The text is produced and consumed through blocks of characters rather than one stream
// call per character; the characters, their order, and the point at which a failure stops
// the work are those of a character-at-a-time loop.
#include "armour/hex_armour.h"

#include <cstring>

#include "platform/assertion.h"

namespace quillpack {
namespace {

constexpr char kDigits[] = "0123456789ABCDEF";
constexpr int kLineDigits = 80;

// Character classes for the reader: 0-15 digit values, then white space and the rest.
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
  PairTable t{};
  for (int b = 0; b < 256; ++b) {
    t.digits[b][0] = kDigits[b >> 4];
    t.digits[b][1] = kDigits[b & 0xF];
  }
  return t;
}

constexpr PairTable kPairs = MakePairTable();

enum DecodeResult { kDecoded, kBadCharacter, kNoMemory };

// Decodes `count` characters of text into the buffer's free room, growing it by doubling
// exactly when a byte would not fit, as appending the bytes one at a time would.
// `*high` carries the class of a pair's first character across calls (-1 when none).
// The bytes decoded before a bad pair or a failed growth stay appended.
[[nodiscard]] DecodeResult DecodeText(const uint8_t *text, size_t count, int *high,
                                      ByteBuffer *buffer) {
  QUILLPACK_ASSERT(text != nullptr || count == 0);
  QUILLPACK_ASSERT(*high >= -1 && *high <= kInvalid);
  const uint8_t *p = text;
  const uint8_t *const end = text + count;
  uint8_t *dst = buffer->data + buffer->length;
  uint8_t *limit = buffer->data + buffer->capacity;
  int pending = *high;
  DecodeResult result = kDecoded;
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
    uint8_t cls = kTable.cls[*p++];
    if (cls == kSpace) continue;
    if (pending < 0) {
      pending = cls;
      continue;
    }
    if (pending >= 16 || cls >= 16) {
      result = kBadCharacter;
      break;
    }
    QUILLPACK_ASSERT(dst <= limit);
    if (dst == limit) {
      buffer->length = static_cast<uint32_t>(dst - buffer->data);
      if (!ByteBufferGrow(buffer)) return kNoMemory;
      dst = buffer->data + buffer->length;
      limit = buffer->data + buffer->capacity;
    }
    *dst++ = static_cast<uint8_t>(pending << 4 | cls);
    pending = -1;
  }
  QUILLPACK_ASSERT(dst <= limit);
  buffer->length = static_cast<uint32_t>(dst - buffer->data);
  *high = pending;
  return result;
}

}  // namespace

int HexDigitValue(int character) {
  if (character < 0 || character > 255) return -1;
  uint8_t cls = kTable.cls[character];
  return cls < 16 ? cls : -1;
}

int WriteHexArmour(const uint8_t *bytes, uint32_t count, PlatformFile *stream) {
  QUILLPACK_ASSERT(bytes != nullptr || count == 0);
  QUILLPACK_ASSERT(stream != nullptr);
  constexpr uint32_t kLineBytes = kLineDigits / 2;
  static_assert(kHexWriteChunk % (kLineDigits + 1) == 0, "the writer's chunk holds whole lines");
  char chunk[kHexWriteChunk];
  size_t used = 0;
  // Every line, the last one included, ends with a line feed; 0 bytes make no line.
  for (uint32_t i = 0; i < count;) {
    uint32_t n = count - i < kLineBytes ? count - i : kLineBytes;
    char *out = chunk + used;
    for (uint32_t k = 0; k < n; ++k) std::memcpy(out + 2 * k, kPairs.digits[bytes[i + k]], 2);
    out[2 * n] = '\n';
    used += 2 * n + 1;
    i += n;
    QUILLPACK_ASSERT(used <= sizeof chunk);
    if (used == sizeof chunk) {
      if (PlatformWrite(stream, chunk, used) != used) return 0;
      used = 0;
    }
  }
  if (used > 0 && PlatformWrite(stream, chunk, used) != used) return 0;
  return 1;
}

int ReadHexArmour(PlatformFile *stream, ByteBuffer *buffer) {
  QUILLPACK_ASSERT(stream != nullptr);
  QUILLPACK_ASSERT(ByteBufferIsSound(buffer));
  uint8_t text[kHexReadChunk];
  int high = -1;  // class of the pair's first character while one is pending
  for (;;) {
    size_t got = PlatformRead(stream, text, sizeof text);
    DecodeResult result = DecodeText(text, got, &high, buffer);
    if (result == kNoMemory) return 0;
    if (result == kBadCharacter) {
      PlatformPrintError("Error: Invalid hex character\n");
      return 0;
    }
    if (got < sizeof text) break;
  }
  if (PlatformReadFailed(stream)) {
    PlatformPrintError("Error: Failed to read hex data\n");
    return 0;
  }
  if (high >= 0) {
    PlatformPrintError("Error: Incomplete hex pair\n");
    return 0;
  }
  return 1;
}

}  // namespace quillpack
