// Test helpers for Windows: the built DLL, loaded as a host loads it.
#include <windows.h>
#undef LoadLibrary  // the Win32 macro, not the helper below

#include <filesystem>

#include "test_support.h"

namespace quillpack_test {
namespace {

// GetProcAddress's result as the function type it really has (through void (*)(), the one
// cast between function types that is not taken for a mistake).
Library::Function Find(HMODULE module, const char *name) {
  return reinterpret_cast<Library::Function>(
      reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

}  // namespace

// The DLL lies beside the test program, where LoadLibraryW looks first. The functions
// take wchar_t paths, which on Windows are the same 16-bit units as char16_t.
const Library &LoadLibrary() {
  static_assert(sizeof(wchar_t) == sizeof(char16_t));
  static const Library library = [] {
    Library l;
    std::wstring name = std::filesystem::path(QUILLPACK_LIBRARY_PATH).filename().wstring();
    HMODULE module = LoadLibraryW(name.c_str());
    if (module == nullptr) return l;
    l.handle = module;
    l.pack = Find(module, "Quillpack");
    l.unpack = Find(module, "Quillunpack");
    return l;
  }();
  return library;
}

}  // namespace quillpack_test
