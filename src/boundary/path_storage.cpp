// PathStorage: the per-call multibyte copy of a path passed across the boundary.
#include "boundary/path_storage.h"

#include "platform/assertion.h"

namespace quillpack {

void PathStorageConvert(PathStorage *storage, const PlatformWideChar *wide) {
  QUILLPACK_ASSERT(storage != nullptr);
  storage->heap = nullptr;
  storage->local[0] = '\0';
  storage->path = storage->local;
  if (wide == nullptr) {
    storage->path = nullptr;
    return;
  }
  size_t capacity = PlatformPathCapacity(PlatformWideLength(wide));
  if (capacity == 0) return;  // stays the empty string
  char *dst = storage->local;
  if (capacity > sizeof storage->local) {
    storage->heap = static_cast<char *>(PlatformAlloc(capacity));
    if (storage->heap == nullptr) return;  // stays the empty string
    dst = storage->heap;
    storage->path = dst;
  }
  // A failed conversion leaves the empty string, which is what a malformed path becomes.
  static_cast<void>(PlatformConvertPath(wide, dst, capacity));
}

void PathStorageRelease(PathStorage *storage) {
  QUILLPACK_ASSERT(storage != nullptr);
  QUILLPACK_ASSERT(storage->path == nullptr || storage->path == storage->local ||
                   storage->path == storage->heap);
  QUILLPACK_ASSERT(storage->heap == nullptr || storage->path == storage->heap);
  PlatformFree(storage->heap);
  storage->heap = nullptr;
}

}  // namespace quillpack
