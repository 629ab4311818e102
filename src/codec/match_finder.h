// MatchFinder: the compressor's match search, with the answers of MatchSearch.
#pragma once

#include <cstdint>

#include "codec/history_window.h"
#include "codec/match_search.h"

namespace quillpack {

struct MatchFinder;

// Creates a finder for one compression, starting with an empty window. Returns null when
// its working memory cannot be had; the caller then searches with MatchSearch.
MatchFinder *MatchFinderCreate();

// Releases the finder. Null is accepted and ignored.
void MatchFinderDestroy(MatchFinder *finder);

// The answer MatchSearch(window, look, available) gives, for a window that holds exactly
// the bytes reported through MatchFinderAppended since creation.
Match MatchFinderSearch(MatchFinder *finder, const HistoryWindow *window, const uint8_t *look,
                        uint32_t available);

// Reports that the `count` bytes now newest in `window` were just appended to it.
void MatchFinderAppended(MatchFinder *finder, const HistoryWindow *window, uint32_t count);

}  // namespace quillpack
