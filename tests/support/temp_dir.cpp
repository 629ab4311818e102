// A fresh folder under the system's temporary folder, removed with everything in it.
#include "temp_dir.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>

namespace quillpack_test {

TempDir::TempDir() {
  namespace fs = std::filesystem;
  std::error_code error;
  fs::path base = fs::temp_directory_path(error);
  if (error) base = ".";
  std::random_device seed;
  std::mt19937 rng(seed());
  for (int attempt = 0; attempt < 100; ++attempt) {
    fs::path candidate = base / ("quillpack-test-" + std::to_string(rng()));
    if (fs::create_directory(candidate, error)) {
      path = candidate.generic_string();
      return;
    }
  }
  std::fprintf(stderr, "cannot make a folder under %s\n", base.generic_string().c_str());
  std::abort();
}

TempDir::~TempDir() {
  std::error_code error;
  std::filesystem::remove_all(path, error);
  if (error) std::fprintf(stderr, "cannot remove %s\n", path.c_str());
}

}  // namespace quillpack_test
