// Replays saved inputs through a fuzz target without libFuzzer: every file named, and every
// file in every folder named, in name order. Fails when no input was found.
#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "fuzz_support.h"

namespace {

void Collect(const std::string &path, std::vector<std::string> *files) {
  struct stat st;
  if (stat(path.c_str(), &st) != 0) return;
  if (!S_ISDIR(st.st_mode)) {
    files->push_back(path);
    return;
  }
  DIR *dir = opendir(path.c_str());
  if (dir == nullptr) return;
  std::vector<std::string> names;
  while (dirent *e = readdir(dir)) {
    std::string name = e->d_name;
    if (name != "." && name != ".." && name[0] != '.') names.push_back(path + "/" + name);
  }
  closedir(dir);
  std::sort(names.begin(), names.end());
  files->insert(files->end(), names.begin(), names.end());
}

}  // namespace

int main(int argc, char **argv) {
  std::vector<std::string> files;
  for (int i = 1; i < argc; ++i) Collect(argv[i], &files);
  if (files.empty()) {
    std::fprintf(stderr, "no inputs to replay\n");
    return 1;
  }
  for (const std::string &file : files) {
    quillpack_fuzz::Bytes data = quillpack_fuzz::ReadWhole(file);
    std::fprintf(stderr, "replaying %s (%zu bytes)\n", file.c_str(), data.size());
    LLVMFuzzerTestOneInput(data.data(), data.size());
  }
  std::printf("%zu inputs replayed\n", files.size());
  return 0;
}
