// CodeBlock: a greedy parse, position by position, with the longest match the search finds.
#include "codec/block_coder.h"

#include "codec/format.h"
#include "codec/match_search.h"
#include "platform/assertion.h"

namespace quillpack {

bool CodeBlock(const uint8_t *block, uint32_t count, MatchFinder *finder, HistoryWindow *window,
               ByteBuffer *tokens) {
  QUILLPACK_ASSERT((finder == nullptr) != (window == nullptr));
  QUILLPACK_ASSERT(count <= kBlockSize);
  uint32_t p = 0;
  while (p < count) {
    Match match{false, 0, 0};
    if (count - p >= kMinMatch) {
      match = finder != nullptr ? MatchFinderSearch(finder, block + p, count - p)
                                : MatchSearch(window, block + p, count - p);
    }
    uint32_t step = 1;
    if (match.found) {
      QUILLPACK_ASSERT(match.length >= kMinMatch && match.length <= count - p);
      QUILLPACK_ASSERT(match.distance >= match.length && match.distance <= kWindowSize);
      if (!ByteBufferAppend(tokens, kTokenMatch) || !ByteBufferAppend(tokens, match.length) ||
          !ByteBufferAppend16(tokens, match.distance))
        return false;
      step = match.length;
    } else {
      if (!ByteBufferAppend(tokens, kTokenLiteral) || !ByteBufferAppend(tokens, block[p]))
        return false;
    }
    CodeAppendHistory(block + p, step, finder, window);
    p += step;
  }
  return true;
}

void CodeAppendHistory(const uint8_t *bytes, uint32_t count, MatchFinder *finder,
                       HistoryWindow *window) {
  QUILLPACK_ASSERT((finder == nullptr) != (window == nullptr));
  // The finder keeps its own copy of the window; the plain scan reads `window`.
  if (finder != nullptr) {
    MatchFinderAppend(finder, bytes, count);
  } else {
    HistoryWindowAppendBytes(window, bytes, count);
  }
}

}  // namespace quillpack
