// The byte strings the test kit passes around: file contents, token streams, inputs.
#pragma once

#include <cstdint>
#include <vector>

namespace quillpack_test {

using Bytes = std::vector<uint8_t>;

}  // namespace quillpack_test
