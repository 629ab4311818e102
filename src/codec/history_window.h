// HistoryWindow: the last 32768 bytes of the data being coded, oldest first.
#pragma once

#include <cstdint>

#include "codec/format.h"
#include "platform/assertion.h"

namespace quillpack {

// Room past a full window: appends fill it, and only when it is used up do the kept bytes
// move down, once per this many bytes instead of once per byte. One block of restored
// bytes, the longest match and the 16 bytes a copy may run past it fit (the decompressor
// restores straight into it, the compressor's plain scan reads its blocks into it); more
// would only cost stack.
constexpr uint32_t kWindowSlack = kBlockSize + kMaxMatch + 16;

// The window is the `fill` bytes at bytes[start, start + fill): contiguous, oldest first,
// so the byte d behind the end (1 <= d <= fill) is HistoryWindowData(w)[fill - d]. It lives
// in its caller's frame, so the block stays small enough for modest thread stacks.
struct HistoryWindow {
  uint8_t bytes[kWindowSize + kWindowSlack];
  uint32_t start;
  uint32_t fill;
};

// Empties the window.
inline void HistoryWindowInit(HistoryWindow *window) {
  window->start = 0;
  window->fill = 0;
}

// The oldest byte of the window; `fill` bytes follow it contiguously.
[[nodiscard]] inline const uint8_t *HistoryWindowData(const HistoryWindow *window) {
  QUILLPACK_ASSERT(window->fill <= kWindowSize);
  QUILLPACK_ASSERT(window->start + window->fill <= sizeof window->bytes);
  return window->bytes + window->start;
}

// Makes room for `count` (at most kWindowSlack) bytes after the newest one and returns where
// they go. Bytes of the window stay readable just before that place, so a copy from behind
// the end may run straight into the room. HistoryWindowCommit then takes them in.
[[nodiscard]] uint8_t *HistoryWindowReserve(HistoryWindow *window, uint32_t count);

// Takes in the `count` bytes written at the place HistoryWindowReserve returned; the oldest
// bytes drop out beyond kWindowSize. Bytes that dropped out stay in memory until the next
// HistoryWindowReserve, so the newest `count` bytes stay where they were written.
inline void HistoryWindowCommit(HistoryWindow *window, uint32_t count) {
  QUILLPACK_ASSERT(count <= kWindowSlack);
  QUILLPACK_ASSERT(window->fill <= kWindowSize);
  QUILLPACK_ASSERT(window->start + window->fill + count <= sizeof window->bytes);
  uint32_t fill = window->fill + count;
  if (fill > kWindowSize) {
    window->start += fill - kWindowSize;
    fill = kWindowSize;
  }
  window->fill = fill;
}

// Appends one byte at the newest end; once full, the oldest byte drops out.
void HistoryWindowAppend(HistoryWindow *window, uint8_t byte);

// Appends `count` bytes (any number) in order, as that many HistoryWindowAppend calls would.
// The bytes may already lie where they go, in the room HistoryWindowReserve gave (read
// straight into it): they then stay where they are.
void HistoryWindowAppendBytes(HistoryWindow *window, const uint8_t *bytes, uint32_t count);

}  // namespace quillpack
