// An output path turned into a link to the input at the last moment before the call opens
// it, as someone who controls the output's folder can do: the call must find that what it
// opened is its input and refuse, with the input intact.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "codec_calls.h"
#include "platform/fault_injection.h"
#include "test_kit.h"

namespace quillpack_test {
namespace {

namespace fs = std::filesystem;

// The swap the hook makes, once, when the call is about to open `output` for writing.
struct Swap {
  std::string output;
  std::string input;
  bool symbolic;
  bool done;
};

Swap planned;  // read by the hook, which runs on the calling thread inside the call

void SwapInTheInput(const char *path) {
  if (planned.done || planned.output != path) return;
  planned.done = true;
  std::error_code error;
  fs::remove(planned.output, error);
  if (planned.symbolic) {
    fs::create_symlink(planned.input, planned.output, error);
  } else {
    fs::create_hard_link(planned.input, planned.output, error);
  }
  EXPECT_FALSE(error) << error.message();
}

TEST(SameFileRace, AnOutputSwappedForTheInputIsRefused) {
  TempDir dir;
  WriteFile(dir.Path("text"), RandomBytes(6000, 5, 16));
  ASSERT_EQ(Compress(dir.Path("text"), dir.Path("text.qpk")).err, "");
  const struct {
    const char *name;
    bool pack;
    const char *input;
    bool symbolic;
  } cases[] = {
      {"pack, hard link", true, "text", false},
      {"unpack, hard link", false, "text.qpk", false},
#ifndef _WIN32  // making a symbolic link takes a privilege on Windows
      {"pack, symbolic link", true, "text", true},
      {"unpack, symbolic link", false, "text.qpk", true},
#endif
  };
  for (const auto &c : cases) {
    const std::string input = dir.Path(c.input);
    const std::string output = dir.Path("out");
    const Bytes before = ReadFile(input);
    WriteText(output, "an earlier output");
    planned = Swap{output, input, c.symbolic, false};
    quillpack::FaultInjectionReset();
    quillpack::FaultInjectionBeforeOpenForWriting(SwapInTheInput);
    Outcome o = c.pack ? Compress(input, output) : Decompress(input, output);
    quillpack::FaultInjectionReset();
    EXPECT_TRUE(planned.done) << c.name << ": the output was never opened";
    EXPECT_EQ(o.err, "Error: Input and output are the same file '" + input + "'\n") << c.name;
    EXPECT_EQ(o.out, "") << c.name;
    EXPECT_TRUE(ReadFile(input) == before) << c.name;
    std::error_code ignored;
    fs::remove(output, ignored);
  }
}

}  // namespace
}  // namespace quillpack_test
