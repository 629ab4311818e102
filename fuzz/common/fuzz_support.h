// What the fuzz targets share: their entry point, scratch files and caught output.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "plain_container.h"

// The entry point of every target, called by libFuzzer or by the replay program.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size);

namespace quillpack_fuzz {

// A file `name` in this process's scratch folder (under TMPDIR, or /dev/shm, or /tmp),
// made on first use and removed at exit.
std::string ScratchPath(const char *name);

// Whole-file I/O; a failure aborts, as it leaves nothing to check.
void WriteWhole(const std::string &path, const uint8_t *data, size_t size);
Bytes ReadWhole(const std::string &path);

// What a call printed on the standard streams, and what it returned.
struct Caught {
  int result;
  std::string out;
  std::string err;
};

// Runs `call` with standard output and standard error caught in scratch files.
Caught RunCaught(int (*call)(const char *, const char *), const std::string &a,
                 const std::string &b);

// Aborts with `what` when `condition` does not hold: a finding.
void Require(bool condition, const char *what);

}  // namespace quillpack_fuzz
