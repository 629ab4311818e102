// The command line: options in the ways gzip and zstd take them, and the files named.
#pragma once

#include <string>
#include <vector>

namespace quillpack_command {

enum Mode { kPack, kRestore, kTest, kList };

struct Options {
  Mode mode = kPack;
  bool to_stdout = false;     // -c
  std::string output;         // -o FILE, "" when not given
  bool force = false;         // -f
  bool remove_input = false;  // --rm
  bool recursive = false;     // -r
  bool quiet = false;         // -q
  bool verbose = false;       // -v
  unsigned threads = 0;       // -T N; 0: one per processor
  std::vector<std::string> files;
};

enum ParseOutcome {
  kRun,         // `options` holds what to do
  kDone,        // help or version was printed: exit 0
  kUsageError,  // a line naming the mistake was printed: exit 2
};

// Reads the arguments after the program's name (UTF-8).
[[nodiscard]] ParseOutcome ParseOptions(const std::vector<std::string> &arguments,
                                        Options *options);

}  // namespace quillpack_command
