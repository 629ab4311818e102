// The 32-bit limit of ByteBuffer growth, met through a capacity set near it over a small
// real block: appends and the hex reader fail there cleanly instead of wrapping around.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>

#include "armour/byte_buffer.h"
#include "armour/hex_armour.h"
#include "platform/fault_injection.h"
#include "test_kit.h"

namespace quillpack_test {
namespace {

using quillpack::ByteBuffer;

// A full buffer that claims `capacity` bytes; only the first 16 exist. Any write beyond them
// would be caught by the sanitizers, any resize shows in the allocation count.
struct ClaimedBuffer {
  uint8_t block[16];
  ByteBuffer buffer;
  explicit ClaimedBuffer(uint32_t capacity) {
    std::memset(block, 0xAA, sizeof block);
    buffer = {block, capacity, capacity};
  }
  bool Intact(uint32_t capacity) const {
    return buffer.data == block && buffer.length == capacity && buffer.capacity == capacity &&
           block[0] == 0xAA && block[15] == 0xAA;
  }
};

std::FILE *TextStream(const char *text) {
  return fmemopen(const_cast<char *>(text), std::strlen(text), "r");
}

// Past 2^31 a doubled capacity no longer fits 32 bits: growth is refused without asking the
// heap, and every way of appending reports failure with the buffer as it was.
TEST(BufferLimits, GrowthPastThirtyTwoBitsIsRefused) {
  for (uint32_t capacity : {0x80000000u, 0x80000001u, 0xFFFFFFFEu, 0xFFFFFFFFu}) {
    ClaimedBuffer c(capacity);
    const uint8_t bytes[3] = {1, 2, 3};
    quillpack::FaultInjectionReset();
    quillpack::FaultInjectionArm(quillpack::kFaultAlloc, 1);  // a wrong resize fails, not crashes
    EXPECT_EQ(quillpack::ByteBufferGrow(&c.buffer), 0) << capacity;
    EXPECT_EQ(quillpack::ByteBufferAppend(&c.buffer, 7), 0) << capacity;
    EXPECT_EQ(quillpack::ByteBufferAppend16(&c.buffer, 0x1234), 0) << capacity;
    EXPECT_EQ(quillpack::ByteBufferAppendBytes(&c.buffer, bytes, 3), 0) << capacity;
    EXPECT_EQ(quillpack::FaultInjectionEvents(quillpack::kFaultAlloc), 0u) << capacity;
    EXPECT_TRUE(c.Intact(capacity)) << capacity;
    quillpack::FaultInjectionReset();
  }
}

// Up to 2^31 the doubling is still asked of the heap (made to fail here, so that nothing of
// that size is taken), and a refused resize leaves the buffer as it was.
TEST(BufferLimits, GrowthUpToThirtyTwoBitsAsksTheHeap) {
  for (uint32_t capacity : {0x40000000u, 0x7FFFFFFFu}) {
    ClaimedBuffer c(capacity);
    quillpack::FaultInjectionReset();
    quillpack::FaultInjectionArm(quillpack::kFaultAlloc, 1);
    EXPECT_EQ(quillpack::ByteBufferAppend(&c.buffer, 7), 0) << capacity;
    EXPECT_TRUE(quillpack::FaultInjectionFired()) << capacity;
    EXPECT_TRUE(c.Intact(capacity)) << capacity;
    quillpack::FaultInjectionReset();
  }
}

// A container whose token stream outgrows the limit: the reader stops with 0 at the first
// pair that does not fit and, as for any failed growth, prints nothing of its own (the
// decompressor then says the hex data is invalid), even where the text would go on to be
// malformed.
TEST(BufferLimits, HexReaderStopsAtTheLimit) {
  for (const char *text : {"00", "51504B01", "0 1\n2"}) {
    ClaimedBuffer c(0x80000000u);
    std::FILE *stream = TextStream(text);
    ASSERT_NE(stream, nullptr);
    Outcome o = Capture([&] { return quillpack::ReadHexArmour(stream, &c.buffer); });
    std::fclose(stream);
    EXPECT_EQ(o.result, 0) << text;
    EXPECT_EQ(o.err, "") << text;
    EXPECT_TRUE(c.Intact(0x80000000u)) << text;
  }
}

}  // namespace
}  // namespace quillpack_test
