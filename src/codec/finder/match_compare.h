// Byte-string comparison for the match finder, a machine word at a time.
#pragma once

#include <bit>
#include <cstdint>
#include <cstring>

namespace quillpack {

[[nodiscard]] inline uint64_t Load64(const uint8_t *p) {
  uint64_t v;
  std::memcpy(&v, p, sizeof v);
  return v;
}

[[nodiscard]] inline uint32_t Load32(const uint8_t *p) {
  uint32_t v;
  std::memcpy(&v, p, sizeof v);
  return v;
}

// Index of the first differing byte in two words loaded from memory (x = a ^ b, non-zero):
// the lowest-addressed byte is the least significant on little-endian machines and the
// most significant on big-endian ones.
[[nodiscard]] inline uint32_t FindFirstDifference(uint64_t x) {
  if constexpr (std::endian::native == std::endian::little) {
    return static_cast<uint32_t>(std::countr_zero(x)) >> 3;
  } else {
    return static_cast<uint32_t>(std::countl_zero(x)) >> 3;
  }
}

// How many leading bytes of a and b are equal, at most `limit`. Reads a[0, limit) and
// b[0, limit) only.
[[nodiscard]] inline uint32_t CountCommonPrefix(const uint8_t *a, const uint8_t *b,
                                                uint32_t limit) {
  uint32_t j = 0;
  while (j + 8 <= limit) {
    uint64_t x = Load64(a + j) ^ Load64(b + j);
    if (x != 0) return j + FindFirstDifference(x);
    j += 8;
  }
  while (j < limit && a[j] == b[j]) ++j;
  return j;
}

// Index from the top of the last differing byte in two words loaded from memory (x = a ^ b,
// non-zero): how many of the highest-addressed bytes are equal.
[[nodiscard]] inline uint32_t FindLastDifference(uint64_t x) {
  if constexpr (std::endian::native == std::endian::little) {
    return static_cast<uint32_t>(std::countl_zero(x)) >> 3;
  } else {
    return static_cast<uint32_t>(std::countr_zero(x)) >> 3;
  }
}

// How many bytes just before a_end and b_end are equal, going back, at most `limit`. Reads
// a_end[-limit, 0) and b_end[-limit, 0) only.
[[nodiscard]] inline uint32_t CountCommonSuffix(const uint8_t *a_end, const uint8_t *b_end,
                                                uint32_t limit) {
  uint32_t j = 0;
  while (j + 8 <= limit) {
    uint64_t x = Load64(a_end - j - 8) ^ Load64(b_end - j - 8);
    if (x != 0) return j + FindLastDifference(x);
    j += 8;
  }
  while (j < limit && a_end[-1 - static_cast<int32_t>(j)] == b_end[-1 - static_cast<int32_t>(j)])
    ++j;
  return j;
}

// How many leading bytes of p equal `byte`, at most `limit`. Reads p[0, limit) only.
[[nodiscard]] inline uint32_t CountRunPrefix(const uint8_t *p, uint8_t byte, uint32_t limit) {
  const uint64_t pattern = 0x0101010101010101ull * byte;
  uint32_t j = 0;
  while (j + 8 <= limit) {
    uint64_t x = Load64(p + j) ^ pattern;
    if (x != 0) return j + FindFirstDifference(x);
    j += 8;
  }
  while (j < limit && p[j] == byte) ++j;
  return j;
}

}  // namespace quillpack
