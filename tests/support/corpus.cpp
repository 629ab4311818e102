// The corpus: real files that the round trips and the benchmark read.
#include "corpus.h"

#include <algorithm>

#include "files.h"

namespace quillpack_test {

const char kCorpusDir[] = QUILLPACK_CORPUS_DIR;
const char kCorpusMissing[] = "corpus-missing";

std::string CorpusPath(const std::string &name) {
  return std::string(kCorpusDir) + "/" + name;
}

bool ListCorpus(const std::string &folder, std::vector<std::string> *names) {
  if (!ListFolder(folder, names)) return false;
  names->erase(std::remove_if(names->begin(), names->end(),
                              [](const std::string &name) {
                                return name == "README.md" || name == "SHA256SUMS";
                              }),
               names->end());
  return !names->empty();
}

std::vector<std::string> CorpusFiles() {
  std::vector<std::string> names;
  if (!ListCorpus(kCorpusDir, &names)) return {kCorpusMissing};
  return names;
}

}  // namespace quillpack_test
