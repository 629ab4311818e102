// Segments of whole blocks coded on any thread: a coder given the 32768 bytes before its
// segment codes it exactly as the library's one pass over the whole input does.
#pragma once

#include <cstdint>

#include "armour/byte_buffer.h"
#include "codec/finder/match_finder.h"
#include "codec/format.h"
#include "codec/history_window.h"

namespace quillpack_command {

// A segment is this many bytes of input (the last of a stream fewer). Whole blocks, so its
// blocks are the library's; at least a window, so every segment but a stream's first has a
// whole window of history. Larger segments cost more memory, smaller ones more warm-up.
constexpr uint32_t kSegmentBytes = 512u << 10;
static_assert(kSegmentBytes % quillpack::kBlockSize == 0, "a segment holds whole blocks");
static_assert(kSegmentBytes >= quillpack::kWindowSize, "a segment fills the next one's window");

struct Segment {
  uint8_t *bytes;                 // `history` bytes, then the segment's `length` bytes
  uint32_t history;               // bytes of the stream just before the segment: 0 or kWindowSize
  uint32_t length;                // 1 to kSegmentBytes
  uint64_t stream;                // which stream the segment belongs to: a number from 1 up
  uint64_t start;                 // its offset in the stream
  quillpack::ByteBuffer *tokens;  // the segment's tokens, once coded
};

// Makes the segment's buffers: room for a window and a segment, and tokens for the worst
// case (two bytes of tokens for each byte). False, with nothing held, when memory runs out.
[[nodiscard]] bool SegmentCreate(Segment *segment);
void SegmentDestroy(Segment *segment);

// Copies the last kWindowSize bytes of `previous`, the segment just before `next` in its
// stream (possibly `next` itself, before it is filled again), as the history of `next`.
void SegmentTakeHistory(Segment *next, const Segment *previous);

// A match search that codes segments: the full finder, else the small one, else the plain
// scan over a window of its own; and where its window stands.
struct Coder {
  quillpack::MatchFinder *finder;
  quillpack::HistoryWindow *window;
  bool used;
  uint64_t stream;  // the window ends at offset `end` of stream `stream`
  uint64_t end;
};

void CoderInit(Coder *coder);
void CoderRelease(Coder *coder);

// Gives an initialised coder its search, with an empty window. False, with nothing held,
// when memory runs out even for the plain scan's window.
[[nodiscard]] bool CoderStart(Coder *coder);

// Appends the segment's tokens to its `tokens`, after giving the search the segment's history
// unless its window already ends where the segment starts. False when memory runs out.
[[nodiscard]] bool CoderCode(Coder *coder, Segment *segment);

}  // namespace quillpack_command
