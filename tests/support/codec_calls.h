// The library's two file operations run with their lines caught, for the programs that link
// one of its internal libraries (the kit itself links none, so each program brings its own:
// with fault injection, instrumented for fuzzing, or plain).
#pragma once

#include <string>

#include "capture.h"
#include "codec/codec.h"

namespace quillpack_test {

// CompressFile(in, out) and DecompressFile(in, out), with what they print.
inline Outcome Compress(const std::string &in, const std::string &out) {
  return Capture([&] { return quillpack::CompressFile(in.c_str(), out.c_str()); });
}
inline Outcome Decompress(const std::string &in, const std::string &out) {
  return Capture([&] { return quillpack::DecompressFile(in.c_str(), out.c_str()); });
}

}  // namespace quillpack_test
