// Fuzz target: arbitrary bytes compressed and restored; the container must be the canonical
// text of a well-formed token stream, and the restored file the input, byte for byte.
#include "codec/codec.h"
#include "common/fuzz_support.h"

using namespace quillpack_fuzz;

namespace {

constexpr size_t kBlock = 4096;

// Matches within the format's bounds that never run past the block they start in.
bool TokensKeepTheirBounds(const Bytes &stream) {
  size_t position = 0;
  for (size_t i = 4; i < stream.size();) {
    size_t length = 1;
    if (stream[i] == 0x80) {
      length = stream[i + 1];
      size_t distance = stream[i + 2] | stream[i + 3] << 8;
      if (length < 3 || length > distance || distance > 32768) return false;
      if (position / kBlock != (position + length - 1) / kBlock) return false;
      i += 4;
    } else {
      i += 2;
    }
    position += length;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  static const std::string input = ScratchPath("input");
  static const std::string packed = ScratchPath("input.qpk");
  static const std::string restored = ScratchPath("restored");
  WriteWhole(input, data, size);
  Caught pack = RunCaught(quillpack::CompressFile, input, packed);
  Require(pack.result == 0 && pack.err.empty(), "compression failed");
  Require(pack.out == "Compression successful: '" + input + "' -> '" + packed + "'\n",
          "compression success line wrong");

  Bytes text = ReadWhole(packed);
  PlainHex hex = PlainReadHex(text.data(), text.size());
  Require(hex.ok, "container text unreadable");
  Require(std::string(text.begin(), text.end()) == PlainArmour(hex.bytes), "container text not canonical");
  PlainRestore plain = PlainDecompress(text.data(), text.size());
  Require(plain.ok && plain.output == Bytes(data, data + size), "token stream does not stand for the input");
  Require(TokensKeepTheirBounds(hex.bytes), "a match outside its bounds");

  Caught unpack = RunCaught(quillpack::DecompressFile, packed, restored);
  Require(unpack.result == 0 && unpack.err.empty(), "restoring failed");
  Require(ReadWhole(restored) == Bytes(data, data + size), "restored bytes differ from the input");
  return 0;
}
