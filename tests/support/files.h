// Whole files read and written in one piece, and the names in a folder.
#pragma once

#include <string>
#include <vector>

#include "bytes.h"

namespace quillpack_test {

// Creates or truncates `path` and writes `bytes` to it in binary mode. Returns true when
// every byte reached the file and it closed cleanly; a failure may leave part of the file.
bool WriteFile(const std::string &path, const Bytes &bytes);
bool WriteText(const std::string &path, const std::string &text);

// The bytes of `path`, read in binary mode; empty when it cannot be opened.
Bytes ReadFile(const std::string &path);
std::string ReadText(const std::string &path);

// A file written in text mode, its line ends turned back into LF: on Windows each CR LF
// becomes LF; elsewhere the same as ReadText.
std::string ReadTextMode(const std::string &path);

// True when `path` names anything (file, folder or device).
bool FileExists(const std::string &path);

// The names in `folder` that do not begin with '.', sorted. Returns false, with `names`
// empty, when the folder cannot be opened or a read of it fails.
bool ListFolder(const std::string &folder, std::vector<std::string> *names);

}  // namespace quillpack_test
