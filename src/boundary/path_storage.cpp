// PathStorage: the per-call multibyte copy of a path passed across the boundary.
#include "boundary/path_storage.h"

namespace quillpack {

void PathStorageConvert(PathStorage *storage, const PlatformWideChar *wide) {
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
  PlatformConvertPath(wide, dst, capacity);
}

void PathStorageRelease(PathStorage *storage) {
  PlatformFree(storage->heap);
  storage->heap = nullptr;
}

}  // namespace quillpack
