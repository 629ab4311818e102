// The byte strings the test kit passes around: file contents, token streams, inputs.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace quillpack_test {

using Bytes = std::vector<uint8_t>;

// The first `count` bytes of `bytes` (all of them when it holds fewer).
inline Bytes Prefix(const Bytes &bytes, size_t count) {
  return Bytes(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(
                                                  count < bytes.size() ? count : bytes.size()));
}

}  // namespace quillpack_test
