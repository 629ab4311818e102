// Fuzz target: the match finder against MatchSearch, the plain scan it must equal. The input
// chooses the finder's size, its first position (near the rebase mark too), the data and the
// sizes of the appends (finder_input.h); wherever the finder is asked, between two appends,
// its answer must be the scan's, length and distance.
#include <algorithm>
#include <memory>
#include <string>

#include "codec/history_window.h"
#include "codec/match_search.h"
#include "common/fuzz_support.h"
#include "finder/finder_input.h"

namespace {

using namespace quillpack_fuzz;
using quillpack::Match;

// A search of the scan compares no start further than the longest match it finds (2 when it
// finds none), so fill * (max(length, 2) + 1) bounds its work. The walk stops once those
// bounds add up to this, which keeps every input to a fraction of a second in a sanitizer
// build.
constexpr uint64_t kScanBudget = uint64_t{1} << 25;

std::string Show(const Match &m) {
  return m.found ? std::to_string(m.length) + " at " + std::to_string(m.distance) : "none";
}

struct FinderDeleter {
  void operator()(quillpack::MatchFinder *f) const { quillpack::MatchFinderDestroy(f); }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *input, size_t size) {
  const FinderPlan plan = ReadFinderPlan(input, size);
  std::unique_ptr<quillpack::MatchFinder, FinderDeleter> finder(
      quillpack::MatchFinderCreateAt(plan.size, plan.first_position));
  Require(finder != nullptr, "cannot create the finder");
  auto window = std::make_unique<quillpack::HistoryWindow>();
  quillpack::HistoryWindowInit(window.get());

  const Bytes &data = plan.data;
  size_t next_append = 0;
  size_t next_skip = 0;
  uint32_t append_bytes = 0;
  uint64_t spent = 0;
  for (size_t p = 0; p < data.size() && spent < kScanBudget;) {
    while (next_append < plan.appends.size() && plan.appends[next_append].from <= p)
      append_bytes = plan.appends[next_append++].bytes;
    const size_t left = data.size() - p;
    if (next_skip < plan.skips.size() && plan.skips[next_skip].from <= p) {
      const uint32_t step =
          static_cast<uint32_t>(std::min<size_t>(plan.skips[next_skip++].bytes, left));
      quillpack::HistoryWindowAppendBytes(window.get(), data.data() + p, step);
      quillpack::MatchFinderAppend(finder.get(), data.data() + p, step);
      p += step;
      continue;
    }
    const uint32_t available =
        static_cast<uint32_t>(std::min<size_t>(plan.block - p % plan.block, left));
    // The lookahead in a block of its own, so that a read past what either search may read
    // (available bytes, and no more than the longest match) is caught.
    const Bytes look(data.begin() + static_cast<std::ptrdiff_t>(p),
                     data.begin() + static_cast<std::ptrdiff_t>(
                                        p + std::min<uint32_t>(available, quillpack::kMaxMatch)));
    const Match want = quillpack::MatchSearch(window.get(), look.data(), available);
    const Match got = quillpack::MatchFinderSearch(finder.get(), look.data(), available);
    if (want.found != got.found || want.length != got.length || want.distance != got.distance) {
      std::string what = "position " + std::to_string(p) + " (available " +
                         std::to_string(available) + "): MatchSearch " + Show(want) + ", finder " +
                         Show(got);
      Require(false, what.c_str());
    }
    spent += uint64_t{window->fill} * (std::max<uint32_t>(want.length, 2) + 1);
    size_t step = append_bytes != 0 ? append_bytes : want.found ? want.length : 1;
    step = std::min(step, left);
    quillpack::HistoryWindowAppendBytes(window.get(), data.data() + p, static_cast<uint32_t>(step));
    quillpack::MatchFinderAppend(finder.get(), data.data() + p, static_cast<uint32_t>(step));
    p += step;
  }
  return 0;
}
