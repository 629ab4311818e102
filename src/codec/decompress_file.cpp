// DecompressFile: hex armour to token stream to restored bytes.
//
// The token replay restores straight into its history window; the bytes not yet written out
// (fewer than one block) are always the window's newest, just before what each step
// restores, so the window doubles as the 4096-byte staging block and nothing is copied twice.
#include "armour/byte_buffer.h"
#include "armour/hex_armour.h"
#include "codec/codec.h"
#include "codec/failure_lines.h"
#include "codec/format.h"
#include "codec/operation.h"
#include "codec/token_replay.h"
#include "platform/assertion.h"
#include "platform/compiler.h"

namespace quillpack {
namespace {

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
  PlatformPrintError("%s\n", kLineWriteDecompressedFailed);
  // A file that refuses to be cut (a pipe, a device) keeps what reached it of the block: the
  // restored file's own bytes at their own offsets, a failure the line above already reports.
  static_cast<void>(PlatformTruncate(output, *written));
  return false;
}

// Decodes the container's text into `tokens`. Returns false after printing the failure's
// lines. The reader's chunk lives in this call's frames only.
[[nodiscard]] QUILLPACK_NOINLINE bool ReadTokens(PlatformFile *input, ByteBuffer *tokens) {
  if (!ReadHexArmour(input, tokens)) {
    PlatformPrintError("%s\n", kLineInvalidHexData);
    return false;
  }
  return true;
}

// Replays the token stream, header first, and writes the restored bytes to `output` in whole
// blocks as they fill, the last partial block at the end. Returns false after printing the
// failure's line; the blocks written before a fault stay, the bytes after them do not. The
// replay's window lives in this call's frame only, never beside the reader's chunk.
[[nodiscard]] QUILLPACK_NOINLINE bool RestoreTokens(const ByteBuffer *tokens,
                                                    PlatformFile *output) {
  TokenReplay replay;
  TokenReplayInit(&replay);
  uint64_t written = 0;
  uint32_t staged = 0;  // the newest restored bytes not yet written out
  const uint8_t *data = tokens->data;
  size_t left = tokens->length;
  while (left > 0) {
    ReplayStep step = TokenReplayStep(&replay, data, left);
    data += step.read;
    left -= step.read;
    if (step.count > 0) {
      const uint8_t *block = step.bytes - staged;
      staged += step.count;
      for (; staged >= kBlockSize; staged -= kBlockSize, block += kBlockSize) {
        if (!WriteRestored(output, block, kBlockSize, &written)) return false;
      }
    }
    if (step.fault.fault != kContainerOk) {
      PrintContainerFault(step.fault);
      return false;
    }
  }
  ContainerFault fault = TokenReplayFinish(&replay);
  if (fault.fault != kContainerOk) {
    PrintContainerFault(fault);
    return false;
  }
  const uint8_t *end = HistoryWindowData(&replay.window) + replay.window.fill;
  return staged == 0 || WriteRestored(output, end - staged, staged, &written);
}

}  // namespace

int DecompressFile(const char *input_path, const char *output_path) {
  Operation op;
  if (!OperationBegin(input_path, "r", output_path, "wb", &op)) return 1;

  bool ok = ReadTokens(op.input, op.tokens) && RestoreTokens(op.tokens, op.output);

  // Nothing is buffered, but closing may still fail (a file system that reports late).
  if (!OperationEnd(&op) && ok) {
    PlatformPrintError("%s\n", kLineWriteDecompressedFailed);
    ok = false;
  }
  if (!ok) return 1;
  PlatformPrintOut("Decompression successful: '%s' -> '%s'\n", input_path, output_path);
  return 0;
}

}  // namespace quillpack
