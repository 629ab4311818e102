// Helpers shared by the tests.
#include "test_support.h"

#include <dirent.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>

namespace quillpack_test {

TempDir::TempDir() {
  namespace fs = std::filesystem;
  std::error_code error;
  fs::path base = fs::temp_directory_path(error);  // TMPDIR on POSIX systems, TEMP on Windows
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
  std::abort();
}

TempDir::~TempDir() {
  std::error_code error;
  std::filesystem::remove_all(path, error);
  if (error) std::fprintf(stderr, "cannot remove %s\n", path.c_str());
}

void WriteFile(const std::string &path, const Bytes &bytes) {
  std::ofstream f(path, std::ios::binary);
  f.write(reinterpret_cast<const char *>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

void WriteText(const std::string &path, const std::string &text) {
  WriteFile(path, Bytes(text.begin(), text.end()));
}

Bytes ReadFile(const std::string &path) {
  std::ifstream f(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

std::string ReadText(const std::string &path) {
  Bytes b = ReadFile(path);
  return std::string(b.begin(), b.end());
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

Outcome Capture(const std::function<int()> &call) {
  testing::internal::CaptureStdout();
  testing::internal::CaptureStderr();
  int result = call();
  std::fflush(stdout);
  std::fflush(stderr);
  Outcome o;
  o.result = result;
  o.out = testing::internal::GetCapturedStdout();
  o.err = testing::internal::GetCapturedStderr();
  return o;
}

Bytes RandomBytes(size_t size, uint32_t seed, int alphabet) {
  std::mt19937 rng(seed);
  Bytes b(size);
  for (auto &x : b) x = static_cast<uint8_t>(rng() % static_cast<uint32_t>(alphabet));
  return b;
}

Bytes Repeating(size_t size, const std::string &pattern) {
  Bytes b(size);
  for (size_t i = 0; i < size; ++i) b[i] = static_cast<uint8_t>(pattern[i % pattern.size()]);
  return b;
}

std::string CorpusPath(const std::string &name) {
  return std::string(QUILLPACK_CORPUS_DIR) + "/" + name;
}

const char kCorpusMissing[] = "corpus-missing";

std::vector<std::string> CorpusFiles() {
  std::vector<std::string> names;
  DIR *dir = opendir(QUILLPACK_CORPUS_DIR);
  if (dir == nullptr) return {kCorpusMissing};
  // A failed read ends the listing like its end does; only errno tells them apart (a
  // 32-bit build without 64-bit file offsets fails here with EOVERFLOW).
  for (;;) {
    errno = 0;
    dirent *e = readdir(dir);
    if (e == nullptr) break;
    std::string name = e->d_name;
    if (name == "." || name == ".." || name == "README.md" || name == "SHA256SUMS") continue;
    names.push_back(name);
  }
  bool failed = errno != 0;
  closedir(dir);
  if (failed || names.empty()) return {kCorpusMissing};
  std::sort(names.begin(), names.end());
  return names;
}

bool ReplayTokens(const Bytes &tokens, Bytes *restored) {
  restored->clear();
  if (tokens.size() < 4 || tokens[0] != 'Q' || tokens[1] != 'P' || tokens[2] != 'K' ||
      tokens[3] != 1)
    return false;
  size_t i = 4;
  while (i < tokens.size()) {
    if (tokens[i] == 0x00 && i + 1 < tokens.size()) {
      restored->push_back(tokens[i + 1]);
      i += 2;
    } else if (tokens[i] == 0x80 && i + 3 < tokens.size()) {
      size_t length = tokens[i + 1];
      size_t distance = tokens[i + 2] | tokens[i + 3] << 8;
      if (distance == 0 || distance > 32768 || distance > restored->size()) return false;
      for (size_t k = 0; k < length; ++k)
        restored->push_back((*restored)[restored->size() - distance]);
      i += 4;
    } else {
      return false;
    }
  }
  return true;
}

Bytes HexToBytes(const std::string &text) {
  Bytes out;
  int high = -1;
  for (char c : text) {
    if (c == '\n' || c == '\r' || c == ' ' || c == '\t') continue;
    int v = std::isdigit(static_cast<unsigned char>(c)) ? c - '0' : (std::toupper(c) - 'A' + 10);
    if (high < 0) {
      high = v;
    } else {
      out.push_back(static_cast<uint8_t>(high << 4 | v));
      high = -1;
    }
  }
  return out;
}

}  // namespace quillpack_test

#ifndef _WIN32
#include <dlfcn.h>
#endif

namespace quillpack_test {

#ifndef _WIN32
const Library &LoadLibrary() {
  static const Library library = [] {
    Library l;
    l.handle = dlopen(QUILLPACK_LIBRARY_PATH, RTLD_NOW | RTLD_LOCAL);
    if (l.handle == nullptr) return l;
    l.pack = reinterpret_cast<Library::Function>(dlsym(l.handle, "Quillpack"));
    l.unpack = reinterpret_cast<Library::Function>(dlsym(l.handle, "Quillunpack"));
    return l;
  }();
  return library;
}
#endif  // Windows: test_support_win32.cpp

std::u16string Utf16(const std::string &utf8) {
  std::u16string out;
  for (size_t i = 0; i < utf8.size();) {
    auto c = static_cast<unsigned char>(utf8[i]);
    uint32_t code;
    int extra = c < 0x80 ? 0 : c < 0xE0 ? 1 : c < 0xF0 ? 2 : 3;
    code = extra == 0 ? c : extra == 1 ? c & 0x1F : extra == 2 ? c & 0x0F : c & 0x07;
    for (int k = 1; k <= extra; ++k)
      code = code << 6 | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
    i += static_cast<size_t>(extra) + 1;
    if (code >= 0x10000) {
      code -= 0x10000;
      out.push_back(static_cast<char16_t>(0xD800 + (code >> 10)));
      out.push_back(static_cast<char16_t>(0xDC00 + (code & 0x3FF)));
    } else {
      out.push_back(static_cast<char16_t>(code));
    }
  }
  return out;
}

}  // namespace quillpack_test
