// Hex armour writer and reader against the kit's plain character-at-a-time reading.
#include <gtest/gtest.h>

#include <cstdio>
#include <random>

#include "armour/byte_buffer.h"
#include "armour/hex_armour.h"
#include "platform/fault_injection.h"
#include "test_kit.h"

namespace quillpack_test {
namespace {

using quillpack::ByteBuffer;

struct ReadOutcome {
  int result;
  Bytes bytes;  // what the buffer holds afterwards
  std::string err;
};

// The kit's plain reading, each byte appended with ByteBufferAppend, so that armed
// allocation faults meet it exactly where they meet a byte-at-a-time reader.
ReadOutcome ReferenceRead(const std::string &text, uint32_t capacity) {
  ByteBuffer *buffer = quillpack::ByteBufferCreate(capacity);
  PlainHex hex = PlainReadHex(reinterpret_cast<const uint8_t *>(text.data()), text.size(),
                              [&](uint8_t b) { return quillpack::ByteBufferAppend(buffer, b); });
  ReadOutcome o{hex.ok ? 1 : 0, Bytes(buffer->data, buffer->data + buffer->length), hex.error};
  quillpack::ByteBufferDestroy(buffer);
  return o;
}

ReadOutcome LibraryRead(const TempDir &dir, const std::string &text, uint32_t capacity) {
  WriteText(dir.Path("text"), text);
  ReadOutcome o;
  std::FILE *stream = std::fopen(dir.Path("text").c_str(), "r");
  ByteBuffer *buffer = quillpack::ByteBufferCreate(capacity);
  Outcome call = Capture([&] { return quillpack::ReadHexArmour(stream, buffer); });
  o.result = call.result;
  o.err = call.err;
  o.bytes.assign(buffer->data, buffer->data + buffer->length);
  quillpack::ByteBufferDestroy(buffer);
  std::fclose(stream);
  return o;
}

// Text of `size` characters: digits of either case with white space between and inside
// pairs, and now and then a character that is not a digit.
std::string RandomText(std::mt19937 *rng, size_t size, int invalid_per_million) {
  static const char kDigits[] = "0123456789ABCDEFabcdef";
  static const char kSpaces[] = "\n\r \t";
  static const char kInvalid[] = {'G', 'g', 'x', '-', '\0', '\x7f', '\x80', '\xff', ':', '@'};
  std::uniform_int_distribution<int> pick(0, 999999);
  std::string text;
  for (size_t i = 0; i < size; ++i) {
    int r = pick(*rng);
    if (r < invalid_per_million)
      text += kInvalid[r % sizeof kInvalid];
    else if (r % 16 == 0)
      text += kSpaces[r / 16 % 4];
    else
      text += kDigits[r % 22];
  }
  return text;
}

void ExpectSameRead(const TempDir &dir, const std::string &text, uint32_t capacity,
                    const std::string &what) {
  ReadOutcome want = ReferenceRead(text, capacity);
  ReadOutcome got = LibraryRead(dir, text, capacity);
  EXPECT_EQ(got.result, want.result) << what;
  EXPECT_EQ(got.err, want.err) << what;
  EXPECT_EQ(got.bytes, want.bytes) << what;
}

TEST(HexArmourDifferential, ReaderMatchesReferenceOnRandomTexts) {
  TempDir dir;
  std::mt19937 rng(20240601);
  std::uniform_int_distribution<size_t> size(0, 70000);
  for (int round = 0; round < 120; ++round) {
    // A third of the texts are clean, the rest carry faults at every density.
    int invalid = round % 3 == 0 ? 0 : round % 3 == 1 ? 20 : 2000;
    std::string text = RandomText(&rng, size(rng), invalid);
    ExpectSameRead(dir, text, 4096, "round " + std::to_string(round));
  }
}

// The reader takes its text in chunks: pairs, white space and faults on either side of a
// chunk's end, and a lone character at the very end, behave as anywhere else.
TEST(HexArmourDifferential, ReaderMatchesReferenceAcrossChunkEnds) {
  TempDir dir;
  std::mt19937 rng(7);
  const size_t kChunk = quillpack::kHexReadChunk;
  for (size_t end : {kChunk, 2 * kChunk, 3 * kChunk}) {
    for (size_t at = end - 3; at <= end + 2; ++at) {
      for (char odd : {' ', '\n', 'G', '\xff', 'a'}) {
        std::string text = RandomText(&rng, end + 40, 0);
        for (char &c : text)
          if (IsArmourSpace(static_cast<uint8_t>(c))) c = '7';
        text[at] = odd;
        ExpectSameRead(
            dir, text, 4096,
            "at " + std::to_string(at) + " char " + std::to_string(static_cast<uint8_t>(odd)));
        ExpectSameRead(dir, text.substr(0, at + 1), 4096, "cut after " + std::to_string(at));
      }
    }
  }
}

// Growth fails where the reference's byte-at-a-time appends fail, and what was decoded
// before it stays in the buffer; also from a buffer so small that it grows inside a chunk.
TEST(HexArmourDifferential, ReaderMatchesReferenceWhenGrowthFails) {
  TempDir dir;
  std::mt19937 rng(99);
  int fired = 0;
  for (uint32_t capacity : {1u, 3u, 4096u}) {
    for (int round = 0; round < 12; ++round) {
      std::string text = RandomText(&rng, 20000 + 3000 * round, round % 2 ? 0 : 30);
      ExpectSameRead(dir, text, capacity, "no fault");
      for (uint64_t nth = 1; nth <= 8; ++nth) {
        // Each side creates its own buffer first: a record and a block, allocations 1 and 2.
        quillpack::FaultInjectionReset();
        quillpack::FaultInjectionArm(quillpack::kFaultAlloc, nth + 2);
        ReadOutcome want = ReferenceRead(text, capacity);
        quillpack::FaultInjectionReset();
        quillpack::FaultInjectionArm(quillpack::kFaultAlloc, nth + 2);
        ReadOutcome got = LibraryRead(dir, text, capacity);
        fired += quillpack::FaultInjectionFired() ? 1 : 0;
        quillpack::FaultInjectionReset();
        std::string what = "capacity " + std::to_string(capacity) + " fault " +
                           std::to_string(nth) + " round " + std::to_string(round);
        EXPECT_EQ(got.result, want.result) << what;
        EXPECT_EQ(got.err, want.err) << what;
        EXPECT_EQ(got.bytes, want.bytes) << what;
      }
    }
  }
  EXPECT_GT(fired, 100);  // most armed faults must have met a growth
}

// When the buffer is full at a bad pair, or at a lone last digit, the fault is reported and
// no growth is attempted; a good pair there needs the growth and fails with it.
TEST(HexArmourDifferential, FaultsOnAFullBufferAreJudgedBeforeGrowth) {
  TempDir dir;
  const char *tails[] = {"GG", "0G", "G0", "A", "0 \n", "AB", "ab\r\n"};
  for (const char *tail : tails) {
    for (bool fault : {false, true}) {
      std::string text = "00112233" + std::string(tail);
      quillpack::FaultInjectionReset();
      if (fault) quillpack::FaultInjectionArm(quillpack::kFaultAlloc, 3);
      ReadOutcome want = ReferenceRead(text, 4);
      quillpack::FaultInjectionReset();
      if (fault) quillpack::FaultInjectionArm(quillpack::kFaultAlloc, 3);
      ReadOutcome got = LibraryRead(dir, text, 4);
      quillpack::FaultInjectionReset();
      EXPECT_EQ(got.result, want.result) << tail << fault;
      EXPECT_EQ(got.err, want.err) << tail << fault;
      EXPECT_EQ(got.bytes, want.bytes) << tail << fault;
    }
  }
}

// The writer's text, and the text left behind when a character write fails part way.
TEST(HexArmourDifferential, WriterMatchesReference) {
  TempDir dir;
  std::mt19937 rng(5);
  std::vector<size_t> sizes = {0, 1, 2, 39, 40, 41, 79, 80, 81, 3999, 4000, 4001, 8000, 8041};
  std::uniform_int_distribution<size_t> any(0, 30000);
  for (int i = 0; i < 20; ++i) sizes.push_back(any(rng));
  for (size_t size : sizes) {
    Bytes bytes = RandomBytes(size, static_cast<uint32_t>(size));
    std::string want = PlainArmour(bytes);
    std::string path = dir.Path("out");
    std::FILE *stream = std::fopen(path.c_str(), "w");
    EXPECT_EQ(quillpack::WriteHexArmour(bytes.data(), static_cast<uint32_t>(size), stream), 1);
    std::fclose(stream);
    EXPECT_EQ(ReadTextMode(path), want) << size;
    if (want.empty()) continue;
    std::uniform_int_distribution<size_t> at(1, want.size());
    for (size_t fail : {size_t{1}, want.size(), at(rng), at(rng)}) {
      stream = std::fopen(path.c_str(), "w");
      quillpack::FaultInjectionReset();
      quillpack::FaultInjectionArm(quillpack::kFaultWrite, fail);
      int result = quillpack::WriteHexArmour(bytes.data(), static_cast<uint32_t>(size), stream);
      quillpack::FaultInjectionReset();
      std::fclose(stream);
      EXPECT_EQ(result, 0) << size << " failing at " << fail;
      EXPECT_EQ(ReadTextMode(path), want.substr(0, fail - 1)) << size << " failing at " << fail;
    }
  }
}

}  // namespace
}  // namespace quillpack_test
