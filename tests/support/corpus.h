// The corpus: real files that the round trips and the benchmark read.
#pragma once

#include <string>
#include <vector>

namespace quillpack_test {

// The corpus folder this build was given (QUILLPACK_CORPUS_DIR).
extern const char kCorpusDir[];

// The path of the corpus file `name`.
std::string CorpusPath(const std::string &name);

// The names of the corpus files in `folder`, sorted: every name but the folder's own
// README.md and SHA256SUMS. False when the folder cannot be listed or holds no file.
bool ListCorpus(const std::string &folder, std::vector<std::string> *names);

// The corpus files' names of kCorpusDir. When the folder cannot be listed the list holds
// the one name kCorpusMissing, so that tests built over it fail instead of vanishing.
std::vector<std::string> CorpusFiles();
extern const char kCorpusMissing[];

// The names to build one test per corpus file over: those of CorpusFiles() and those the
// folder held when the tests were built, sorted, so that a test whose file has gone since
// still runs (and skips or fails) rather than match nothing. kCorpusMissing alone when
// there are none of either.
std::vector<std::string> CorpusTestNames();

}  // namespace quillpack_test
