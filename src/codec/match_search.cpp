// MatchSearch: every start position of the window, oldest first, compared in full.
#include "codec/match_search.h"

namespace quillpack {

Match MatchSearch(const HistoryWindow *window, const uint8_t *look, uint32_t available) {
  QUILLPACK_ASSERT(look != nullptr || available == 0);
  Match result{false, 0, 0};
  if (available < kMinMatch) return result;
  uint32_t max_length = available < kMaxMatch ? available : kMaxMatch;
  uint32_t fill = window->fill;
  const uint8_t *bytes = HistoryWindowData(window);
  uint32_t best = 0;
  uint32_t best_distance = 0;
  for (uint32_t start = 0; start < fill; ++start) {
    uint32_t limit = fill - start < max_length ? fill - start : max_length;
    uint32_t j = 0;
    while (j < limit && bytes[start + j] == look[j]) ++j;
    if (j > best && j >= kMinMatch) {
      best = j;
      best_distance = fill - start;
    }
  }
  QUILLPACK_ASSERT(best <= max_length && best <= best_distance);
  if (best >= kMinMatch) {
    result.found = true;
    result.length = static_cast<uint8_t>(best);
    result.distance = static_cast<uint16_t>(best_distance);
  }
  return result;
}

}  // namespace quillpack
