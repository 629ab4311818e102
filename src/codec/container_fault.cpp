// The message line of each container fault.
#include "codec/container_fault.h"

#include <cstring>

#include "platform/assertion.h"

namespace quillpack {

size_t ContainerFaultLine(ContainerFault fault, char (&line)[kContainerFaultLineRoom]) {
  const char *text = "";
  switch (fault.fault) {
    case kContainerOk:
      break;
    case kContainerInvalidHexCharacter:
      text = "Error: Invalid hex character";
      break;
    case kContainerIncompleteHexPair:
      text = "Error: Incomplete hex pair";
      break;
    case kContainerInvalidFormat:
      text = "Error: Invalid compressed file format";
      break;
    case kContainerLiteralCutOff:
      text = "Error: Unexpected end of file reading literal";
      break;
    case kContainerMatchCutOff:
      text = "Error: Unexpected end of file reading match";
      break;
    case kContainerInvalidDistance:
      text = "Error: Invalid match distance";
      break;
    case kContainerInvalidTokenType:
      text = "Error: Invalid token type: 0x";
      break;
  }
  size_t length = std::strlen(text);
  QUILLPACK_ASSERT(length + 3 <= sizeof line);
  std::memcpy(line, text, length);
  if (fault.fault == kContainerInvalidTokenType) {
    line[length++] = "0123456789ABCDEF"[fault.kind >> 4];
    line[length++] = "0123456789ABCDEF"[fault.kind & 0xF];
  }
  line[length] = '\0';
  return length;
}

}  // namespace quillpack
