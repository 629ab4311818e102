// What the fuzz targets share besides the test kit: their entry point, scratch files and
// the way a finding ends the run.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "test_kit.h"

// The entry point of every target, called by libFuzzer or by the replay program.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size);

namespace quillpack_fuzz {

using namespace quillpack_test;

// A file `name` in this process's scratch folder (under TMPDIR), made on first use and
// removed at exit.
inline std::string ScratchPath(const char *name) {
  static const TempDir scratch;
  return scratch.Path(name);
}

// Aborts with `what` when `condition` does not hold: a finding.
inline void Require(bool condition, const char *what) {
  if (condition) return;
  std::fprintf(stderr, "fuzz check failed: %s\n", what);
  std::abort();
}

}  // namespace quillpack_fuzz
