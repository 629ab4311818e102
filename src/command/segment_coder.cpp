// Segments and their coders.
#include "command/segment_coder.h"

#include <cstdlib>
#include <cstring>

#include "codec/block_coder.h"

namespace quillpack_command {

using quillpack::kBlockSize;
using quillpack::kWindowSize;

bool SegmentCreate(Segment *segment) {
  segment->bytes = static_cast<uint8_t *>(std::malloc(kWindowSize + kSegmentBytes));
  segment->tokens = quillpack::ByteBufferCreate(2 * kSegmentBytes);
  segment->history = 0;
  segment->length = 0;
  if (segment->bytes != nullptr && segment->tokens != nullptr) return true;
  SegmentDestroy(segment);
  return false;
}

void SegmentDestroy(Segment *segment) {
  std::free(segment->bytes);
  quillpack::ByteBufferDestroy(segment->tokens);
  segment->bytes = nullptr;
  segment->tokens = nullptr;
}

void SegmentTakeHistory(Segment *next, const Segment *previous) {
  const uint8_t *end = previous->bytes + previous->history + previous->length;
  std::memmove(next->bytes, end - kWindowSize, kWindowSize);
  next->history = kWindowSize;
}

void CoderInit(Coder *coder) {
  coder->finder = nullptr;
  coder->window = nullptr;
  coder->used = false;
  coder->stream = 0;
  coder->end = 0;
}

void CoderRelease(Coder *coder) {
  quillpack::MatchFinderDestroy(coder->finder);
  std::free(coder->window);
  CoderInit(coder);
}

bool CoderStart(Coder *coder) {
  // As in the library, the finder only speeds the search up: the small finder, or the plain
  // scan, gives the same tokens.
  coder->finder = quillpack::MatchFinderCreate(quillpack::kFinderFull);
  if (coder->finder == nullptr)
    coder->finder = quillpack::MatchFinderCreate(quillpack::kFinderSmall);
  if (coder->finder != nullptr) return true;
  coder->window = static_cast<quillpack::HistoryWindow *>(std::malloc(sizeof *coder->window));
  if (coder->window == nullptr) return false;
  quillpack::HistoryWindowInit(coder->window);
  return true;
}

bool CoderCode(Coder *coder, Segment *segment) {
  const bool continues =
      coder->used && coder->stream == segment->stream && coder->end == segment->start;
  if (!continues) {
    // A window of history replaces whatever the search held; less than that (a stream's
    // first segment) needs an empty one.
    if (coder->used && segment->history < kWindowSize) CoderRelease(coder);
    if (coder->finder == nullptr && coder->window == nullptr && !CoderStart(coder)) return false;
    quillpack::CodeAppendHistory(segment->bytes, segment->history, coder->finder, coder->window);
  }
  coder->used = true;
  coder->stream = 0;  // streams are numbered from 1: no segment continues a failed one
  const uint8_t *bytes = segment->bytes + segment->history;
  for (uint32_t at = 0; at < segment->length; at += kBlockSize) {
    uint32_t count = segment->length - at < kBlockSize ? segment->length - at : kBlockSize;
    if (!quillpack::CodeBlock(bytes + at, count, coder->finder, coder->window, segment->tokens))
      return false;
  }
  coder->stream = segment->stream;
  coder->end = segment->start + segment->length;
  return true;
}

}  // namespace quillpack_command
