// Fuzz target: arbitrary bytes compressed and restored; the container must be the canonical
// text of a token stream the writer may produce, and the restored file the input, byte for
// byte.
#include "codec_calls.h"
#include "common/fuzz_support.h"

using namespace quillpack_fuzz;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  static const std::string input = ScratchPath("input");
  static const std::string packed = ScratchPath("input.qpk");
  static const std::string restored = ScratchPath("restored");
  const Bytes original(data, data + size);
  Require(WriteFile(input, original), "cannot write the input");
  Outcome pack = Compress(input, packed);
  Require(pack.result == 0 && pack.err.empty(), "compression failed");
  Require(pack.out == "Compression successful: '" + input + "' -> '" + packed + "'\n",
          "compression success line wrong");

  Bytes text = ReadFile(packed);
  PlainHex hex = PlainReadHex(text.data(), text.size());
  Require(hex.ok, "container text unreadable");
  Require(std::string(text.begin(), text.end()) == PlainArmour(hex.bytes),
          "container text not canonical");
  PlainRestore plain = PlainReplay(hex.bytes);
  Require(plain.ok && plain.output == original, "token stream does not stand for the input");
  Require(BrokenWriterRule(hex.bytes).empty(), "a token the writer may not write");

  Outcome unpack = Decompress(packed, restored);
  Require(unpack.result == 0 && unpack.err.empty(), "restoring failed");
  Require(ReadFile(restored) == original, "restored bytes differ from the input");
  return 0;
}
