// The line of each web module status: a container's fault, or a failure of memory, with the
// words the library prints for the same failure.
#include "web/web_status.h"

#include <cstring>

#include "codec/failure_lines.h"
#include "platform/assertion.h"
#include "web/web_module.h"

namespace quillpack {

size_t WebStatusLine(WebStatus status, char (&line)[kWebLineRoom]) {
  const char *text = "";
  switch (static_cast<WebOutcome>(status & 0xFF)) {
    case kWebOk:
    case kWebDone:
      break;
    case kWebContainerFault: {
      ContainerFault fault{static_cast<ContainerFaultKind>(status >> 8 & 0xFF),
                           static_cast<uint8_t>(status >> 16 & 0xFF)};
      return ContainerFaultLine(fault, line);
    }
    case kWebMemoryAllocationFailed:
      text = kLineMemoryAllocationFailed;
      break;
    case kWebBufferAllocationFailed:
      text = kLineBufferAllocationFailed;
      break;
    case kWebInvalidHexData:
      text = kLineInvalidHexData;
      break;
    case kWebWriteDecompressedFailed:
      text = kLineWriteDecompressedFailed;
      break;
  }
  size_t length = std::strlen(text);
  QUILLPACK_ASSERT(length < sizeof line);
  std::memcpy(line, text, length + 1);
  return length;
}

uint32_t WebLine(WebStatus status, char *line) {
  QUILLPACK_ASSERT(line != nullptr);
  return static_cast<uint32_t>(
      WebStatusLine(status, *reinterpret_cast<char(*)[kWebLineRoom]>(line)));
}

}  // namespace quillpack
