// Hex armour writer and reader, both working a chunk at a time.
//
// The text is produced and consumed through blocks of characters rather than one stream
// call per character; the characters, their order, and the point at which a failure stops
// the work are those of a character-at-a-time loop.
#include "armour/hex_armour.h"

#include <cstring>
#include <initializer_list>

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
  for (uint8_t c : {uint8_t{'\n'}, uint8_t{'\r'}, uint8_t{' '}, uint8_t{'\t'}}) t.cls[c] = kSpace;
  return t;
}

constexpr DigitTable kTable = MakeDigitTable();

}  // namespace

int HexDigitValue(int character) {
  if (character < 0 || character > 255) return -1;
  uint8_t cls = kTable.cls[character];
  return cls < 16 ? cls : -1;
}

int WriteHexArmour(const uint8_t *bytes, uint32_t count, PlatformFile *stream) {
  constexpr size_t kLinesPerChunk = 100;
  char chunk[kLinesPerChunk * (kLineDigits + 1)];
  size_t used = 0;
  int column = 0;
  for (uint32_t i = 0; i < count; ++i) {
    chunk[used++] = kDigits[bytes[i] >> 4];
    chunk[used++] = kDigits[bytes[i] & 0xF];
    column += 2;
    if (column >= kLineDigits) {
      chunk[used++] = '\n';
      column = 0;
      if (used == sizeof chunk) {
        if (PlatformWrite(stream, chunk, used) != used) return 0;
        used = 0;
      }
    }
  }
  if (column > 0) chunk[used++] = '\n';
  if (used > 0 && PlatformWrite(stream, chunk, used) != used) return 0;
  return 1;
}

int ReadHexArmour(PlatformFile *stream, ByteBuffer *buffer) {
  constexpr size_t kChunk = 16384;
  uint8_t text[kChunk];
  uint8_t decoded[kChunk / 2 + 1];
  int high = -1;  // class of the pair's first character while one is pending
  for (;;) {
    size_t got = PlatformRead(stream, text, kChunk);
    uint32_t produced = 0;
    const char *fault = nullptr;
    for (size_t i = 0; i < got; ++i) {
      uint8_t cls = kTable.cls[text[i]];
      if (cls == kSpace) continue;
      if (high < 0) {
        high = cls;
        continue;
      }
      if (high >= 16 || cls >= 16) {
        fault = "Error: Invalid hex character\n";
        break;
      }
      decoded[produced++] = static_cast<uint8_t>(high << 4 | cls);
      high = -1;
    }
    // Bytes decoded before a fault are appended first: a failed growth ahead of the fault
    // is what a byte-at-a-time reader would have met first.
    if (!ByteBufferAppendBytes(buffer, decoded, produced)) return 0;
    if (fault != nullptr) {
      PlatformPrintError("%s", fault);
      return 0;
    }
    if (got < kChunk) break;
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
