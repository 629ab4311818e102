// MatchFinder: for now the exhaustive scan itself.
#include "codec/match_finder.h"

#include "platform/platform.h"

namespace quillpack {

struct MatchFinder {
  int unused;
};

MatchFinder *MatchFinderCreate() {
  return static_cast<MatchFinder *>(PlatformAlloc(sizeof(MatchFinder)));
}

void MatchFinderDestroy(MatchFinder *finder) { PlatformFree(finder); }

Match MatchFinderSearch(MatchFinder *, const HistoryWindow *window, const uint8_t *look,
                        uint32_t available) {
  return MatchSearch(window, look, available);
}

void MatchFinderAppended(MatchFinder *, const HistoryWindow *, uint32_t) {}

}  // namespace quillpack
