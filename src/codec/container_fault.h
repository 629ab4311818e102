// ContainerFault: what is wrong with a container's content, as a value, and its message line.
#pragma once

#include <cstddef>
#include <cstdint>

namespace quillpack {

// Faults of the text and of the token stream it carries. I/O and memory failures are the
// caller's to report; these come from the bytes alone, so every reader of a container (the
// library, a command, a program that has the container in memory) tells them alike.
enum ContainerFaultKind : uint8_t {
  kContainerOk,
  kContainerInvalidHexCharacter,  // a pair holds a character that is neither digit nor space
  kContainerIncompleteHexPair,    // the text ends after the first character of a pair
  kContainerInvalidFormat,        // fewer than 4 bytes, or not the header
  kContainerLiteralCutOff,        // the stream ends inside a literal token
  kContainerMatchCutOff,          // the stream ends inside a match token
  kContainerInvalidDistance,      // beyond the bytes restored, or 0 with a length
  kContainerInvalidTokenType,     // a kind byte other than the two; `kind` holds it
};

struct ContainerFault {
  ContainerFaultKind fault;
  uint8_t kind;  // the kind byte of kContainerInvalidTokenType, else 0
};

inline constexpr ContainerFault kContainerSound = {kContainerOk, 0};

// Room for the longest line ContainerFaultLine writes, its terminator included.
constexpr size_t kContainerFaultLineRoom = 64;

// The library's own line for `fault`, without its line feed, NUL-terminated in `line`
// ("Error: Invalid token type: 0x01"); the empty string for kContainerOk. Returns its length.
// The words after kContainerFaultPrefix name the fault on their own.
size_t ContainerFaultLine(ContainerFault fault, char (&line)[kContainerFaultLineRoom]);

inline constexpr char kContainerFaultPrefix[] = "Error: ";

}  // namespace quillpack
