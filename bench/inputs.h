// Generated inputs of the shapes that stress an LZ77 coder, reproducible byte for byte.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace quillpack_bench {

using Bytes = std::vector<uint8_t>;

// The names of every generated shape, in table order.
const std::vector<std::string> &ShapeNames();

// Fills `out` with `size` bytes of the shape `name`. Returns false for an unknown name.
// The same name and size always give the same bytes; a shorter size gives a prefix of
// the longer one's shape, not necessarily of its bytes.
bool MakeShape(const std::string &name, size_t size, Bytes *out);

}  // namespace quillpack_bench
