// QUILLPACK_NOINLINE: keeps a function in a frame of its own, out of its callers' frames.
//
// Large locals of functions called one after the other then never share the stack, which a
// compiler that inlines both into their caller would otherwise make them do.
#pragma once

#if defined(__GNUC__) || defined(__clang__)
#define QUILLPACK_NOINLINE __attribute__((noinline))
#elif defined(_MSC_VER)
#define QUILLPACK_NOINLINE __declspec(noinline)
#else
#define QUILLPACK_NOINLINE
#endif
