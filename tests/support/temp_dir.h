// A fresh folder under the system's temporary folder, removed with everything in it.
#pragma once

#include <string>

namespace quillpack_test {

// Made on construction under the system's temporary folder (TMPDIR on POSIX systems, TEMP
// on Windows; the working folder when there is none), removed with its contents on
// destruction. Aborts when no folder can be made, as nothing could be tested then.
struct TempDir {
  TempDir();
  ~TempDir();
  TempDir(const TempDir &) = delete;
  TempDir &operator=(const TempDir &) = delete;
  // The path of `name` inside the folder, '/' between them.
  std::string Path(const std::string &name) const { return path + "/" + name; }
  std::string path;
};

}  // namespace quillpack_test
