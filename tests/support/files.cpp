// Whole files read and written in one piece, and the names in a folder.
#include "files.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>

namespace quillpack_test {

bool WriteFile(const std::string &path, const Bytes &bytes) {
  std::FILE *f = std::fopen(path.c_str(), "wb");
  if (f == nullptr) return false;
  bool written = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  return std::fclose(f) == 0 && written;
}

bool WriteText(const std::string &path, const std::string &text) {
  return WriteFile(path, Bytes(text.begin(), text.end()));
}

Bytes ReadFile(const std::string &path) {
  Bytes bytes;
  std::FILE *f = std::fopen(path.c_str(), "rb");
  if (f == nullptr) return bytes;
  constexpr size_t kChunk = 1 << 16;
  for (size_t got = kChunk; got == kChunk;) {
    size_t used = bytes.size();
    bytes.resize(used + kChunk);
    got = std::fread(bytes.data() + used, 1, kChunk, f);
    bytes.resize(used + got);
  }
  std::fclose(f);
  return bytes;
}

std::string ReadText(const std::string &path) {
  Bytes bytes = ReadFile(path);
  return std::string(bytes.begin(), bytes.end());
}

std::string ReadTextMode(const std::string &path) {
  std::string text = ReadText(path);
#ifdef _WIN32
  std::string lf;
  for (size_t i = 0; i < text.size(); ++i)
    if (!(text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')) lf.push_back(text[i]);
  text = lf;
#endif
  return text;
}

bool FileExists(const std::string &path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0;
}

bool ListFolder(const std::string &folder, std::vector<std::string> *names) {
  names->clear();
  DIR *dir = opendir(folder.c_str());
  if (dir == nullptr) return false;
  // A failed read ends the listing as its end does; only errno tells them apart (a 32-bit
  // build without 64-bit file offsets fails here with EOVERFLOW).
  for (;;) {
    errno = 0;
    dirent *entry = readdir(dir);
    if (entry == nullptr) break;
    if (entry->d_name[0] != '.') names->push_back(entry->d_name);
  }
  bool failed = errno != 0;
  closedir(dir);
  if (failed) names->clear();
  std::sort(names->begin(), names->end());
  return !failed;
}

}  // namespace quillpack_test
