// What must hold on every target whatever its size_t, plain char and file offsets: growth
// limits, high bytes, round trips past the window, files past 2 GiB.
#include <gtest/gtest.h>

#include <cerrno>
#include <climits>
#include <cstring>

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

#include "armour/byte_buffer.h"
#include "armour/hex_armour.h"
#include "codec_calls.h"
#include "platform/fault_injection.h"
#include "test_kit.h"

namespace quillpack_test {
namespace {

using quillpack::ByteBuffer;

// The limit is on the 32-bit capacity, never on size_t: a capacity of 2^31 or more must
// refuse to double before any resize, instead of wrapping to a tiny block (which a 32-bit
// size_t would do silently). Smaller ones do try; an injected failure stands in for memory
// that a test cannot have.
TEST(Portability, BufferGrowthStopsBeforeThirtyTwoBitsWrap) {
  const struct {
    uint32_t capacity;
    bool attempts_resize;
  } cases[] = {
      {0x40000000u, true},  {0x7FFFFFFFu, true}, {0x80000000u, false},
      {0x80000001u, false}, {UINT32_MAX, false},
  };
  const uint8_t two[] = {1, 2};
  const struct {
    const char *name;
    int (*append)(ByteBuffer *, const uint8_t *);
  } appends[] = {
      {"Append", [](ByteBuffer *b,
                    const uint8_t *bytes) { return quillpack::ByteBufferAppend(b, bytes[0]); }},
      {"Append16",
       [](ByteBuffer *b, const uint8_t *) { return quillpack::ByteBufferAppend16(b, 0xABCD); }},
      {"AppendBytes",
       [](ByteBuffer *b, const uint8_t *bytes) {
         return quillpack::ByteBufferAppendBytes(b, bytes, 2);
       }},
  };
  for (const auto &c : cases) {
    for (const auto &a : appends) {
      ByteBuffer *buffer = quillpack::ByteBufferCreate(16);
      ASSERT_NE(buffer, nullptr);
      uint8_t *data = buffer->data;
      buffer->capacity = c.capacity;  // pretend: only 16 bytes exist
      buffer->length = c.capacity;
      quillpack::FaultInjectionReset();
      quillpack::FaultInjectionArm(quillpack::kFaultAlloc, 1);
      EXPECT_EQ(a.append(buffer, two), 0) << a.name << " at " << c.capacity;
      EXPECT_EQ(quillpack::FaultInjectionFired(), c.attempts_resize)
          << a.name << " at " << c.capacity;
      EXPECT_EQ(buffer->data, data);
      EXPECT_EQ(buffer->capacity, c.capacity);
      EXPECT_EQ(buffer->length, c.capacity);
      quillpack::FaultInjectionReset();
      buffer->capacity = 16;
      buffer->length = 0;
      quillpack::ByteBufferDestroy(buffer);
    }
  }
}

// Every byte value, 0x80 to 0xFF included, is data to the coder; and no byte from 0x80 up
// is ever a hex digit or white space to the reader, signed or unsigned.
TEST(Portability, HighBytesAreDataNotDigits) {
  Bytes all;
  for (int round = 0; round < 3; ++round)
    for (int b = 255; b >= 0; --b) all.push_back(static_cast<uint8_t>(b));
  TempDir dir;
  WriteFile(dir.Path("in"), all);
  Outcome packed = Compress(dir.Path("in"), dir.Path("in.qpk"));
  Outcome unpacked = Decompress(dir.Path("in.qpk"), dir.Path("out"));
  EXPECT_EQ(packed.result + unpacked.result, 0) << packed.err << unpacked.err;
  EXPECT_EQ(ReadFile(dir.Path("out")), all);

  for (int c = 0x80; c <= 0xFF; ++c) {
    EXPECT_EQ(quillpack::HexDigitValue(c), -1) << c;
    EXPECT_EQ(quillpack::HexDigitValue(static_cast<char>(c)), -1) << c;
  }
  for (int high : {0x80, 0xB0, 0xC6, 0xFF}) {
    WriteText(dir.Path("bad.qpk"), std::string("51504B01") + static_cast<char>(high) + "0");
    Outcome o = Decompress(dir.Path("bad.qpk"), dir.Path("out"));
    EXPECT_EQ(o.result, 1) << int{high};
    EXPECT_EQ(o.err, "Error: Invalid hex character\nError: Invalid Hex data\n") << int{high};
  }
}

// Round trips of sizes around the window edge, and of content whose repeats lie exactly the
// whole window back.
TEST(Portability, RoundTripsPastTheWindow) {
  Bytes period = RandomBytes(32768, 21);
  Bytes twice = period;
  twice.insert(twice.end(), period.begin(), period.end());
  twice.insert(twice.end(), period.begin(), period.begin() + 5000);
  const Bytes inputs[] = {
      Repeating(32767, "window"),           Repeating(32768, "window"),
      Repeating(32769, "window"),           twice,
      Repeating(200000, "quill and pack "),
  };
  for (const Bytes &input : inputs) {
    TempDir dir;
    WriteFile(dir.Path("in"), input);
    Outcome packed = Compress(dir.Path("in"), dir.Path("in.qpk"));
    Outcome unpacked = Decompress(dir.Path("in.qpk"), dir.Path("out"));
    ASSERT_EQ(packed.result, 0) << packed.err;
    ASSERT_EQ(unpacked.result, 0) << unpacked.err;
    EXPECT_EQ(ReadFile(dir.Path("out")), input) << input.size();
    PlainRestore replayed = PlainReplay(HexToBytes(ReadText(dir.Path("in.qpk"))));
    EXPECT_TRUE(replayed.ok && replayed.output == input) << input.size() << replayed.err;
  }
}

#ifndef _WIN32
// A file past 2 GiB is a file like any other on every target: a 32-bit build without 64-bit
// file offsets could neither open it (EOVERFLOW) nor see that an output path names it, and
// would truncate it. A sparse file takes no room.
TEST(Portability, FilesBeyondTwoGibibytes) {
  static_assert(sizeof(off_t) == 8, "build with _FILE_OFFSET_BITS=64");
  const off_t size = off_t{3} << 30;
  TempDir dir;
  std::string big = dir.Path("big");
  WriteText(big, "x");
  ASSERT_EQ(truncate(big.c_str(), size), 0) << std::strerror(errno);
  for (auto operation : {quillpack::CompressFile, quillpack::DecompressFile}) {
    Outcome o = Capture([&] { return operation(big.c_str(), big.c_str()); });
    EXPECT_EQ(o.result, 1);
    EXPECT_EQ(o.err, "Error: Input and output are the same file '" + big + "'\n");
    struct stat st;
    ASSERT_EQ(stat(big.c_str(), &st), 0);
    EXPECT_EQ(st.st_size, size);
  }
}
#endif

}  // namespace
}  // namespace quillpack_test
