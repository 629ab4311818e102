// Helpers shared by the tests: temporary folders, whole-file I/O, captured output.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace quillpack_test {

using Bytes = std::vector<uint8_t>;

// A fresh folder under the system's temporary folder, removed with its contents.
struct TempDir {
  TempDir();
  ~TempDir();
  TempDir(const TempDir &) = delete;
  TempDir &operator=(const TempDir &) = delete;
  std::string Path(const std::string &name) const { return path + "/" + name; }
  std::string path;
};

void WriteFile(const std::string &path, const Bytes &bytes);
void WriteText(const std::string &path, const std::string &text);
Bytes ReadFile(const std::string &path);  // empty if missing
std::string ReadText(const std::string &path);
// A file written in text mode, its line ends turned back into LF: on Windows each CR LF
// becomes LF; elsewhere the same as ReadText.
std::string ReadTextMode(const std::string &path);
bool FileExists(const std::string &path);

// What one call printed, and what it returned.
struct Outcome {
  int result;
  std::string out;  // standard output
  std::string err;  // standard error
};

// Runs `call` with standard output and standard error captured.
Outcome Capture(const std::function<int()> &call);

// Generated inputs of the shapes that stress a coder, reproducible from `seed`.
Bytes RandomBytes(size_t size, uint32_t seed, int alphabet = 256);
Bytes Repeating(size_t size, const std::string &pattern);

// The path of the corpus file `name` (QUILLPACK_CORPUS_DIR).
std::string CorpusPath(const std::string &name);

// The corpus files' names, sorted. When the corpus folder cannot be listed (it is missing,
// empty, or a read of it fails) the list holds the one name kCorpusMissing, so that tests
// built over it fail instead of vanishing.
std::vector<std::string> CorpusFiles();
extern const char kCorpusMissing[];

// The bytes a token stream stands for, replayed independently of the library's decoder.
// Returns false if the stream is not well formed.
bool ReplayTokens(const Bytes &tokens, Bytes *restored);

// The token stream a container's hex text carries (white space skipped).
Bytes HexToBytes(const std::string &text);

}  // namespace quillpack_test

namespace quillpack_test {

// The built shared library, loaded by file name as a host loads it.
struct Library {
  using Function = int32_t (*)(const char16_t *, const char16_t *);
  void *handle = nullptr;
  Function pack = nullptr;    // Quillpack
  Function unpack = nullptr;  // Quillunpack
};

// Loads the library once per process (dlopen) and looks up both functions by name.
const Library &LoadLibrary();

// UTF-8 to UTF-16, for paths handed to the exported functions.
std::u16string Utf16(const std::string &utf8);

}  // namespace quillpack_test
