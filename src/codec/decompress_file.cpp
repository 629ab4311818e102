// DecompressFile: hex armour to token stream to restored bytes.
//
// Restored bytes are written straight into the history window; the bytes not yet written
// out (fewer than one block plus one match) are always its newest, so the window doubles
// as the 4096-byte staging block and nothing is copied twice.
#include <algorithm>
#include <bit>
#include <cstring>

#include "armour/byte_buffer.h"
#include "armour/hex_armour.h"
#include "codec/codec.h"
#include "codec/format.h"
#include "codec/history_window.h"
#include "codec/operation.h"
#include "platform/assertion.h"
#include "platform/compiler.h"

namespace quillpack {
namespace {

// Restored bytes are produced in batches of about this many between two window commits.
constexpr uint32_t kBatch = 4096;
// CopyMatch may write up to this many bytes past the end of its match.
constexpr uint32_t kCopyOverrun = 15;
// Room reserved for a batch: its last token may run kMaxMatch bytes over, and its copy
// kCopyOverrun bytes beyond that (rounded up to 16).
constexpr uint32_t kRoom = kBatch + kMaxMatch + 16;
static_assert(kRoom >= kBatch + kMaxMatch + kCopyOverrun, "a batch's last copy fits its room");
static_assert(kRoom <= kWindowSlack, "a batch is restored straight into the window's slack");

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
[[nodiscard]] inline uint32_t CopyLiteralRun(const uint8_t *tokens, uint32_t available,
                                             ptrdiff_t room, uint8_t **dst) {
  QUILLPACK_ASSERT(room >= 0);
  if constexpr (std::endian::native != std::endian::little) return 0;
  constexpr uint64_t kKinds = 0x00FF00FF00FF00FFull;  // the kind bytes of four tokens
  uint32_t used = 0;
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

// The replay's progress: where it stands in the token stream and in the restored data.
struct ReplayState {
  uint32_t offset;   // next token
  uint32_t staged;   // newest restored bytes not yet written out
  uint64_t written;  // bytes written out, all in whole blocks
};

// Writes `count` restored bytes to `output` (unbuffered, so a write's count is what reached
// the file), adding them to `*written`. A short write prints the failure's line and cuts the
// output back to the `*written` bytes of the whole blocks before it, never lengthening it.
[[nodiscard]] bool WriteRestored(PlatformFile *output, const uint8_t *bytes, uint32_t count,
                                 uint64_t *written) {
  QUILLPACK_ASSERT(count >= 1 && count <= kBlockSize);
  if (PlatformWrite(output, bytes, count) == count) {
    *written += count;
    return true;
  }
  PlatformPrintError("Error: Failed to write decompressed data\n");
  // A file that refuses to be cut (a pipe, a device) keeps what reached it of the block: the
  // restored file's own bytes at their own offsets, a failure the line above already reports.
  static_cast<void>(PlatformTruncate(output, *written));
  return false;
}

// What one batch of the replay came to.
struct BatchResult {
  uint32_t produced;  // bytes restored into the room
  bool ok;            // false once a failure's line was printed
};

// Replays tokens into the room at `room` until about kBatch bytes are restored or the
// stream ends, writing every block that fills. `window` holds the bytes restored before
// `room` (its `fill` counts them). Returns the bytes restored and, after printing a
// failure's line, not ok; the window then need not take them in.
[[nodiscard]] BatchResult ReplayBatch(const uint8_t *tokens, uint32_t length, uint32_t fill,
                                      uint8_t *room, PlatformFile *output, ReplayState *state) {
  QUILLPACK_ASSERT(fill <= kWindowSize);
  QUILLPACK_ASSERT(state->offset >= sizeof kHeader && state->offset <= length);
  QUILLPACK_ASSERT(state->staged < kBlockSize && state->staged <= fill);
  uint8_t *dst = room;
  uint8_t *const stop = room + kBatch;
  uint8_t *block = room - state->staged;  // the unwritten block begins here
  uint32_t offset = state->offset;
  bool ok = true;
  while (dst < stop && offset < length) {
    uint8_t kind = tokens[offset];
    if (kind == kTokenLiteral) {
      if (offset + 1 >= length) {
        PlatformPrintError("Error: Unexpected end of file reading literal\n");
        ok = false;
        break;
      }
      *dst++ = tokens[offset + 1];
      offset += 2;
      // More literals follow in runs; a run stops at the batch's end and at the block's,
      // so the block check below still comes right as a block fills.
      const uint8_t *run_end = std::min(stop, block + kBlockSize);
      offset += CopyLiteralRun(tokens + offset, length - offset, run_end - dst, &dst);
    } else if (kind == kTokenMatch) {
      if (offset + 3 >= length) {
        PlatformPrintError("Error: Unexpected end of file reading match\n");
        ok = false;
        break;
      }
      uint32_t match_length = tokens[offset + 1];
      uint32_t distance = tokens[offset + 2] | static_cast<uint32_t>(tokens[offset + 3]) << 8;
      // A distance may reach back over the window and what this batch has restored.
      uint32_t reach = fill + static_cast<uint32_t>(dst - room);
      if (reach > kWindowSize) reach = kWindowSize;
      if (distance > reach || (distance == 0 && match_length != 0)) {
        PlatformPrintError("Error: Invalid match distance\n");
        ok = false;
        break;
      }
      QUILLPACK_ASSERT(dst + match_length + kCopyOverrun <= room + kRoom);
      CopyMatch(dst, distance, match_length);
      dst += match_length;
      offset += 4;
    } else {
      PlatformPrintError("Error: Invalid token type: 0x%02X\n", kind);
      ok = false;
      break;
    }
    // A token adds at most kMaxMatch bytes, so at most one block fills per token.
    QUILLPACK_ASSERT(dst - block < static_cast<ptrdiff_t>(2 * kBlockSize));
    if (dst - block >= static_cast<ptrdiff_t>(kBlockSize)) {
      if (!WriteRestored(output, block, kBlockSize, &state->written)) {
        ok = false;
        break;
      }
      block += kBlockSize;
    }
  }
  QUILLPACK_ASSERT(offset <= length);
  QUILLPACK_ASSERT(dst >= block && (!ok || dst - block < static_cast<ptrdiff_t>(kBlockSize)));
  state->offset = offset;
  state->staged = static_cast<uint32_t>(dst - block);
  return BatchResult{static_cast<uint32_t>(dst - room), ok};
}

// Replays the tokens after the header from `state` (which starts at the first token).
// Returns false after printing the failure's line. Whole blocks are written as they fill;
// `state->staged` is left holding the newest bytes of `window` not yet written.
[[nodiscard]] bool Replay(const uint8_t *tokens, uint32_t length, HistoryWindow *window,
                          PlatformFile *output, ReplayState *state) {
  while (state->offset < length) {
    uint8_t *room = HistoryWindowReserve(window, kRoom);
    BatchResult batch = ReplayBatch(tokens, length, window->fill, room, output, state);
    HistoryWindowCommit(window, batch.produced);
    if (!batch.ok) return false;
  }
  return true;
}

[[nodiscard]] bool HasHeader(const ByteBuffer *tokens) {
  return tokens->length >= sizeof kHeader &&
         std::memcmp(tokens->data, kHeader, sizeof kHeader) == 0;
}

// Decodes the container's text into `tokens` and checks the header. Returns false after
// printing the failure's lines. The reader's chunk lives in this call's frames only.
[[nodiscard]] QUILLPACK_NOINLINE bool ReadTokens(PlatformFile *input, ByteBuffer *tokens) {
  if (!ReadHexArmour(input, tokens)) {
    PlatformPrintError("Error: Invalid Hex data\n");
    return false;
  }
  if (!HasHeader(tokens)) {
    PlatformPrintError("Error: Invalid compressed file format\n");
    return false;
  }
  return true;
}

// Replays the tokens after the header and writes the restored bytes to `output`, the last
// partial block included. Returns false after printing the failure's line. The window lives
// in this call's frame only, never beside the reader's chunk.
[[nodiscard]] QUILLPACK_NOINLINE bool RestoreTokens(const ByteBuffer *tokens,
                                                    PlatformFile *output) {
  QUILLPACK_ASSERT(tokens->length >= sizeof kHeader);
  HistoryWindow window;
  HistoryWindowInit(&window);
  ReplayState state{sizeof kHeader, 0, 0};
  if (!Replay(tokens->data, tokens->length, &window, output, &state)) return false;
  const uint8_t *end = HistoryWindowData(&window) + window.fill;
  return state.staged == 0 ||
         WriteRestored(output, end - state.staged, state.staged, &state.written);
}

}  // namespace

int DecompressFile(const char *input_path, const char *output_path) {
  Operation op;
  if (!OperationBegin(input_path, "r", output_path, "wb", &op)) return 1;

  bool ok = ReadTokens(op.input, op.tokens) && RestoreTokens(op.tokens, op.output);

  // Nothing is buffered, but closing may still fail (a file system that reports late).
  if (!OperationEnd(&op) && ok) {
    PlatformPrintError("Error: Failed to write decompressed data\n");
    ok = false;
  }
  if (!ok) return 1;
  PlatformPrintOut("Decompression successful: '%s' -> '%s'\n", input_path, output_path);
  return 0;
}

}  // namespace quillpack
