// CodeBlock: one block of input to tokens, the coding step every front end shares.
#pragma once

#include <cstdint>

#include "armour/byte_buffer.h"
#include "codec/finder/match_finder.h"
#include "codec/history_window.h"

namespace quillpack {

// Codes `count` bytes (at most kBlockSize) into tokens appended to `tokens`: at each position
// the longest match of kMinMatch or more bytes within the block, searched by `finder` or,
// when that is null, by the plain scan over `window` (exactly one of the two is given); else
// a literal. The coded bytes then join the search's window. A block's tokens depend only on
// its bytes and the 32768 bytes before it, so a search that has taken in just those (see
// CodeAppendHistory) codes it exactly as one that saw everything before. Returns false as
// soon as an append fails; the tokens appended until then stay.
[[nodiscard]] bool CodeBlock(const uint8_t *block, uint32_t count, MatchFinder *finder,
                             HistoryWindow *window, ByteBuffer *tokens);

// Takes `count` bytes into the search's window (`finder`, or `window` when that is null)
// without coding them: how a coder that starts in the middle of an input is given the bytes
// before its first block.
void CodeAppendHistory(const uint8_t *bytes, uint32_t count, MatchFinder *finder,
                       HistoryWindow *window);

}  // namespace quillpack
