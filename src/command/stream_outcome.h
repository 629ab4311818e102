// StreamOutcome: how the coding of one stream ended, for the caller to report.
#pragma once

#include <cstdint>

#include "codec/container_fault.h"

namespace quillpack_command {

enum StreamFailure {
  kStreamOk,
  kStreamReadFailed,   // `error` holds the system's error number
  kStreamWriteFailed,  // `error` holds the system's error number
  kStreamNoMemory,
  kStreamFault,  // the container is not sound: `fault`
};

struct StreamOutcome {
  StreamFailure failure = kStreamOk;
  int error = 0;
  quillpack::ContainerFault fault = quillpack::kContainerSound;
  uint64_t read = 0;      // bytes read
  uint64_t written = 0;   // bytes written: container text, or restored bytes
  uint64_t restored = 0;  // bytes a container stands for (restore, test and list)
  uint64_t matches = 0;   // its match tokens
  uint64_t matched = 0;   // the bytes they restore; the rest are literals
};

}  // namespace quillpack_command
