// Match: the answer of a match search, the plain scan's and the finder's alike.
#pragma once

#include <cstdint>

namespace quillpack {

struct Match {
  bool found;
  uint8_t length;     // kMinMatch to kMaxMatch when found
  uint16_t distance;  // 1 to kWindowSize when found
};

}  // namespace quillpack
