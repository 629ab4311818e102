// MatchSearch: the exhaustive scan's answers on small windows, its caps and its tie rule.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "codec/match_search.h"

namespace quillpack_test {
namespace {

using namespace quillpack;

std::unique_ptr<HistoryWindow> WindowOf(const std::string &bytes) {
  auto w = std::make_unique<HistoryWindow>();
  HistoryWindowInit(w.get());
  HistoryWindowAppendBytes(w.get(), reinterpret_cast<const uint8_t *>(bytes.data()),
                           static_cast<uint32_t>(bytes.size()));
  return w;
}

TEST(MatchSearch, SmallWindows) {
  const struct {
    std::string window;
    std::string look;
    uint32_t available;  // 0: the whole lookahead
    bool found;
    int length;
    int distance;
  } cases[] = {
      {"abcabc", "ab", 0, false, 0, 0},      // fewer than 3 available
      {"abcabc", "abcabc", 2, false, 0, 0},  // the lookahead is longer but only 2 count
      {"", "abc", 0, false, 0, 0},           // empty window
      {"abc", "abcabc", 0, true, 3, 3},      // a candidate stops at the newest byte
      {"abcabc", "abc", 0, true, 3, 6},      // the older of two equal candidates
      {"abcd", "abce", 0, true, 3, 4},      {"ab", "abab", 0, false, 0, 0},
      {"abcxabcd", "abcdz", 0, true, 4, 4},  // the longer candidate wins over the older
      {"abcdabc", "abcdz", 4, true, 4, 7},   // capped by what is available
      {"zzab", "abab", 0, false, 0, 0},
  };
  for (const auto &c : cases) {
    auto w = WindowOf(c.window);
    uint32_t available = c.available ? c.available : static_cast<uint32_t>(c.look.size());
    Match m = MatchSearch(w.get(), reinterpret_cast<const uint8_t *>(c.look.data()), available);
    EXPECT_EQ(m.found, c.found) << c.window << " / " << c.look;
    if (!c.found) continue;
    EXPECT_EQ(m.length, c.length) << c.window << " / " << c.look;
    EXPECT_EQ(m.distance, c.distance) << c.window << " / " << c.look;
  }
}

TEST(MatchSearch, FullWindowOfOneByteGivesTheLongestOldestMatch) {
  auto w = WindowOf(std::string(40000, 'q'));
  std::string look(300, 'q');
  Match m = MatchSearch(w.get(), reinterpret_cast<const uint8_t *>(look.data()), 300);
  ASSERT_TRUE(m.found);
  EXPECT_EQ(m.length, 255);
  EXPECT_EQ(m.distance, 32768);
  // Bytes compare as unsigned values: 0x80 and above match only themselves.
  auto high = WindowOf("\x80\xFF\x90\x80\xFF\x91");
  Match h = MatchSearch(high.get(), reinterpret_cast<const uint8_t *>("\x80\xFF\x91"), 3);
  ASSERT_TRUE(h.found);
  EXPECT_EQ(h.distance, 3);
}

}  // namespace
}  // namespace quillpack_test
