// ByteBuffer: creation, doubling growth and bulk appends.
#include "armour/byte_buffer.h"

#include <cstring>

#include "platform/platform.h"

namespace quillpack {

ByteBuffer *ByteBufferCreate(uint32_t capacity) {
  QUILLPACK_ASSERT(capacity >= 1);
  if (capacity == 0) return nullptr;
  auto *buffer = static_cast<ByteBuffer *>(PlatformAlloc(sizeof(ByteBuffer)));
  if (buffer == nullptr) return nullptr;
  buffer->data = static_cast<uint8_t *>(PlatformAlloc(capacity));
  if (buffer->data == nullptr) {
    PlatformFree(buffer);
    return nullptr;
  }
  buffer->length = 0;
  buffer->capacity = capacity;
  return buffer;
}

void ByteBufferDestroy(ByteBuffer *buffer) {
  if (buffer == nullptr) return;
  QUILLPACK_ASSERT(ByteBufferIsSound(buffer));
  PlatformFree(buffer->data);
  PlatformFree(buffer);
}

int ByteBufferGrow(ByteBuffer *buffer) {
  QUILLPACK_ASSERT(ByteBufferIsSound(buffer));
  // Checked in 32 bits before any size_t arithmetic, so it holds where size_t is 32 bits.
  if (buffer->capacity > UINT32_MAX / 2) return 0;
  uint32_t doubled = buffer->capacity * 2;
  void *block = PlatformResize(buffer->data, doubled);
  if (block == nullptr) return 0;
  buffer->data = static_cast<uint8_t *>(block);
  buffer->capacity = doubled;
  return 1;
}

int ByteBufferAppendBytes(ByteBuffer *buffer, const uint8_t *bytes, uint32_t count) {
  QUILLPACK_ASSERT(ByteBufferIsSound(buffer));
  QUILLPACK_ASSERT(bytes != nullptr || count == 0);
  while (count > 0) {
    if (buffer->length >= buffer->capacity && !ByteBufferGrow(buffer)) return 0;
    uint32_t room = buffer->capacity - buffer->length;
    uint32_t take = count < room ? count : room;
    std::memcpy(buffer->data + buffer->length, bytes, take);
    buffer->length += take;
    bytes += take;
    count -= take;
  }
  return 1;
}

}  // namespace quillpack
