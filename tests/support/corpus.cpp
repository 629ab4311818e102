// The corpus: real files that the round trips and the benchmark read.
#include "corpus.h"

#include <algorithm>
#include <string>
#include <vector>

#include "files.h"

namespace quillpack_test {

const char kCorpusDir[] = QUILLPACK_CORPUS_DIR;
const char kCorpusMissing[] = "corpus-missing";

std::string CorpusPath(const std::string &name) {
  return std::string(kCorpusDir) + "/" + name;
}

namespace {

// Drops the folder's own files from a list of its names.
void KeepCorpusFiles(std::vector<std::string> *names) {
  names->erase(std::remove_if(names->begin(), names->end(),
                              [](const std::string &name) {
                                return name.empty() || name[0] == '.' || name == "README.md" ||
                                       name == "SHA256SUMS";
                              }),
               names->end());
}

}  // namespace

bool ListCorpus(const std::string &folder, std::vector<std::string> *names) {
  if (!ListFolder(folder, names)) return false;
  KeepCorpusFiles(names);
  return !names->empty();
}

std::vector<std::string> CorpusFiles() {
  std::vector<std::string> names;
  if (!ListCorpus(kCorpusDir, &names)) return {kCorpusMissing};
  return names;
}

std::vector<std::string> CorpusTestNames() {
  std::vector<std::string> names;
  static_cast<void>(ListCorpus(kCorpusDir, &names));
  const std::string built = QUILLPACK_CORPUS_BUILT;
  for (size_t at = 0; at < built.size();) {
    size_t slash = std::min(built.find('/', at), built.size());
    names.push_back(built.substr(at, slash - at));
    at = slash + 1;
  }
  KeepCorpusFiles(&names);
  std::sort(names.begin(), names.end());
  names.erase(std::unique(names.begin(), names.end()), names.end());
  if (names.empty()) names.push_back(kCorpusMissing);
  return names;
}

}  // namespace quillpack_test
