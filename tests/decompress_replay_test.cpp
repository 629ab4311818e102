// DecompressFile's replay against the kit's byte-at-a-time reading: bytes, blocks, messages.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "codec_calls.h"
#include "platform/fault_injection.h"
#include "test_kit.h"

namespace quillpack_test {
namespace {

// A token stream of about `tokens` tokens restoring well past the window, with matches of
// every length (overlapping ones included) and, at `fault_per_mille`, a damaged token.
Bytes RandomStream(std::mt19937 *rng, int tokens, int fault_per_mille) {
  Bytes s = TokenHeader();
  std::uniform_int_distribution<int> percent(0, 999);
  std::uniform_int_distribution<int> byte(0, 255);
  size_t restored = 0;
  for (int t = 0; t < tokens; ++t) {
    int r = percent(*rng);
    size_t fill = std::min<size_t>(restored, 32768);
    if (r < fault_per_mille) {
      switch (r % 4) {
        case 0:
          s.push_back(static_cast<uint8_t>(1 + byte(*rng) % 127));
          break;  // bad kind
        case 1:
          AddMatch(&s, 5, 0);  // distance 0
          break;
        case 2:
          AddMatch(&s, 4, static_cast<uint32_t>(fill + 1));  // one past the window
          break;
        default:
          s.push_back(r % 8 < 4 ? 0x00 : 0x80);
          return s;  // cut short
      }
    } else if (fill == 0 || r < 400) {
      AddLiteral(&s, static_cast<uint8_t>(byte(*rng)));
      ++restored;
    } else {
      size_t length = r < 900 ? 3 + byte(*rng) % 20 : byte(*rng);
      size_t distance = r % 5 == 0 ? 1 + byte(*rng) % std::min<size_t>(fill, 20)
                        : r % 7 == 0
                            ? fill
                            : 1 + (static_cast<size_t>(byte(*rng)) << 8 | byte(*rng)) % fill;
      AddMatch(&s, static_cast<uint32_t>(length), static_cast<uint32_t>(distance));
      restored += length;
    }
  }
  return s;
}

// The stream as container text, in lines of varying length and digit case.
std::string ContainerText(const Bytes &stream, std::mt19937 *rng) {
  static const char kUpper[] = "0123456789ABCDEF", kLower[] = "0123456789abcdef";
  const char *digits = (*rng)() % 2 ? kUpper : kLower;
  std::string text;
  for (size_t i = 0; i < stream.size(); ++i) {
    text += digits[stream[i] >> 4];
    text += digits[stream[i] & 0xF];
    if (i % 40 == 39) text += (*rng)() % 3 ? "\n" : "\r\n";
  }
  return text + "\n";
}

void ExpectSameReplay(const TempDir &dir, const Bytes &stream, const std::string &text,
                      uint64_t fail_at, const std::string &what) {
  PlainRestore want = PlainReplay(stream, fail_at);
  std::string in = dir.Path("in.qpk"), out = dir.Path("out");
  WriteText(in, text);
  quillpack::FaultInjectionReset();
  if (fail_at != 0) quillpack::FaultInjectionArm(quillpack::kFaultWrite, fail_at);
  Outcome got = Decompress(in, out);
  quillpack::FaultInjectionReset();
  EXPECT_EQ(got.result, want.ok ? 0 : 1) << what;
  EXPECT_EQ(got.err, want.err) << what;
  EXPECT_EQ(got.out, want.ok ? "Decompression successful: '" + in + "' -> '" + out + "'\n" : "")
      << what;
  Bytes file = ReadFile(out);
  EXPECT_EQ(file.size(), want.output.size()) << what;
  EXPECT_TRUE(file == want.output) << what;
}

TEST(DecompressReplay, MatchesReferenceOnRandomStreams) {
  TempDir dir;
  std::mt19937 rng(31337);
  for (int round = 0; round < 60; ++round) {
    int faults = round % 3 == 0 ? 0 : round % 3 == 1 ? 1 : 20;
    Bytes stream = RandomStream(&rng, 2000 + 400 * round, faults);
    ExpectSameReplay(dir, stream, ContainerText(stream, &rng), 0, "round " + std::to_string(round));
  }
}

Bytes Literals(size_t count) {
  Bytes s = TokenHeader();
  for (size_t i = 0; i < count; ++i) AddLiteral(&s, static_cast<uint8_t>(i * 7));
  return s;
}

Bytes With(Bytes s, std::initializer_list<uint8_t> tail) {
  s.insert(s.end(), tail);
  return s;
}

// The edges where a batched replay could part from the byte-at-a-time one: a failure just
// after a block fills or just before, and distances at the window's reach.
TEST(DecompressReplay, MatchesReferenceAtBlockAndWindowEdges) {
  const struct {
    const char *name;
    Bytes stream;
  } cases[] = {
      {"bad kind after a full block", With(Literals(4096), {0x01})},
      {"bad kind one byte short of a block", With(Literals(4095), {0x7F})},
      {"match completes the block, then a cut", With(Literals(4094), {0x80, 2, 1, 0, 0x80, 1})},
      {"match runs over the block, then a cut", With(Literals(4090), {0x80, 10, 7, 0, 0x00})},
      {"distance equal to all restored", With(Literals(1000), {0x80, 200, 0xE8, 0x03})},
      {"distance one past all restored", With(Literals(1000), {0x80, 200, 0xE9, 0x03})},
      {"full window, distance 32768", With(Literals(32768), {0x80, 255, 0x00, 0x80})},
      {"full window, distance 32769", With(Literals(32768), {0x80, 255, 0x01, 0x80})},
      {"window slid, distance 32768", With(Literals(70000), {0x80, 9, 0x00, 0x80})},
      {"window slid, distance 32769", With(Literals(70000), {0x80, 9, 0x01, 0x80})},
      {"window slid, distance 65535", With(Literals(70000), {0x80, 0, 0xFF, 0xFF})},
      {"empty match at distance 0", With(Literals(5000), {0x80, 0, 0, 0, 0x00, 0x41})},
      {"overlapping match over a block end",
       With(Literals(4000), {0x80, 255, 9, 0, 0x80, 255, 13, 0})},
  };
  TempDir dir;
  std::mt19937 rng(1);
  for (const auto &c : cases)
    ExpectSameReplay(dir, c.stream, ContainerText(c.stream, &rng), 0, c.name);
}

// A failed block write stops the replay at once: the file keeps the whole blocks before it,
// whatever the tokens after it.
TEST(DecompressReplay, MatchesReferenceWhenAWriteFails) {
  TempDir dir;
  std::mt19937 rng(4242);
  for (int round = 0; round < 30; ++round) {
    Bytes stream = RandomStream(&rng, 6000, round % 2 ? 0 : 1);
    PlainRestore whole = PlainReplay(stream);
    if (whole.output.empty()) continue;
    std::uniform_int_distribution<uint64_t> at(1, whole.output.size() + 1);
    std::string text = ContainerText(stream, &rng);
    for (uint64_t fail_at : {uint64_t{1}, uint64_t{4096}, uint64_t{4097}, at(rng), at(rng)})
      ExpectSameReplay(
          dir, stream, text, fail_at,
          "round " + std::to_string(round) + " write fails at " + std::to_string(fail_at));
  }
}

}  // namespace
}  // namespace quillpack_test
