// Heap blocks JavaScript takes for the pieces it hands the web module and reads back.
#include "platform/platform.h"
#include "web/web_module.h"

namespace quillpack {

void *WebAlloc(uint32_t size) {
  return PlatformAlloc(size);
}

void WebFree(void *block) {
  PlatformFree(block);
}

}  // namespace quillpack
