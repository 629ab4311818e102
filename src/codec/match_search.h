// MatchSearch: the longest earlier occurrence of the coming bytes in the window.
#pragma once

#include <cstdint>

#include "codec/format.h"
#include "codec/history_window.h"
#include "codec/match.h"

namespace quillpack {

// The plain exhaustive scan, and the reference every faster finder must equal. Looks for
// the longest run of window bytes equal to `look` (of which `available` bytes may take
// part), capped at kMaxMatch and never running past the newest window byte. Among equally
// long candidates the oldest (greatest distance) wins. Not found when fewer than kMinMatch
// bytes are available or no candidate reaches kMinMatch.
[[nodiscard]] Match MatchSearch(const HistoryWindow *window, const uint8_t *look,
                                uint32_t available);

}  // namespace quillpack
