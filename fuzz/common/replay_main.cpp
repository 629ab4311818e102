// Replays saved inputs through a fuzz target without libFuzzer: every file named, and every
// file in every folder named, in name order. Fails when no input was found.
#include <cstdio>
#include <string>
#include <vector>

#include "fuzz_support.h"

int main(int argc, char **argv) {
  using namespace quillpack_fuzz;
  std::vector<std::string> files, names;
  for (int i = 1; i < argc; ++i) {
    if (ListFolder(argv[i], &names)) {
      for (const std::string &name : names) files.push_back(std::string(argv[i]) + "/" + name);
    } else if (FileExists(argv[i])) {
      files.push_back(argv[i]);
    }
  }
  if (files.empty()) {
    std::fprintf(stderr, "no inputs to replay\n");
    return 1;
  }
  for (const std::string &file : files) {
    Bytes data = ReadFile(file);
    std::fprintf(stderr, "replaying %s (%zu bytes)\n", file.c_str(), data.size());
    LLVMFuzzerTestOneInput(data.data(), data.size());
  }
  std::printf("%zu inputs replayed\n", files.size());
  return 0;
}
