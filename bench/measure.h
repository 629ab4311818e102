// Timing and memory measurement of the library's calls and of gzip, each on whole files.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "test_kit.h"

namespace quillpack_bench {

using namespace quillpack_test;
using Entry = Library::Function;

// What a time is measured on: elapsed wall-clock time, or the CPU time (user and system)
// of the work itself, which other processes on a busy machine do not inflate.
enum Clock { kWallClock, kCpuClock };

// Runs `entry(in, out)` with its output caught, writes what it printed on standard error
// to `err_path`, and returns the seconds of the call alone on `clock`.
double TimeEntry(Entry entry, const std::string &in, const std::string &out,
                 const std::string &err_path, Clock clock);

// Runs `argv` (looked up in PATH) as a child with standard output written to `out_path`
// and returns its seconds on `clock`: wall clock from spawn to exit, or the child's own
// CPU time. -1 when it could not be started or did not exit with status 0.
double TimeCommand(const std::vector<std::string> &argv, const std::string &out_path, Clock clock);

// The resident memory one call adds at its peak, measured in a fresh process: this program
// run again as a child that loads the library, notes its resident size, makes the call once
// and reads its high-water mark. `op` is "pack" or "unpack". Returns bytes, or -1 when the
// child failed.
int64_t MeasurePeak(const std::string &library_path, const char *op, const std::string &in,
                    const std::string &out);

// The child side of MeasurePeak: handles argv of the form
// `--peak-child OP LIBRARY IN OUT` and returns the exit status; any other argv returns -1.
int PeakChildMain(int argc, char **argv);

// True when both files exist and hold the same bytes.
bool SameContents(const std::string &a, const std::string &b);

// Seconds on a monotonic clock, or of this thread's CPU time.
double Now(Clock clock = kWallClock);

}  // namespace quillpack_bench
