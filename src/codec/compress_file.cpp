// CompressFile: input bytes to LZ77 tokens (codec/format.h) to hex armour.
//
// The input is coded in blocks of kBlockSize bytes as one read delivers them; no match runs
// past the end of a block, while the window carries over from block to block.
#include "armour/byte_buffer.h"
#include "armour/hex_armour.h"
#include "codec/block_coder.h"
#include "codec/codec.h"
#include "codec/failure_lines.h"
#include "codec/finder/match_finder.h"
#include "codec/format.h"
#include "codec/match_search.h"
#include "codec/operation.h"
#include "platform/compiler.h"

namespace quillpack {
namespace {

// Codes the input, block by block as each read delivers it, into `tokens`, searching with
// `finder`. Returns false as soon as an append fails; a read error ends the input like its
// end does.
[[nodiscard]] QUILLPACK_NOINLINE bool CodeInput(PlatformFile *input, MatchFinder *finder,
                                                ByteBuffer *tokens) {
  uint8_t block[kBlockSize];
  for (;;) {
    size_t n = PlatformRead(input, block, kBlockSize);
    if (n == 0) return true;
    if (!CodeBlock(block, static_cast<uint32_t>(n), finder, nullptr, tokens)) return false;
  }
}

// CodeInput with the plain scan. The window lives in this frame alone, so a call with the
// finder (which keeps its own copy on the heap) holds only the block on the stack; and each
// block is read straight into the window's room after its newest byte, where its bytes join
// the window as they are coded, so the window's slack is the block buffer here.
[[nodiscard]] QUILLPACK_NOINLINE bool CodeInputByScan(PlatformFile *input, ByteBuffer *tokens) {
  HistoryWindow window;
  HistoryWindowInit(&window);
  for (;;) {
    uint8_t *block = HistoryWindowReserve(&window, kBlockSize);
    size_t n = PlatformRead(input, block, kBlockSize);
    if (n == 0) return true;
    if (!CodeBlock(block, static_cast<uint32_t>(n), nullptr, &window, tokens)) return false;
  }
}

}  // namespace

int CompressFile(const char *input_path, const char *output_path) {
  Operation op;
  if (!OperationBegin(input_path, "rb", output_path, "w", &op)) return 1;
  ByteBuffer *tokens = op.tokens;

  bool ok = true;
  // The finder is an accelerator only: the small finder, and without even its memory the
  // plain scan, give the same tokens, so a failed creation is not a failure of the call.
  MatchFinder *finder = MatchFinderCreate(kFinderFull);
  if (finder == nullptr) finder = MatchFinderCreate(kFinderSmall);

  for (uint8_t byte : kHeader) {
    if (!ByteBufferAppend(tokens, byte)) {
      PlatformPrintError("%s\n", kLineBufferAllocationFailed);
      ok = false;
      break;
    }
  }
  if (ok && !(finder != nullptr ? CodeInput(op.input, finder, tokens)
                                : CodeInputByScan(op.input, tokens))) {
    PlatformPrintError("%s\n", kLineBufferAllocationFailed);
    ok = false;
  }
  // A read error is not the end of the input: coding what arrived would store a
  // truncated file as if it were whole.
  if (ok && PlatformReadFailed(op.input)) {
    PlatformPrintError("Error: Failed to read input file '%s'\n", input_path);
    ok = false;
  }
  MatchFinderDestroy(finder);
  if (ok && !WriteHexArmour(tokens->data, tokens->length, op.output)) {
    PlatformPrintError("Error: Failed to encode compressed data\n");
    ok = false;
  }

  // Closing may still report a failure (a file system that reports late); a container cut
  // short must not be reported as written.
  if (!OperationEnd(&op) && ok) {
    PlatformPrintError("Error: Failed to encode compressed data\n");
    ok = false;
  }
  if (!ok) return 1;
  PlatformPrintOut("Compression successful: '%s' -> '%s'\n", input_path, output_path);
  return 0;
}

}  // namespace quillpack
