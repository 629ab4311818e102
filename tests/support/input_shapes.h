// Generated inputs of the shapes that stress an LZ77 coder, reproducible byte for byte on
// every platform: the benchmark's table of named shapes and the generators it is made of.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "bytes.h"

namespace quillpack_test {

// `size` random bytes below `alphabet` (2 to 256), the same for the same seed everywhere.
Bytes RandomBytes(size_t size, uint64_t seed, uint32_t alphabet = 256);

// `pattern` repeated to `size` bytes.
Bytes Repeating(size_t size, const std::string &pattern);

// Bytes 0, step, 2 step, ... (modulo 256), starting again after `period` of them: with an
// odd step and a period up to 256, no byte comes twice within a period.
Bytes Counting(size_t size, uint32_t period, uint32_t step);

// Runs of every length from 1 to `longest`, then again, up to `size` bytes: run i of the
// byte bytes[i % bytes.size()], each followed by `separator` unless it is negative.
Bytes Runs(size_t size, uint32_t longest, const std::string &bytes, int separator = -1);

// Stretches up to `size` bytes: each repeats a pattern (taken from `patterns` in turn)
// `min_repeats` to `max_repeats` times, then one random byte where no match continues.
Bytes Stretches(size_t size, uint64_t seed, const std::vector<std::string> &patterns,
                uint32_t min_repeats, uint32_t max_repeats);

// Patterns of letters for Stretches: two of each period in `periods`, the first of each
// period in the order given, then the second, so stretches of one period share their bytes.
std::vector<std::string> LetterPatterns(const std::vector<uint32_t> &periods);

// 4096-byte blocks up to `size` bytes: the first random below `alphabet`, each later one the
// block before it with `changes` bytes changed at random places.
Bytes NearBlocks(size_t size, uint64_t seed, uint32_t alphabet, uint32_t changes);

// The names of the benchmark's shapes, in table order.
const std::vector<std::string> &ShapeNames();

// Fills `out` with `size` bytes of the shape `name`; false for an unknown name. The same
// name and size always give the same bytes.
bool MakeShape(const std::string &name, size_t size, Bytes *out);

// The same for a name known to be in the table: an unknown one aborts.
Bytes Shape(const std::string &name, size_t size);

}  // namespace quillpack_test
