// WebStatus: what a call of the web module reports, and the library's line for a failure.
#pragma once

#include <cstddef>
#include <cstdint>

#include "codec/container_fault.h"

namespace quillpack {

// One 32-bit value: a WebOutcome in the low byte and, for kWebContainerFault, the fault's
// kind in the next byte and its kind byte (kContainerInvalidTokenType) above that.
using WebStatus = uint32_t;

enum WebOutcome : uint8_t {
  kWebOk = 0,                   // done as asked; more may follow
  kWebDone = 1,                 // done, and nothing is left to do
  kWebContainerFault = 2,       // the container's own fault (container_fault.h)
  kWebMemoryAllocationFailed,   // no memory for a packer or an unpacker
  kWebBufferAllocationFailed,   // no memory for the tokens or the text while packing
  kWebInvalidHexData,           // no memory for the tokens a container's text holds
  kWebWriteDecompressedFailed,  // no memory for the restored bytes
};

// Room for the longest line WebStatusLine writes, its terminator included.
constexpr size_t kWebLineRoom = kContainerFaultLineRoom;

[[nodiscard]] constexpr WebStatus WebStatusOf(ContainerFault fault) {
  if (fault.fault == kContainerOk) return kWebOk;
  return kWebContainerFault | static_cast<uint32_t>(fault.fault) << 8 |
         static_cast<uint32_t>(fault.kind) << 16;
}

// The library's first line for the failure `status`, without its line feed, NUL-terminated in
// `line` (the empty string for kWebOk and kWebDone). Returns its length.
size_t WebStatusLine(WebStatus status, char (&line)[kWebLineRoom]);

}  // namespace quillpack
