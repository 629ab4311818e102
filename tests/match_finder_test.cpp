// MatchFinder, both sizes, against MatchSearch, the oracle: the same answer at every position
// compared under the compressor's streaming rules, and the same containers as the plain scan.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "codec/finder/finder_state.h"
#include "codec/finder/match_finder.h"
#include "codec/match_search.h"
#include "codec_calls.h"
#include "test_kit.h"

namespace quillpack_test {
namespace {

using quillpack::Match;
using quillpack::MatchFinder;

using quillpack::kBlockSize;
using quillpack::kWindowSize;

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

// How the window grows between the positions compared: a byte at a time, so that the finder
// is asked at positions inside matches too, or token by token as the compressor goes.
enum class Walk { kEveryPosition, kTokens };

struct Shape {
  const char *name;
  Bytes data;
  Walk walk;
  // With kEveryPosition, positions within kEdge of a block end or of the window's filling are
  // all compared, and one in `stride` elsewhere: the oracle scans the whole window each time.
  uint32_t stride;
  uint32_t first_position = 0;  // the finder's internal origin (rebasing); 0: the default
  // When set, the run of equal bytes that reaches kRunCountedAt is counted from there on as
  // this many bytes long (MatchFinderSetRunLength), as though it had begun gigabytes back.
  uint32_t run_length = 0;
};

constexpr size_t kRunCountedAt = 64;

constexpr uint32_t kEdge = 12;

bool NearAnEdge(size_t at) {
  size_t in_block = at % kBlockSize;
  bool block_edge = in_block < kEdge || in_block >= kBlockSize - kEdge;
  bool window_edge = at + kEdge >= kWindowSize && at < kWindowSize + kEdge;
  return block_edge || window_edge;
}

// Streams `s.data` through a window and a finder of each size by the compressor's rules
// (4096-byte blocks, the lookahead cut at the block's end) and compares the answers. Returns
// the number of positions compared; stops after five mismatches.
size_t Differential(const Shape &s) {
  const char *kNames[] = {"full", "small"};
  FinderPtr finders[2];
  for (int i = 0; i < 2; ++i) {
    auto size = i == 0 ? quillpack::kFinderFull : quillpack::kFinderSmall;
    finders[i].reset(s.first_position == 0
                         ? quillpack::MatchFinderCreate(size)
                         : quillpack::MatchFinderCreateAt(size, s.first_position));
    if (finders[i] == nullptr) {
      ADD_FAILURE() << "cannot create the " << kNames[i] << " finder";
      return 0;
    }
  }
  auto window = std::make_unique<quillpack::HistoryWindow>();
  quillpack::HistoryWindowInit(window.get());
  const uint8_t *data = s.data.data();
  size_t compared = 0;
  int mismatches = 0;
  bool run_counted = false;
  for (size_t block = 0; block < s.data.size(); block += kBlockSize) {
    uint32_t n = static_cast<uint32_t>(std::min<size_t>(kBlockSize, s.data.size() - block));
    uint32_t p = 0;
    while (p < n) {
      size_t at = block + p;
      bool check = s.walk == Walk::kTokens || NearAnEdge(at) || at % s.stride == 0;
      uint32_t step = 1;
      if (check) {
        Match want = quillpack::MatchSearch(window.get(), data + at, n - p);
        ++compared;
        for (int i = 0; i < 2; ++i) {
          Match got = quillpack::MatchFinderSearch(finders[i].get(), data + at, n - p);
          if (Same(want, got)) continue;
          ADD_FAILURE() << s.name << " (" << kNames[i] << " finder): position " << at
                        << " (block offset " << p << ", available " << n - p << "): MatchSearch "
                        << Show(want) << ", finder " << Show(got);
          if (++mismatches == 5) return compared;
        }
        if (s.walk == Walk::kTokens && want.found) step = want.length;
      }
      quillpack::HistoryWindowAppendBytes(window.get(), data + at, step);
      for (FinderPtr &finder : finders) quillpack::MatchFinderAppend(finder.get(), data + at, step);
      p += step;
      if (s.run_length != 0 && !run_counted && at + step >= kRunCountedAt) {
        for (FinderPtr &finder : finders)
          quillpack::MatchFinderSetRunLength(finder.get(), s.run_length);
        run_counted = true;
      }
    }
  }
  return compared;
}

void CompareShapes(const std::vector<Shape> &shapes) {
  for (const Shape &s : shapes) {
    ASSERT_FALSE(s.data.empty()) << s.name << ": no data (is the corpus missing?)";
    EXPECT_GT(Differential(s), 0u) << s.name;
  }
}

Bytes Concat(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const Bytes &p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}

// Runs of every length from 1 to `longest` of `byte`, each followed by one `separator`.
Bytes EveryRunLength(uint32_t longest, uint8_t byte, uint8_t separator) {
  return Runs(longest * (longest + 3) / 2, longest, std::string(1, static_cast<char>(byte)),
              separator);
}

// Runs of 20 to 40 `byte`s, each after a byte found nowhere else, so that the compressor's
// search starts at each run, and followed by 'c'.
Bytes RunsAfterLiterals(uint8_t byte) {
  Bytes out;
  for (uint8_t length = 20; length <= 40; ++length) {
    out.push_back(static_cast<uint8_t>(0x80 + length));
    out.insert(out.end(), length, byte);
    out.push_back('c');
  }
  return out;
}

// Stretches of `size` bytes in all: each repeats a pattern of a period from `periods` (in
// turn) for 2 to `longest` periods, then one random byte. Patterns come from a pool of two
// per period, so the window holds many stretches with the same bytes, of unequal lengths.
Bytes Stretches(size_t size, uint32_t seed, std::vector<uint32_t> periods, uint32_t longest) {
  return quillpack_test::Stretches(size, seed, LetterPatterns(periods), 2, longest);
}

std::vector<uint32_t> PeriodsUpTo(uint32_t last) {
  std::vector<uint32_t> periods;
  for (uint32_t d = 1; d <= last; ++d) periods.push_back(d);
  return periods;
}

// `blocks` blocks of 4096 bytes, each repeating the one before with a few bytes changed.
Bytes RepeatedBlocks(int blocks, uint32_t seed, int alphabet) {
  return NearBlocks(blocks * kBlockSize, seed, alphabet, 4);
}

Bytes CorpusPrefix(const std::string &name, size_t size) {
  Bytes all = ReadFile(CorpusPath(name));
  if (all.empty()) ADD_FAILURE() << "corpus file missing: " << CorpusPath(name);
  if (all.size() > size) all.resize(size);
  return all;
}

constexpr size_t kBeyond =
    2 * kWindowSize + 3 * kBlockSize + 100;  // link slots in reuse, a partial block

TEST(MatchFinder, RandomBytesAndSmallAlphabets) {
  CompareShapes({
      {"random bytes", RandomBytes(kBeyond, 1), Walk::kEveryPosition, 13},
      {"2-letter alphabet", RandomBytes(kBeyond, 2, 2), Walk::kEveryPosition, 61},
      {"4-letter alphabet", RandomBytes(kBeyond, 3, 4), Walk::kEveryPosition, 61},
      {"2-letter alphabet, tokens", RandomBytes(40000, 4, 2), Walk::kTokens, 0},
  });
}

TEST(MatchFinder, RunsOfEveryLength) {
  // The second series starts with short runs while the window holds long ones.
  CompareShapes({
      {"runs of every length 1-300",
       Concat({EveryRunLength(300, 'a', 'b'), EveryRunLength(40, 'a', 'b')}), Walk::kTokens, 0},
      {"runs of every length 1-300, every position",
       Concat({RandomBytes(3000, 5), EveryRunLength(300, 'c', 'd')}), Walk::kEveryPosition, 97},
      {"window full of one byte",
       Concat({Bytes(kWindowSize, 'z'), Stretches(6000, 8, {1, 2}, 40), Bytes(700, 'z'),
               RandomBytes(4000, 9, 3), Bytes(300, 'z')}),
       Walk::kEveryPosition, 211},
  });
}

// Periodic stretches, folded into streaks in the full finder and the small one alike: every
// period from 1 to 40, and longer ones up to the longest a streak may have and past it, in
// stretches that cross block ends and age out of the window, and stretches long enough that
// a streak's oldest members leave the window while it is walked.
TEST(MatchFinder, StretchesOfEveryPeriod) {
  CompareShapes({
      {"stretches of periods 1-40", Stretches(kBeyond, 20, PeriodsUpTo(40), 40), Walk::kTokens, 0},
      {"stretches of periods 1-40, every position", Stretches(kBeyond, 21, PeriodsUpTo(40), 12),
       Walk::kEveryPosition, 7},
      {"long stretches of periods 1-40, every position",
       Stretches(kBeyond, 27, PeriodsUpTo(40), 200), Walk::kEveryPosition, 7},
      {"stretches of periods 2, 3, 7", Stretches(kBeyond, 22, {2, 3, 7}, 90), Walk::kTokens, 0},
      {"stretches of long periods", Stretches(kBeyond, 28, {41, 64, 100, 200, 255, 256}, 8),
       Walk::kEveryPosition, 17},
      {"periods 2, 3, 5 longer than the window",
       Concat({Stretches(40000, 23, {2}, 40000), Stretches(40000, 24, {3}, 40000),
               Stretches(10000, 25, {2, 3, 5}, 30), Stretches(20000, 26, {5}, 20000)}),
       Walk::kEveryPosition, 211},
  });
}

// The levels above the first are filed when a search asks for them: text asks at nearly
// every search, random bytes hardly ever, so after more than a window of them the levels
// last filed together lag behind the window's oldest byte when the text comes back.
TEST(MatchFinder, LevelsAskedForAgainAfterMoreThanAWindow) {
  Bytes text = CorpusPrefix("alice29.txt", 12000);
  CompareShapes({
      {"text, random bytes, text again", Concat({text, RandomBytes(80000, 16), text}),
       Walk::kEveryPosition, 53},
  });
}

TEST(MatchFinder, BlocksRepeatingThePreviousBlock) {
  CompareShapes({
      {"blocks repeating the previous block", RepeatedBlocks(20, 4, 256), Walk::kEveryPosition, 31},
      {"repeated blocks, 4 letters", RepeatedBlocks(20, 5, 4), Walk::kEveryPosition, 31},
  });
}

TEST(MatchFinder, CorpusPrefixes) {
  CompareShapes({
      {"alice29.txt prefix", CorpusPrefix("alice29.txt", kBeyond), Walk::kEveryPosition, 29},
      {"kennedy.xls prefix", CorpusPrefix("kennedy.xls", kBeyond), Walk::kEveryPosition, 29},
      {"ptt5 prefix", CorpusPrefix("ptt5", 100000), Walk::kTokens, 0},
      {"pi.txt prefix", CorpusPrefix("pi.txt", 50000), Walk::kTokens, 0},
  });
}

// Positions are kept as 32-bit counts and moved down when they grow large; the answers do
// not change across such a move.
TEST(MatchFinder, PositionsRebased) {
  const uint32_t near = quillpack::kRebaseMark - 40000;
  CompareShapes({
      {"4-letter, across a rebase", RandomBytes(50000, 10, 4), Walk::kTokens, 0, near},
      {"runs and stretches, across a rebase",
       Concat({Stretches(50000, 11, {1, 2, 3}, 60), EveryRunLength(300, 'a', 'b')}), Walk::kTokens,
       0, near},
      // A run that began further back than positions move down (131072 here) and still
      // reaches into the window when they do, then lookaheads that start with runs: its start
      // must not move below zero.
      {"a run longer than the window, across a rebase",
       Concat({Bytes(100000, 'a'), Stretches(31000, 14, {2, 3}, 60), RunsAfterLiterals('a')}),
       Walk::kTokens, 0, quillpack::kRebaseMark - 131072 - 100},
  });
}

// A run's count stops at its limit instead of wrapping: a run of 2^32 equal bytes stays one
// run, with no byte left out of the run lists, and is answered like any run (a sparse disk
// image has runs that long). The count starts near 2^32 instead of gigabytes back; the run
// goes on until the byte where the count would wrap has reached the window's oldest end.
TEST(MatchFinder, RunsCountedPastTwoToThe32) {
  const size_t wrap = kRunCountedAt + 100;  // where the count would pass 2^32 - 1
  const uint32_t near_limit = static_cast<uint32_t>(0x100000000ull - (wrap - kRunCountedAt));
  const size_t beyond = wrap + kWindowSize + 300;
  CompareShapes({
      {"zeros counted past 2^32", Bytes(beyond, 0), Walk::kTokens, 0, 0, near_limit},
      {"a run counted to the limit, then runs after literals",
       Concat({Bytes(3000, 'a'), RunsAfterLiterals('a'), Bytes(300, 'a')}), Walk::kTokens, 0, 0,
       0xFFFFFFFFu - 20},
  });
}

// The quick suite's look at the finder: every shape of the test kit, token by token, across
// two block ends. The suites above go further.
TEST(MatchFinderQuick, EveryShapeTokenByToken) {
  std::vector<Shape> shapes;
  for (const std::string &name : ShapeNames())
    shapes.push_back(
        {name.c_str(), quillpack_test::Shape(name, 2 * kBlockSize + 700), Walk::kTokens, 0});
  CompareShapes(shapes);
}

// Appending many bytes at once (more than the finder's copy has room for) equals appending
// them one at a time.
TEST(MatchFinder, LargeAppendsEqualSingleBytes) {
  Bytes data = Concat({RandomBytes(70000, 12, 3), Bytes(1000, 'q'), RandomBytes(3000, 13, 2)});
  for (auto size : {quillpack::kFinderFull, quillpack::kFinderSmall}) {
    FinderPtr finder(quillpack::MatchFinderCreate(size));
    ASSERT_NE(finder, nullptr);
    auto window = std::make_unique<quillpack::HistoryWindow>();
    quillpack::HistoryWindowInit(window.get());
    size_t at = 0;
    for (size_t chunk : {size_t{5}, size_t{70000}, size_t{1}, size_t{40000}}) {
      chunk = std::min(chunk, data.size() - at);
      quillpack::HistoryWindowAppendBytes(window.get(), data.data() + at,
                                          static_cast<uint32_t>(chunk));
      quillpack::MatchFinderAppend(finder.get(), data.data() + at, static_cast<uint32_t>(chunk));
      at += chunk;
      const uint8_t *probes[] = {data.data() + 100, data.data() + 69000, data.data() + 70500};
      for (const uint8_t *look : probes) {
        for (uint32_t available : {2u, 3u, 17u, 300u}) {
          Match want = quillpack::MatchSearch(window.get(), look, available);
          Match got = quillpack::MatchFinderSearch(finder.get(), look, available);
          EXPECT_TRUE(Same(want, got))
              << "after " << at << " bytes, available " << available << ": MatchSearch "
              << Show(want) << ", finder " << Show(got);
        }
      }
    }
  }
}

// The token stream the compressor's rules give with `search` (and `append`, which takes the
// coded bytes into the window), built here without the library's compressor.
template <typename Search, typename Append>
Bytes Tokens(const Bytes &input, Search search, Append append) {
  Bytes tokens = TokenHeader();
  for (size_t block = 0; block < input.size(); block += kBlockSize) {
    uint32_t n = static_cast<uint32_t>(std::min<size_t>(kBlockSize, input.size() - block));
    const uint8_t *b = input.data() + block;
    uint32_t p = 0;
    while (p < n) {
      Match m = n - p >= 3 ? search(b + p, n - p) : Match{false, 0, 0};
      uint32_t step = 1;
      if (m.found) {
        AddMatch(&tokens, m.length, m.distance);
        step = m.length;
      } else {
        AddLiteral(&tokens, b[p]);
      }
      append(b + p, step);
      p += step;
    }
  }
  return tokens;
}

// The compressor's containers: those of the plain scan on the smaller corpus files, and on
// every corpus file the same as the small finder's, whose one level has nothing in common with
// the full finder's levels and run lists.
TEST(MatchFinder, ContainersEqualThePlainScanAndTheSmallFinder) {
  TempDir dir;
  std::vector<std::string> names = CorpusFiles();
  ASSERT_NE(names.front(), kCorpusMissing) << "cannot list the corpus folder " << CorpusPath("");
  for (const std::string &name : names) {
    Bytes input = ReadFile(CorpusPath(name));
    Outcome o = Compress(CorpusPath(name), dir.Path("out"));
    ASSERT_EQ(o.result, 0) << name << ": " << o.err;
    Bytes stream = HexToBytes(ReadText(dir.Path("out")));

    FinderPtr small(quillpack::MatchFinderCreate(quillpack::kFinderSmall));
    ASSERT_NE(small, nullptr);
    Bytes by_small = Tokens(
        input,
        [&](const uint8_t *p, uint32_t n) {
          return quillpack::MatchFinderSearch(small.get(), p, n);
        },
        [&](const uint8_t *p, uint32_t n) { quillpack::MatchFinderAppend(small.get(), p, n); });
    EXPECT_TRUE(stream == by_small) << name << ": the small finder's tokens differ";

    if (input.size() > 60000) continue;
    auto window = std::make_unique<quillpack::HistoryWindow>();
    quillpack::HistoryWindowInit(window.get());
    Bytes by_scan = Tokens(
        input,
        [&](const uint8_t *p, uint32_t n) { return quillpack::MatchSearch(window.get(), p, n); },
        [&](const uint8_t *p, uint32_t n) {
          quillpack::HistoryWindowAppendBytes(window.get(), p, n);
        });
    EXPECT_TRUE(stream == by_scan) << name << ": the plain scan's tokens differ";
  }
}

}  // namespace
}  // namespace quillpack_test
