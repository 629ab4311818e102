// MatchFinder: the compressor's match search, with exactly the answers of MatchSearch.
#pragma once

#include <cstdint>

#include "codec/match_search.h"

namespace quillpack {

struct MatchFinder;

// Creates a finder for one compression, starting with an empty window. Returns null when
// its working memory (one heap block) cannot be had; the caller then searches with
// MatchSearch. Calls on one finder stay on the caller's thread.
MatchFinder *MatchFinderCreate();

// Releases the finder. Null is accepted and ignored.
void MatchFinderDestroy(MatchFinder *finder);

// The answer MatchSearch(window, look, available) gives for the window of the last
// min(32768, total) bytes passed to MatchFinderAppend so far. Reads look[0, available)
// only, and no more than 255 of those.
Match MatchFinderSearch(MatchFinder *finder, const uint8_t *look, uint32_t available);

// Takes `count` bytes (any number) into the window, in order, as that many
// HistoryWindowAppend calls would.
void MatchFinderAppend(MatchFinder *finder, const uint8_t *bytes, uint32_t count);

// For tests: a finder whose internal position counter starts at `first_position` (at
// least 65536), so that the rebasing of positions near 2^32 can be exercised without
// gigabytes of input. MatchFinderCreate starts at 65536.
MatchFinder *MatchFinderCreateAt(uint32_t first_position);

}  // namespace quillpack
