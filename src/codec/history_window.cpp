// HistoryWindow: appends and the occasional slide of the kept bytes.
#include "codec/history_window.h"

#include <cstring>

namespace quillpack {

uint8_t *HistoryWindowReserve(HistoryWindow *window, uint32_t count) {
  QUILLPACK_ASSERT(count <= kWindowSlack);
  QUILLPACK_ASSERT(window->fill <= kWindowSize);
  QUILLPACK_ASSERT(window->start + window->fill <= sizeof window->bytes);
  if (window->start + window->fill + count > sizeof window->bytes) {
    std::memmove(window->bytes, window->bytes + window->start, window->fill);
    window->start = 0;
  }
  return window->bytes + window->start + window->fill;
}

void HistoryWindowAppend(HistoryWindow *window, uint8_t byte) {
  *HistoryWindowReserve(window, 1) = byte;
  HistoryWindowCommit(window, 1);
}

void HistoryWindowAppendBytes(HistoryWindow *window, const uint8_t *bytes, uint32_t count) {
  QUILLPACK_ASSERT(bytes != nullptr || count == 0);
  // Only the last kWindowSize bytes can survive, so older ones need not be copied.
  if (count > kWindowSize) {
    bytes += count - kWindowSize;
    window->fill = 0;
    window->start = 0;
    count = kWindowSize;
  }
  while (count > 0) {
    uint32_t take = count < kWindowSlack ? count : kWindowSlack;
    uint8_t *room = HistoryWindowReserve(window, take);
    if (room != bytes) std::memcpy(room, bytes, take);
    HistoryWindowCommit(window, take);
    bytes += take;
    count -= take;
  }
}

}  // namespace quillpack
