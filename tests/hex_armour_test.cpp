// Hex armour: the exact text written, the texts accepted or refused, and failure states.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

#include "armour/hex_armour.h"
#include "platform/fault_injection.h"
#include "test_kit.h"

namespace quillpack_test {
namespace {

using namespace quillpack;

TEST(HexDigitValue, AcceptsBothCasesOnly) {
  for (int c = -1; c < 300; ++c) {
    int expected = -1;
    if (c >= '0' && c <= '9') expected = c - '0';
    if (c >= 'A' && c <= 'F') expected = c - 'A' + 10;
    if (c >= 'a' && c <= 'f') expected = c - 'a' + 10;
    EXPECT_EQ(HexDigitValue(c), expected) << c;
  }
}

std::string Written(const Bytes &bytes) {
  TempDir dir;
  PlatformFile *f = PlatformOpenOutput(dir.Path("t").c_str(), "w", nullptr).file;
  EXPECT_EQ(WriteHexArmour(bytes.data(), static_cast<uint32_t>(bytes.size()), f), 1);
  EXPECT_TRUE(PlatformClose(f));
  return ReadTextMode(dir.Path("t"));
}

TEST(WriteHexArmour, LinesOfEightyDigits) {
  std::string line80;
  for (int i = 0; i < 40; ++i) line80 += "AB";
  EXPECT_EQ(Written({}), "");
  EXPECT_EQ(Written({0x00, 0x0F, 0xF0, 0xFF, 0x5A}), "000FF0FF5A\n");
  EXPECT_EQ(Written(Bytes(40, 0xAB)), line80 + "\n");
  EXPECT_EQ(Written(Bytes(41, 0xAB)), line80 + "\nAB\n");
  EXPECT_EQ(Written(Bytes(80, 0xAB)), line80 + "\n" + line80 + "\n");
  // Large enough to span several of the writer's chunks.
  Bytes many = RandomBytes(123457, 9);
  std::string text = Written(many);
  EXPECT_EQ(text.size(), 123457 * 2 + (123457 * 2 + 79) / 80);
  EXPECT_EQ(HexToBytes(text), many);
}

TEST(WriteHexArmour, StopsAtTheFailingCharacter) {
  Bytes bytes = RandomBytes(30000, 4);
  std::string full = Written(bytes);
  // Around the end of the writer's first chunk too.
  const uint64_t chunk = quillpack::kHexWriteChunk;
  const uint64_t points[] = {1, 2, 81, chunk + 1, chunk + 2, full.size()};
  for (uint64_t nth : points) {
    TempDir dir;
    PlatformFile *f = PlatformOpenOutput(dir.Path("t").c_str(), "w", nullptr).file;
    FaultInjectionReset();
    FaultInjectionArm(kFaultWrite, nth);
    EXPECT_EQ(WriteHexArmour(bytes.data(), static_cast<uint32_t>(bytes.size()), f), 0) << nth;
    FaultInjectionReset();
    EXPECT_TRUE(PlatformClose(f));
    EXPECT_EQ(ReadTextMode(dir.Path("t")), full.substr(0, static_cast<size_t>(nth - 1))) << nth;
  }
}

struct ReadResult {
  int result;
  Bytes bytes;
  std::string err;
};

ReadResult Read(const std::string &text) {
  TempDir dir;
  WriteText(dir.Path("t"), text);
  PlatformFile *f = PlatformOpen(dir.Path("t").c_str(), "r");
  std::unique_ptr<ByteBuffer, void (*)(ByteBuffer *)> buffer(ByteBufferCreate(4096),
                                                             ByteBufferDestroy);
  ReadResult r;
  Outcome o = Capture([&] { return ReadHexArmour(f, buffer.get()); });
  EXPECT_TRUE(PlatformClose(f));
  r.result = o.result;
  r.err = o.err;
  r.bytes.assign(buffer->data, buffer->data + buffer->length);
  return r;
}

TEST(ReadHexArmour, TextsAcceptedAndRefused) {
  const std::string kIncomplete = "Error: Incomplete hex pair\n";
  const std::string kInvalid = "Error: Invalid hex character\n";
  const struct {
    std::string text;
    int result;
    Bytes bytes;
    std::string err;
  } cases[] = {
      {"", 1, {}, ""},
      {" \t\r\n\n  ", 1, {}, ""},
      {"5150 4B01\r\n", 1, {0x51, 0x50, 0x4B, 0x01}, ""},
      {"abcd", 1, {0xAB, 0xCD}, ""},
      {"aBcD\n\n\nEf", 1, {0xAB, 0xCD, 0xEF}, ""},
      {"4 1", 1, {0x41}, ""},
      {"4\r\n\t 1\n", 1, {0x41}, ""},
      {"ABC", 0, {0xAB}, kIncomplete},
      {"AG", 0, {}, kInvalid},
      {"G", 0, {}, kIncomplete},  // a lone character is judged as an odd count
      {"12G ", 0, {0x12}, kIncomplete},
      {"12GG34", 0, {0x12}, kInvalid},      // the bytes before the bad pair stay
      {"12\xFF\xFF", 0, {0x12}, kInvalid},  // 0xFF is a character, not the end
      {"\x80"
       "1",
       0,
       {},
       kInvalid},
      {"0x12", 0, {}, kInvalid},
      {std::string("1\0"
                   "2",
                   3),
       0,
       {},
       kInvalid},
  };
  for (const auto &c : cases) {
    ReadResult r = Read(c.text);
    EXPECT_EQ(r.result, c.result) << '"' << c.text << '"';
    EXPECT_EQ(r.bytes, c.bytes) << '"' << c.text << '"';
    EXPECT_EQ(r.err, c.err) << '"' << c.text << '"';
  }
}

// A pair split across the reader's chunks reads like any other; long lines are accepted.
TEST(ReadHexArmour, PairsAcrossChunksAndLongLines) {
  const size_t chunk = quillpack::kHexReadChunk;
  for (size_t pad : {chunk - 1, chunk, chunk + 1, 2 * chunk - 1}) {
    ReadResult r = Read(std::string(pad, ' ') + "4" + std::string(pad % 3, '\n') + "1" + "ab");
    EXPECT_EQ(r.result, 1) << pad;
    EXPECT_EQ(r.bytes, (Bytes{0x41, 0xAB})) << pad;
  }
  Bytes bytes = RandomBytes(50000, 3);
  std::string one_line;
  for (uint8_t b : bytes) {
    one_line += "0123456789abcdef"[b >> 4];
    one_line += "0123456789ABCDEF"[b & 15];
  }
  ReadResult r = Read(one_line);
  EXPECT_EQ(r.result, 1);
  EXPECT_EQ(r.bytes, bytes);
}

TEST(ReadHexArmour, MemoryFailureIsSilentAndKeepsTheDecodedBytes) {
  std::string text(2 * 5000, 'A');
  TempDir dir;
  WriteText(dir.Path("t"), text);
  PlatformFile *f = PlatformOpen(dir.Path("t").c_str(), "r");
  std::unique_ptr<ByteBuffer, void (*)(ByteBuffer *)> buffer(ByteBufferCreate(4096),
                                                             ByteBufferDestroy);
  FaultInjectionReset();
  FaultInjectionArm(kFaultAlloc, 1);
  Outcome o = Capture([&] { return ReadHexArmour(f, buffer.get()); });
  FaultInjectionReset();
  EXPECT_TRUE(PlatformClose(f));
  EXPECT_EQ(o.result, 0);
  EXPECT_EQ(o.err, "");
  EXPECT_EQ(buffer->length, 4096u);
  EXPECT_EQ(buffer->data[4095], 0xAA);
}

TEST(ReadHexArmour, ReadErrorIsNotTheEnd) {
#if defined(_WIN32)
  GTEST_SKIP() << "Windows does not open a folder as a stream, so it cannot fail a read";
#endif
  TempDir dir;
  std::filesystem::create_directory(dir.Path("d"));
  PlatformFile *f = PlatformOpen(dir.Path("d").c_str(), "r");
  ASSERT_NE(f, nullptr);
  std::unique_ptr<ByteBuffer, void (*)(ByteBuffer *)> buffer(ByteBufferCreate(16),
                                                             ByteBufferDestroy);
  Outcome o = Capture([&] { return ReadHexArmour(f, buffer.get()); });
  EXPECT_TRUE(PlatformClose(f));
  EXPECT_EQ(o.result, 0);
  EXPECT_EQ(o.err, "Error: Failed to read hex data\n");
}

}  // namespace
}  // namespace quillpack_test
