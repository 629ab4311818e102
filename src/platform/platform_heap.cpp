// Heap blocks on top of malloc, with the fault-injection hooks of the test build.
#include <cstdlib>

#include "platform/fault_state.h"
#include "platform/platform.h"

namespace quillpack {

void *PlatformAlloc(size_t size) {
  if (FaultFires(kFaultAlloc, 1)) return nullptr;
  void *block = std::malloc(size == 0 ? 1 : size);
  if (block != nullptr) FaultNoteBlocks(1);
  return block;
}

void *PlatformResize(void *block, size_t size) {
  if (FaultFires(kFaultAlloc, 1)) return nullptr;
  void *resized = std::realloc(block, size == 0 ? 1 : size);
  if (resized != nullptr && block == nullptr) FaultNoteBlocks(1);
  return resized;
}

void PlatformFree(void *block) {
  if (block == nullptr) return;
  FaultNoteBlocks(-1);
  std::free(block);
}

}  // namespace quillpack
