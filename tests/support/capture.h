// Standard output and standard error caught around one call.
#pragma once

#include <functional>
#include <string>

namespace quillpack_test {

// What one call printed, and what it returned.
struct Outcome {
  int result;
  std::string out;  // standard output
  std::string err;  // standard error
};

// Runs `call` with the process's standard output and standard error (descriptors 1 and 2,
// and the C streams over them) sent to two files, and returns its result and what it
// printed on each. The files are made on the first call and emptied before each later one,
// so tens of thousands of calls stay cheap. Both streams are flushed before and after and
// restored afterwards. Not for two threads at once, though `call` may start threads of its
// own; aborts when the streams cannot be redirected.
Outcome Capture(const std::function<int()> &call);

}  // namespace quillpack_test
