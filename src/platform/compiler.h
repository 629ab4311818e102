// Compiler attributes and hints, each guarded here so that any C++20 compiler takes the code.
#pragma once

// QUILLPACK_NOINLINE: keeps a function in a frame of its own, out of its callers' frames.
// Large locals of functions called one after the other then never share the stack, which a
// compiler that inlines both into their caller would otherwise make them do.
#if defined(__GNUC__) || defined(__clang__)
#define QUILLPACK_NOINLINE __attribute__((noinline))
#elif defined(_MSC_VER)
#define QUILLPACK_NOINLINE __declspec(noinline)
#else
#define QUILLPACK_NOINLINE
#endif

// QUILLPACK_PRINTF_FORMAT(format_index, first_argument): the function's parameter
// `format_index` (counted from 1) is a printf-style format whose arguments start at
// `first_argument`, so the compiler checks every call's arguments against it.
#if defined(__GNUC__) || defined(__clang__)
#define QUILLPACK_PRINTF_FORMAT(format_index, first_argument) \
  __attribute__((format(printf, format_index, first_argument)))
#else
#define QUILLPACK_PRINTF_FORMAT(format_index, first_argument)
#endif

// QUILLPACK_PREFETCH(address): a hint that `address` will be read soon; never faults, and
// does nothing where the compiler offers no such hint.
#if defined(__GNUC__) || defined(__clang__)
#define QUILLPACK_PREFETCH(address) __builtin_prefetch(address)
#else
#define QUILLPACK_PREFETCH(address) ((void)(address))
#endif

// QUILLPACK_WASM_EXPORT(name): a WebAssembly module exports the function under `name`; no
// effect in other builds.
#if defined(__wasm__)
#define QUILLPACK_WASM_EXPORT(name) __attribute__((export_name(name)))
#else
#define QUILLPACK_WASM_EXPORT(name)
#endif
