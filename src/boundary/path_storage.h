// PathStorage: the per-call multibyte copy of a path passed across the boundary.
#pragma once

#include <cstddef>

#include "platform/platform.h"

namespace quillpack {

// Short paths live in `local`; longer ones on the heap, so stack use stays bounded
// whatever the host passes, and small: the two paths sit on the stack beside everything
// the operation needs.
struct PathStorage {
  const char *path;  // null for an absent path, else a NUL-terminated string
  char *heap;
  char local[256];
};

// Converts `wide` into `storage`. A null pointer gives an absent path; a malformed path, or
// one whose storage cannot be had, gives the empty string (which then fails to open).
void PathStorageConvert(PathStorage *storage, const PlatformWideChar *wide);

// Releases what PathStorageConvert took.
void PathStorageRelease(PathStorage *storage);

}  // namespace quillpack
