// Hex armour over the library's file streams: the text of hex_codec.h, a chunk per call.
//
// The characters, their order, and the point at which a failure stops the work are those of
// a character-at-a-time loop.
#include "armour/hex_armour.h"

#include "platform/assertion.h"

namespace quillpack {

int WriteHexArmour(const uint8_t *bytes, uint32_t count, PlatformFile *stream) {
  QUILLPACK_ASSERT(bytes != nullptr || count == 0);
  QUILLPACK_ASSERT(stream != nullptr);
  constexpr uint32_t kLineBytes = kHexLineDigits / 2;
  constexpr uint32_t kChunkBytes = kHexWriteChunk / (kHexLineDigits + 1) * kLineBytes;
  static_assert(kHexWriteChunk % (kHexLineDigits + 1) == 0, "the writer's chunk holds whole lines");
  char chunk[kHexWriteChunk];
  HexEncoder encoder;
  HexEncoderInit(&encoder);
  for (uint32_t i = 0; i < count; i += kChunkBytes) {
    uint32_t n = count - i < kChunkBytes ? count - i : kChunkBytes;
    size_t used = HexEncode(&encoder, bytes + i, n, chunk);
    used += HexEncodeFinish(&encoder, chunk + used);
    QUILLPACK_ASSERT(used <= sizeof chunk);
    if (PlatformWrite(stream, chunk, used) != used) return 0;
  }
  return 1;
}

int ReadHexArmour(PlatformFile *stream, ByteBuffer *buffer) {
  QUILLPACK_ASSERT(stream != nullptr);
  QUILLPACK_ASSERT(ByteBufferIsSound(buffer));
  uint8_t text[kHexReadChunk];
  HexDecoder decoder;
  HexDecoderInit(&decoder);
  for (;;) {
    size_t got = PlatformRead(stream, text, sizeof text);
    HexAppendStatus status = HexDecodeAppend(&decoder, text, got, buffer);
    if (status == kHexAppendInvalidCharacter) {
      PrintContainerFault({kContainerInvalidHexCharacter, 0});
      return 0;
    }
    if (status == kHexAppendNoMemory) return 0;
    if (got < sizeof text) break;
  }
  if (PlatformReadFailed(stream)) {
    PlatformPrintError("Error: Failed to read hex data\n");
    return 0;
  }
  if (!HexDecodeComplete(&decoder)) {
    PrintContainerFault({kContainerIncompleteHexPair, 0});
    return 0;
  }
  return 1;
}

void PrintContainerFault(ContainerFault fault) {
  QUILLPACK_ASSERT(fault.fault != kContainerOk);
  char line[kContainerFaultLineRoom];
  static_cast<void>(ContainerFaultLine(fault, line));
  PlatformPrintError("%s\n", line);
}

}  // namespace quillpack
