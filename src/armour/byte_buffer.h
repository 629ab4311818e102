// ByteBuffer: a growable heap block of bytes whose capacity doubles when full.
#pragma once

#include <cstdint>

#include "platform/assertion.h"

namespace quillpack {

struct ByteBuffer {
  uint8_t *data;
  uint32_t length;    // bytes in use
  uint32_t capacity;  // size of `data`
};

// Creates an empty buffer of `capacity` bytes (at least 1). Returns null when memory
// cannot be had; nothing is left allocated then.
[[nodiscard]] ByteBuffer *ByteBufferCreate(uint32_t capacity);

// Releases the buffer's block and the record. Null is accepted and ignored.
void ByteBufferDestroy(ByteBuffer *buffer);

// What every buffer that ByteBufferCreate returned keeps: a block of at least one byte and
// no more bytes in use than it holds.
[[nodiscard]] inline bool ByteBufferIsSound(const ByteBuffer *buffer) {
  return buffer != nullptr && buffer->data != nullptr && buffer->capacity >= 1 &&
         buffer->length <= buffer->capacity;
}

// Doubles the capacity. Returns 0, leaving the buffer exactly as it was, when the resize
// fails or the doubled capacity would not fit 32 bits.
[[nodiscard]] int ByteBufferGrow(ByteBuffer *buffer);

// Appends one byte, growing first when full. Returns 1, or 0 with the buffer intact.
[[nodiscard]] inline int ByteBufferAppend(ByteBuffer *buffer, uint8_t byte) {
  QUILLPACK_ASSERT(ByteBufferIsSound(buffer));
  if (buffer->length >= buffer->capacity && !ByteBufferGrow(buffer)) return 0;
  buffer->data[buffer->length++] = byte;
  return 1;
}

// Appends `value` low byte first. Returns 1, or 0; a failure on the high byte leaves the
// low byte appended.
[[nodiscard]] inline int ByteBufferAppend16(ByteBuffer *buffer, uint16_t value) {
  if (!ByteBufferAppend(buffer, static_cast<uint8_t>(value & 0xFF))) return 0;
  return ByteBufferAppend(buffer, static_cast<uint8_t>(value >> 8));
}

// Appends `count` bytes as that many ByteBufferAppend calls would, in fewer steps: on
// failure returns 0 with the bytes that fitted before the failed growth appended.
[[nodiscard]] int ByteBufferAppendBytes(ByteBuffer *buffer, const uint8_t *bytes, uint32_t count);

}  // namespace quillpack
