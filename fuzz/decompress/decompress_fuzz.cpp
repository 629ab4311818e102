// Fuzz target: arbitrary bytes as a container file, restored and held to the plain reading.
#include "codec_calls.h"
#include "common/fuzz_support.h"

using namespace quillpack_fuzz;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  static const std::string container = ScratchPath("container.qpk");
  static const std::string restored = ScratchPath("restored");
  Require(WriteFile(container, Bytes(data, data + size)), "cannot write the container");
  Outcome got = Decompress(container, restored);
  PlainRestore expected = PlainDecompress(data, size);
  Require(got.result == (expected.ok ? 0 : 1), "result differs from the plain reading");
  Require(got.err == expected.err, "error lines differ from the plain reading");
  Require(got.out == (expected.ok
                          ? "Decompression successful: '" + container + "' -> '" + restored + "'\n"
                          : ""),
          "success line wrong");
  Require(ReadFile(restored) == expected.output, "restored bytes differ from the plain reading");
  return 0;
}
