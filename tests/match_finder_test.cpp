// MatchFinder against MatchSearch, the oracle: the same answer at every position under the
// compressor's streaming rules, and the same containers as the plain scan.
#include <gtest/gtest.h>

#include <cstring>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>
#include <memory>
#include <string>

#include "codec/codec.h"
#include "codec/finder_state.h"
#include "codec/match_finder.h"
#include "codec/match_search.h"
#include "test_support.h"

namespace quillpack_test {
namespace {

using quillpack::Match;
using quillpack::MatchFinder;

constexpr uint32_t kBlock = 4096;

struct FinderDeleter {
  void operator()(MatchFinder *f) const { quillpack::MatchFinderDestroy(f); }
};
using FinderPtr = std::unique_ptr<MatchFinder, FinderDeleter>;

std::string Show(const Match &m) {
  if (!m.found) return "not found";
  return "length " + std::to_string(m.length) + " distance " + std::to_string(m.distance);
}

bool Same(const Match &a, const Match &b) {
  return a.found == b.found && (!a.found || (a.length == b.length && a.distance == b.distance));
}

// How positions are visited: every position with the window grown a byte at a time, or
// token by token as the compressor goes (the window grown by whole match lengths).
enum class Walk { kEveryPosition, kTokens };

struct Shape {
  const char *name;
  Bytes data;
  Walk walk;
  // Positions compared: every one in [dense_from, dense_to), and one in `sparse` elsewhere
  // (the oracle scans the whole window at each; on some shapes every start is expensive).
  size_t dense_from;
  size_t dense_to;
  size_t sparse;
  uint32_t first_position;  // the finder's internal origin (rebasing tests)
};

// Streams `data` through the window and the finder by the compressor's rules (4096-byte
// blocks, the lookahead capped at the block's end) and compares the answers. Returns the
// number of positions compared.
size_t Differential(const Shape &s) {
  FinderPtr finder(s.first_position == 0 ? quillpack::MatchFinderCreate()
                                         : quillpack::MatchFinderCreateAt(s.first_position));
  EXPECT_NE(finder, nullptr);
  if (finder == nullptr) return 0;
  auto window = std::make_unique<quillpack::HistoryWindow>();
  quillpack::HistoryWindowInit(window.get());
  const uint8_t *data = s.data.data();
  size_t compared = 0;
  int mismatches = 0;
  for (size_t block = 0; block < s.data.size(); block += kBlock) {
    uint32_t n = static_cast<uint32_t>(std::min<size_t>(kBlock, s.data.size() - block));
    uint32_t p = 0;
    while (p < n) {
      size_t at = block + p;
      bool check = s.walk == Walk::kTokens || (at >= s.dense_from && at < s.dense_to) ||
                   at % s.sparse == 0;
      uint32_t step = 1;
      if (check) {
        Match want = quillpack::MatchSearch(window.get(), data + at, n - p);
        Match got = quillpack::MatchFinderSearch(finder.get(), data + at, n - p);
        ++compared;
        if (!Same(want, got)) {
          ADD_FAILURE() << s.name << ": position " << at << " (block offset " << p
                        << ", available " << n - p << "): MatchSearch " << Show(want)
                        << ", finder " << Show(got);
          if (++mismatches == 5) return compared;
        }
        if (s.walk == Walk::kTokens && want.found) step = want.length;
      }
      quillpack::HistoryWindowAppendBytes(window.get(), data + at, step);
      quillpack::MatchFinderAppend(finder.get(), data + at, step);
      p += step;
    }
  }
  return compared;
}

Bytes Concat(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const Bytes &p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}

Bytes RunOf(size_t length, uint8_t byte) { return Bytes(length, byte); }

// Runs of every length from 1 to `longest` of `byte`, each followed by one `separator`.
Bytes EveryRunLength(uint32_t longest, uint8_t byte, uint8_t separator) {
  Bytes out;
  for (uint32_t r = 1; r <= longest; ++r) {
    out.insert(out.end(), r, byte);
    out.push_back(separator);
  }
  return out;
}

// Runs of 1 to `longest` bytes of one of `kinds` values, each followed by one random byte.
Bytes ShortRuns(size_t size, uint32_t longest, int kinds, uint32_t seed) {
  Bytes noise = RandomBytes(size, seed);
  Bytes out;
  for (size_t i = 0; out.size() < size; ++i) {
    uint32_t r = 1 + noise[i % size] % longest;
    uint8_t byte = static_cast<uint8_t>('a' + noise[(i * 7 + 3) % size] % kinds);
    out.insert(out.end(), r, byte);
    out.push_back(noise[(i * 13 + 5) % size]);
  }
  out.resize(size);
  return out;
}

// `blocks` blocks of 4096 bytes, each repeating the one before with a few bytes changed.
Bytes RepeatedBlocks(int blocks, uint32_t seed, int alphabet) {
  Bytes out = RandomBytes(kBlock, seed, alphabet);
  Bytes noise = RandomBytes(blocks * 4, seed + 1);
  for (int b = 1; b < blocks; ++b) {
    Bytes next(out.end() - kBlock, out.end());
    for (int i = 0; i < 4; ++i) next[(noise[b * 4 + i] * 16 + b * 61) % kBlock] ^= 1 + i;
    out.insert(out.end(), next.begin(), next.end());
  }
  return out;
}

Bytes CorpusPrefix(const std::string &name, size_t size) {
  Bytes all = ReadFile(CorpusPath(name));
  if (all.empty()) ADD_FAILURE() << "corpus file missing: " << CorpusPath(name);
  if (all.size() > size) all.resize(size);
  return all;
}

constexpr size_t kBeyond = 32768 + 4 * kBlock;  // a full window and several blocks more

void CompareShapes(const std::vector<Shape> &shapes) {
  for (const Shape &s : shapes) {
    if (s.data.empty()) continue;  // corpus absent, reported by CorpusPrefix
    auto t0 = std::chrono::steady_clock::now();
    size_t compared = Differential(s);
    EXPECT_GT(compared, 0u) << s.name;
    if (std::getenv("QUILLPACK_TEST_TIMES") != nullptr) {
      std::chrono::duration<double> t = std::chrono::steady_clock::now() - t0;
      std::fprintf(stderr, "%-44s %7zu positions %6.2f s\n", s.name, compared, t.count());
    }
  }
}

constexpr size_t kEvery = SIZE_MAX;
constexpr size_t kFull = 32768;  // positions from here on see a full window
// A band of dense positions around the end of the first block after the window filled.
constexpr size_t kBandFrom = kFull + kBlock - 700;
constexpr size_t kBandTo = kFull + kBlock + 700;

TEST(MatchFinder, RandomBytesAndSmallAlphabets) {
  CompareShapes({
      {"random bytes", RandomBytes(kBeyond, 1), Walk::kEveryPosition, 24576, kBeyond, 3, 0},
      {"2-letter alphabet", RandomBytes(kBeyond, 2, 2), Walk::kEveryPosition, 30000, 40000, 7, 0},
      {"4-letter alphabet", RandomBytes(kBeyond, 3, 4), Walk::kEveryPosition, 30000, 40000, 7, 0},
      {"2-letter alphabet, tokens", RandomBytes(60000, 4, 2), Walk::kTokens, 0, 0, kEvery, 0},
  });
}

TEST(MatchFinder, RunsOfEveryLength) {
  // The second series starts with short runs while the window holds long ones.
  CompareShapes({
      {"runs of every length 1-300",
       Concat({EveryRunLength(300, 'a', 'b'), EveryRunLength(40, 'a', 'b')}),
       Walk::kEveryPosition, 44500, 46300, 41, 0},
      {"runs of every length 1-300, across block ends",
       Concat({RandomBytes(3000, 5), EveryRunLength(300, 'c', 'd')}), Walk::kEveryPosition,
       kBandFrom, kBandTo, 97, 0},
      {"runs of every length, two bytes",
       Concat({EveryRunLength(150, 'x', 'y'), EveryRunLength(300, 'y', 'x')}), Walk::kTokens, 0, 0,
       kEvery, 0},
      {"window full of one byte",
       Concat({RunOf(32768, 'z'), ShortRuns(6000, 40, 2, 8), RunOf(700, 'z'),
               RandomBytes(4000, 9, 3), RunOf(300, 'z')}),
       Walk::kEveryPosition, 32768, 37500, 4096, 0},
      {"one byte, then shorter runs of it",
       Concat({RunOf(40000, 0), EveryRunLength(120, 0, 1), RunOf(5000, 0)}), Walk::kTokens, 0, 0,
       kEvery, 0},
  });
}

TEST(MatchFinder, ShortRunsSeparatedBySingleBytes) {
  CompareShapes({
      {"runs of 1-6 separated by single bytes", ShortRuns(kBeyond, 6, 1, 6),
       Walk::kEveryPosition, 28672, kBeyond, 5, 0},
      {"runs of 1-12 of 3 bytes", ShortRuns(kBeyond, 12, 3, 7), Walk::kEveryPosition, 28672,
       kBeyond, 5, 0},
  });
}

TEST(MatchFinder, PeriodicPatterns) {
  CompareShapes({
      {"period 2", Repeating(kBeyond, "ab"), Walk::kEveryPosition, kBandFrom + 400, kBandTo - 400,
       211, 0},
      {"period 3", Repeating(kBeyond, "abc"), Walk::kEveryPosition, kBandFrom + 300,
       kBandTo - 300, 211, 0},
      {"period 7", Repeating(kBeyond, "abcdefg"), Walk::kEveryPosition, kBandFrom, kBandTo, 101,
       0},
  });
}

TEST(MatchFinder, BlocksRepeatingThePreviousBlock) {
  CompareShapes({
      {"blocks repeating the previous block", RepeatedBlocks(12, 4, 256), Walk::kEveryPosition,
       36864, 45056, 5, 0},
      {"repeated blocks, 4 letters", RepeatedBlocks(12, 5, 4), Walk::kEveryPosition, 36864,
       45056, 5, 0},
  });
}

TEST(MatchFinder, CorpusPrefixes) {
  CompareShapes({
      {"alice29.txt prefix", CorpusPrefix("alice29.txt", kBeyond), Walk::kEveryPosition, 28672,
       kBeyond, 3, 0},
      {"kennedy.xls prefix", CorpusPrefix("kennedy.xls", kBeyond), Walk::kEveryPosition, 32768,
       kBeyond, 5, 0},
      {"ptt5 prefix", CorpusPrefix("ptt5", 90000), Walk::kTokens, 0, 0, kEvery, 0},
      {"pi.txt prefix", CorpusPrefix("pi.txt", 80000), Walk::kTokens, 0, 0, kEvery, 0},
  });
}

// Positions are kept as 32-bit counts and moved down when they grow large; the answers do
// not change across such a move.
TEST(MatchFinder, PositionsRebased) {
  const uint32_t near = quillpack::kRebaseMark - 40000;
  CompareShapes({
      {"4-letter, across a rebase", RandomBytes(100000, 10, 4), Walk::kTokens, 0, 0, kEvery, near},
      {"runs, across a rebase",
       Concat({ShortRuns(50000, 40, 2, 11), EveryRunLength(300, 'a', 'b')}), Walk::kTokens, 0, 0,
       kEvery, near},
  });
}

// Appending many bytes at once (more than the finder's copy has room for) equals appending
// them one at a time.
TEST(MatchFinder, LargeAppendsEqualSingleBytes) {
  Bytes data = Concat({RandomBytes(70000, 12, 3), RunOf(1000, 'q'), RandomBytes(3000, 13, 2)});
  FinderPtr finder(quillpack::MatchFinderCreate());
  ASSERT_NE(finder, nullptr);
  auto window = std::make_unique<quillpack::HistoryWindow>();
  quillpack::HistoryWindowInit(window.get());
  size_t at = 0;
  for (size_t chunk : {size_t{5}, size_t{70000}, size_t{1}, size_t{40000}}) {
    chunk = std::min(chunk, data.size() - at);
    quillpack::HistoryWindowAppendBytes(window.get(), data.data() + at, chunk);
    quillpack::MatchFinderAppend(finder.get(), data.data() + at, chunk);
    at += chunk;
    const uint8_t *probes[] = {data.data() + 100, data.data() + 69000, data.data() + 70500};
    for (const uint8_t *look : probes) {
      for (uint32_t available : {2u, 3u, 17u, 300u}) {
        Match want = quillpack::MatchSearch(window.get(), look, available);
        Match got = quillpack::MatchFinderSearch(finder.get(), look, available);
        EXPECT_TRUE(Same(want, got)) << "after " << at << " bytes, available " << available
                                     << ": MatchSearch " << Show(want) << ", finder "
                                     << Show(got);
      }
    }
  }
}

// The token stream the compressor's rules give with the plain scan, built here without the
// library's compressor.
Bytes LiteralTokens(const Bytes &input) {
  Bytes tokens = {0x51, 0x50, 0x4B, 0x01};
  auto window = std::make_unique<quillpack::HistoryWindow>();
  quillpack::HistoryWindowInit(window.get());
  for (size_t block = 0; block < input.size(); block += kBlock) {
    uint32_t n = static_cast<uint32_t>(std::min<size_t>(kBlock, input.size() - block));
    const uint8_t *b = input.data() + block;
    uint32_t p = 0;
    while (p < n) {
      Match m{false, 0, 0};
      if (n - p >= 3) m = quillpack::MatchSearch(window.get(), b + p, n - p);
      uint32_t step = 1;
      if (m.found) {
        tokens.insert(tokens.end(), {0x80, m.length, static_cast<uint8_t>(m.distance & 0xFF),
                                     static_cast<uint8_t>(m.distance >> 8)});
        step = m.length;
      } else {
        tokens.insert(tokens.end(), {0x00, b[p]});
      }
      quillpack::HistoryWindowAppendBytes(window.get(), b + p, step);
      p += step;
    }
  }
  return tokens;
}

TEST(MatchFinder, ContainersEqualThePlainScanOnTheCorpus) {
  TempDir dir;
  int files = 0;
  std::vector<std::string> names = CorpusFiles();
  ASSERT_NE(names.front(), kCorpusMissing) << "cannot list the corpus folder " << CorpusPath("");
  for (const std::string &name : names) {
    Bytes input = ReadFile(CorpusPath(name));
    if (input.size() >= 200000) continue;
    Outcome o = Capture(
        [&] { return quillpack::CompressFile(CorpusPath(name).c_str(), dir.Path("out").c_str()); });
    ASSERT_EQ(o.result, 0) << name << ": " << o.err;
    Bytes stream = HexToBytes(ReadText(dir.Path("out")));
    EXPECT_TRUE(stream == LiteralTokens(input)) << name;
    ++files;
  }
  EXPECT_GT(files, 0) << "no corpus file under 200000 bytes";
}

}  // namespace
}  // namespace quillpack_test
