// The shared library loaded by file name and its two functions found, as a host does it.
#pragma once

#include <string>

#include "quillpack.h"

namespace quillpack_test {

struct Library {
  using Function = decltype(&Quillpack);
  void *handle = nullptr;     // the dlopen handle, or the HMODULE on Windows
  Function pack = nullptr;    // Quillpack
  Function unpack = nullptr;  // Quillunpack
};

// Loads the library at `path` (dlopen; LoadLibraryW on Windows, which looks for a bare file
// name beside the program first) and finds both functions by name. Returns false with
// `*error` set when either step fails; a library that loaded stays loaded in `*library`.
bool OpenLibrary(const std::string &path, Library *library, std::string *error);

// The function a loaded library exports under `name` (on Windows also an ordinal, through
// MAKEINTRESOURCEA), or null.
Library::Function LibraryFunction(const Library &library, const char *name);

// Releases a library that OpenLibrary loaded. Returns true when the system did.
bool CloseLibrary(const Library &library);

// The library this build made (QUILLPACK_LIBRARY_PATH; on Windows its file name alone),
// loaded on first use and kept for the life of the process. Its fields are null where it
// could not be loaded or a function is missing.
const Library &BuiltLibrary();

}  // namespace quillpack_test
