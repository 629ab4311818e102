// Fuzz target: arbitrary bytes through the hex reader, held to the plain reading.
#include <cstdio>

#include "armour/byte_buffer.h"
#include "armour/hex_armour.h"
#include "common/fuzz_support.h"

using namespace quillpack_fuzz;

namespace {

Bytes text;
Bytes decoded;

// Reads `text` through a memory stream into a buffer that starts at one byte, so that it
// grows often and at every offset.
int ReadThroughTheLibrary() {
  std::FILE *stream = fmemopen(text.data(), text.size(), "r");
  Require(stream != nullptr, "fmemopen failed");
  quillpack::ByteBuffer *buffer = quillpack::ByteBufferCreate(1);
  Require(buffer != nullptr, "no buffer");
  int result = quillpack::ReadHexArmour(stream, buffer);
  decoded.assign(buffer->data, buffer->data + buffer->length);
  quillpack::ByteBufferDestroy(buffer);
  std::fclose(stream);
  return result;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  text.reserve(size + 1);  // fmemopen wants a real block even for no bytes
  text.assign(data, data + size);
  Outcome got = Capture(ReadThroughTheLibrary);
  PlainHex expected = PlainReadHex(data, size);
  Require(got.result == (expected.ok ? 1 : 0), "result differs from the plain reading");
  Require(got.err == expected.error, "error line differs from the plain reading");
  Require(got.out.empty(), "the reader printed on standard output");
  Require(decoded == expected.bytes, "decoded bytes differ from the plain reading");
  return 0;
}
