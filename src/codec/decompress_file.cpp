// DecompressFile: hex armour to token stream to restored bytes.
//
// Restored bytes are written straight into the history window; the bytes not yet written
// out (fewer than one block plus one match) are always its newest, so the window doubles
// as the 4096-byte staging block and nothing is copied twice.
#include <cstring>

#include "armour/byte_buffer.h"
#include "armour/hex_armour.h"
#include "codec/codec.h"
#include "codec/history_window.h"
#include "codec/open_streams.h"
#include "codec/token_format.h"

namespace quillpack {
namespace {

constexpr uint32_t kBlockSize = 4096;

// Copies `length` bytes from `distance` behind `dst` to `dst`, byte by byte in effect: a
// distance shorter than the length repeats the bytes the copy itself produces.
void CopyMatch(uint8_t *dst, uint32_t distance, uint32_t length) {
  const uint8_t *src = dst - distance;
  if (distance >= length) {
    std::memcpy(dst, src, length);
    return;
  }
  for (uint32_t i = 0; i < length; ++i) dst[i] = src[i];
}

// Writes `count` restored bytes, adding them to `*written`. A short write prints the failure's
// line and cuts the output back to the `*written` bytes written before, so that no part of
// the failed block stays in the file.
bool WriteRestored(PlatformFile *output, const uint8_t *bytes, uint32_t count, uint64_t *written) {
  if (PlatformWrite(output, bytes, count) == count) {
    *written += count;
    return true;
  }
  PlatformPrintError("Error: Failed to write decompressed data\n");
  PlatformTruncate(output, *written);
  return false;
}

// Replays the tokens after the header. Returns false after printing the failure's line.
// Whole blocks are written as they fill and counted in `*written`; `*staged` is left holding
// the newest bytes of `window` not yet written.
bool Replay(const uint8_t *tokens, uint32_t length, HistoryWindow *window, PlatformFile *output,
            uint32_t *staged, uint64_t *written) {
  uint32_t offset = sizeof kHeader;
  while (offset < length) {
    uint8_t kind = tokens[offset];
    uint32_t produced;
    if (kind == kTokenLiteral) {
      if (offset + 1 >= length) {
        PlatformPrintError("Error: Unexpected end of file reading literal\n");
        return false;
      }
      *HistoryWindowReserve(window, 1) = tokens[offset + 1];
      produced = 1;
      offset += 2;
    } else if (kind == kTokenMatch) {
      if (offset + 3 >= length) {
        PlatformPrintError("Error: Unexpected end of file reading match\n");
        return false;
      }
      uint32_t match_length = tokens[offset + 1];
      uint32_t distance = tokens[offset + 2] | static_cast<uint32_t>(tokens[offset + 3]) << 8;
      offset += 4;
      if (distance > window->fill || (distance == 0 && match_length != 0)) {
        PlatformPrintError("Error: Invalid match distance\n");
        return false;
      }
      CopyMatch(HistoryWindowReserve(window, match_length), distance, match_length);
      produced = match_length;
    } else {
      PlatformPrintError("Error: Invalid token type: 0x%02X\n", kind);
      return false;
    }
    HistoryWindowCommit(window, produced);
    *staged += produced;
    while (*staged >= kBlockSize) {
      const uint8_t *end = HistoryWindowData(window) + window->fill;
      if (!WriteRestored(output, end - *staged, kBlockSize, written)) return false;
      *staged -= kBlockSize;
    }
  }
  return true;
}

bool HasHeader(const ByteBuffer *tokens) {
  return tokens->length >= sizeof kHeader && std::memcmp(tokens->data, kHeader, sizeof kHeader) == 0;
}

}  // namespace

int DecompressFile(const char *input_path, const char *output_path) {
  StreamPair streams;
  if (!OpenStreams(input_path, "r", output_path, "wb", &streams)) return 1;
  ByteBuffer *tokens = ByteBufferCreate(kBlockSize);
  if (tokens == nullptr) {
    PlatformPrintError("Error: Memory allocation failed\n");
    PlatformClose(streams.input);
    PlatformClose(streams.output);
    return 1;
  }

  bool failed = true;
  HistoryWindow window;
  HistoryWindowInit(&window);
  uint32_t staged = 0;
  uint64_t written = 0;
  if (!ReadHexArmour(streams.input, tokens)) {
    PlatformPrintError("Error: Invalid Hex data\n");
  } else if (!HasHeader(tokens)) {
    PlatformPrintError("Error: Invalid compressed file format\n");
  } else if (Replay(tokens->data, tokens->length, &window, streams.output, &staged, &written)) {
    const uint8_t *end = HistoryWindowData(&window) + window.fill;
    failed = staged > 0 && !WriteRestored(streams.output, end - staged, staged, &written);
  }

  ByteBufferDestroy(tokens);
  PlatformClose(streams.input);
  // The restored bytes reach the file only here; a restore cut short by a full disk must
  // not be reported as complete.
  if (!PlatformClose(streams.output) && !failed) {
    PlatformPrintError("Error: Failed to write decompressed data\n");
    failed = true;
  }
  if (failed) return 1;
  PlatformPrintOut("Decompression successful: '%s' -> '%s'\n", input_path, output_path);
  return 0;
}

}  // namespace quillpack
