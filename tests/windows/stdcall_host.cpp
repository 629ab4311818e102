// A host built with stdcall as its default calling convention (-mrtd; 32-bit x86 only).
#include <type_traits>

#include "quillpack.h"

// The header states the exports' convention, so their type stays __cdecl here, where an
// unmarked function type is stdcall.
static_assert(
    std::is_same_v<decltype(&Quillpack), int32_t(__cdecl *)(const wchar_t *, const wchar_t *)>);
static_assert(std::is_same_v<decltype(&Quillpack), decltype(&Quillunpack)>);

// Calls the export found by GetProcAddress as this host's compiler understands its
// declaration, and returns its result.
extern "C" int32_t __cdecl PackFromStdcallHost(void (*found)(), const wchar_t *input,
                                               const wchar_t *output) {
  auto pack = reinterpret_cast<decltype(&Quillpack)>(found);
  return pack(input, output);
}
