// ByteBuffer: doubling growth, the 32-bit limit, and failures that leave the buffer intact.
#include <gtest/gtest.h>

#include <cstring>

#include "armour/byte_buffer.h"
#include "platform/fault_injection.h"
#include "platform/platform.h"

namespace quillpack_test {
namespace {

using namespace quillpack;

struct BufferDeleter {
  void operator()(ByteBuffer *b) const { ByteBufferDestroy(b); }
};
using BufferPtr = std::unique_ptr<ByteBuffer, BufferDeleter>;

TEST(ByteBuffer, DoublesOnlyWhenFull) {
  BufferPtr b(ByteBufferCreate(4096));
  ASSERT_TRUE(b);
  for (int i = 0; i < 4096; ++i) ASSERT_EQ(ByteBufferAppend(b.get(), static_cast<uint8_t>(i)), 1);
  EXPECT_EQ(b->capacity, 4096u);
  ASSERT_EQ(ByteBufferAppend(b.get(), 0xAA), 1);
  EXPECT_EQ(b->capacity, 8192u);
  EXPECT_EQ(b->length, 4097u);
  for (int i = 0; i < 4096; ++i) ASSERT_EQ(b->data[i], static_cast<uint8_t>(i));
  EXPECT_EQ(b->data[4096], 0xAA);
}

TEST(ByteBuffer, Append16IsLowByteFirst) {
  BufferPtr b(ByteBufferCreate(1));
  ASSERT_EQ(ByteBufferAppend16(b.get(), 0x1234), 1);
  ASSERT_EQ(b->length, 2u);
  EXPECT_EQ(b->data[0], 0x34);
  EXPECT_EQ(b->data[1], 0x12);
}

TEST(ByteBuffer, CreationFailsCleanly) {
  for (uint64_t nth : {1, 2}) {
    FaultInjectionReset();
    FaultInjectionArm(kFaultAlloc, nth);
    EXPECT_EQ(ByteBufferCreate(4096), nullptr);
    EXPECT_EQ(FaultInjectionLiveBlocks(), 0) << nth;
  }
  FaultInjectionReset();
}

TEST(ByteBuffer, FailedGrowthKeepsContents) {
  BufferPtr b(ByteBufferCreate(2));
  ASSERT_EQ(ByteBufferAppend16(b.get(), 0xBEEF), 1);
  uint8_t *block = b->data;
  FaultInjectionReset();
  FaultInjectionArm(kFaultAlloc, 1);
  EXPECT_EQ(ByteBufferAppend(b.get(), 1), 0);
  EXPECT_TRUE(FaultInjectionFired());
  EXPECT_EQ(b->data, block);
  EXPECT_EQ(b->length, 2u);
  EXPECT_EQ(b->capacity, 2u);
  EXPECT_EQ(b->data[0], 0xEF);
  // A failure on the high byte of a 16-bit append leaves the low byte.
  BufferPtr c(ByteBufferCreate(1));
  FaultInjectionArm(kFaultAlloc, 1);
  EXPECT_EQ(ByteBufferAppend16(c.get(), 0x1234), 0);
  EXPECT_EQ(c->length, 1u);
  EXPECT_EQ(c->data[0], 0x34);
  FaultInjectionReset();
}

// The capacity may not double past 32 bits; the check must not rely on a 64-bit size_t.
// A tiny real block stands behind a large recorded capacity, so no growth may be attempted.
TEST(ByteBuffer, RefusesToGrowPast32Bits) {
  const struct {
    uint32_t capacity;
    bool may_try;  // whether a resize may be attempted at all
  } cases[] = {
      {0x80000000u, false}, {0xFFFFFFFFu, false}, {0x80000001u, false}, {0x7FFFFFFFu, true}};
  for (const auto &c : cases) {
    BufferPtr b(ByteBufferCreate(16));
    uint32_t real_capacity = b->capacity;
    b->capacity = c.capacity;
    b->length = c.capacity;
    FaultInjectionReset();
    FaultInjectionArm(kFaultAlloc, 1);  // any attempt fails instead of asking for gigabytes
    EXPECT_EQ(ByteBufferAppend(b.get(), 7), 0) << c.capacity;
    EXPECT_EQ(FaultInjectionEvents(kFaultAlloc), c.may_try ? 1u : 0u) << c.capacity;
    EXPECT_EQ(b->capacity, c.capacity);
    EXPECT_EQ(b->length, c.capacity);
    b->capacity = real_capacity;
    b->length = 0;
    FaultInjectionReset();
  }
}

// A bulk append stops where byte-at-a-time appends would have failed.
TEST(ByteBuffer, BulkAppendMatchesSingleAppends) {
  uint8_t source[1000];
  for (int i = 0; i < 1000; ++i) source[i] = static_cast<uint8_t>(i * 7);
  for (uint64_t failing_growth : {0, 1, 2, 3, 4}) {
    BufferPtr bulk(ByteBufferCreate(3));
    BufferPtr single(ByteBufferCreate(3));
    FaultInjectionReset();
    FaultInjectionArm(kFaultAlloc, failing_growth);
    int bulk_result = ByteBufferAppendBytes(bulk.get(), source, 1000);
    FaultInjectionReset();
    FaultInjectionArm(kFaultAlloc, failing_growth);
    int single_result = 1;
    for (uint8_t byte : source) {
      if (!ByteBufferAppend(single.get(), byte)) {
        single_result = 0;
        break;
      }
    }
    FaultInjectionReset();
    EXPECT_EQ(bulk_result, single_result) << failing_growth;
    ASSERT_EQ(bulk->length, single->length) << failing_growth;
    EXPECT_EQ(bulk->capacity, single->capacity);
    EXPECT_EQ(std::memcmp(bulk->data, single->data, bulk->length), 0);
  }
}

}  // namespace
}  // namespace quillpack_test
