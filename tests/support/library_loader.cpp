// The shared library loaded by file name and its two functions found, as a host does it.
#include "library_loader.h"

#include "utf16.h"

#ifdef _WIN32
#include <windows.h>

#include <filesystem>
#else
#include <dlfcn.h>
#endif

namespace quillpack_test {
namespace {

#ifdef _WIN32
void *Load(const std::string &path, std::string *error) {
  HostPath wide = Utf16(path);
  HMODULE module = LoadLibraryW(wide.c_str());
  if (module == nullptr) *error = "LoadLibraryW failed with " + std::to_string(GetLastError());
  return module;
}

// GetProcAddress's result as the function type it really has (through void (*)(), the one
// cast between function types that is not taken for a mistake).
Library::Function FindIn(void *handle, const char *name) {
  return reinterpret_cast<Library::Function>(
      reinterpret_cast<void (*)()>(GetProcAddress(static_cast<HMODULE>(handle), name)));
}
#else
// Bound lazily, as most hosts load it: each symbol on its first call, on the calling thread's
// stack, which the stack test measures.
void *Load(const std::string &path, std::string *error) {
  void *handle = dlopen(path.c_str(), RTLD_LAZY | RTLD_LOCAL);
  if (handle == nullptr) *error = dlerror();
  return handle;
}

Library::Function FindIn(void *handle, const char *name) {
  return reinterpret_cast<Library::Function>(dlsym(handle, name));
}
#endif

}  // namespace

Library::Function LibraryFunction(const Library &library, const char *name) {
  return library.handle == nullptr ? nullptr : FindIn(library.handle, name);
}

bool OpenLibrary(const std::string &path, Library *library, std::string *error) {
  *library = Library();
  library->handle = Load(path, error);
  if (library->handle == nullptr) return false;
  library->pack = FindIn(library->handle, "Quillpack");
  library->unpack = FindIn(library->handle, "Quillunpack");
  if (library->pack != nullptr && library->unpack != nullptr) return true;
  *error = "Quillpack or Quillunpack not exported by " + path;
  return false;
}

bool CloseLibrary(const Library &library) {
#ifdef _WIN32
  return FreeLibrary(static_cast<HMODULE>(library.handle)) != 0;
#else
  return dlclose(library.handle) == 0;
#endif
}

const Library &BuiltLibrary() {
  static const Library library = [] {
    std::string path = QUILLPACK_LIBRARY_PATH;
#ifdef _WIN32
    path = std::filesystem::path(path).filename().string();
#endif
    Library loaded;
    std::string error;
    OpenLibrary(path, &loaded, &error);
    return loaded;
  }();
  return library;
}

}  // namespace quillpack_test
