// QUILLPACK_ASSERT: the library's own invariants, checked in debug and sanitizer builds.
//
// A failed check is a fault in the library, never in its input: hostile paths and containers
// are failures reported by return values. Release builds (NDEBUG) compile the checks out;
// QUILLPACK_ASSERTIONS=1 (the CMake option of that name, on in sanitizer builds) keeps them
// whatever NDEBUG says, and QUILLPACK_ASSERTIONS=0 drops them.
#pragma once

#if !defined(QUILLPACK_ASSERTIONS)
#if defined(NDEBUG)
#define QUILLPACK_ASSERTIONS 0
#else
#define QUILLPACK_ASSERTIONS 1
#endif
#endif

namespace quillpack {

// Prints "quillpack: FILE:LINE: assertion failed: CONDITION" as one line on standard error
// and aborts the process.
[[noreturn]] void PlatformAssertFailed(const char *file, int line, const char *condition);

}  // namespace quillpack

#if QUILLPACK_ASSERTIONS
#define QUILLPACK_ASSERT(condition)   \
  ((condition) ? static_cast<void>(0) \
               : ::quillpack::PlatformAssertFailed(__FILE__, __LINE__, #condition))
#else
// Still compiled, so a check cannot rot and its variables count as used, but never evaluated.
#define QUILLPACK_ASSERT(condition) static_cast<void>(sizeof(!(condition)))
#endif
