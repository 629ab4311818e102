// CompressFile: exact containers, block rules, messages and the state left after failures.
#include <gtest/gtest.h>

#include <filesystem>

#include "codec_calls.h"
#include "platform/fault_injection.h"
#include "test_kit.h"

namespace quillpack_test {
namespace {

using quillpack::CompressFile;

struct Compressed {
  Outcome outcome;
  std::string text;
  Bytes stream;
};

Compressed CompressBytes(const TempDir &dir, const Bytes &input) {
  WriteFile(dir.Path("in"), input);
  Compressed c;
  c.outcome = Compress(dir.Path("in"), dir.Path("out"));
  c.text = ReadTextMode(dir.Path("out"));
  c.stream = HexToBytes(c.text);
  return c;
}

TEST(CompressFile, ExactContainers) {
  const struct {
    std::string input;
    std::string container;
  } cases[] = {
      {"", "51504B01\n"},
      {"a", "51504B010061\n"},
      {"ab", "51504B0100610062\n"},
      {"abcabcabc", "51504B010061006200638003030080030600\n"},
  };
  for (const auto &c : cases) {
    TempDir dir;
    Compressed got = CompressBytes(dir, Bytes(c.input.begin(), c.input.end()));
    EXPECT_EQ(got.outcome.result, 0) << c.input;
    EXPECT_EQ(got.text, c.container) << c.input;
    EXPECT_EQ(got.outcome.err, "");
    EXPECT_EQ(got.outcome.out,
              "Compression successful: '" + dir.Path("in") + "' -> '" + dir.Path("out") + "'\n");
  }
}

TEST(CompressFile, ThousandEqualBytesDoubleTheirMatches) {
  TempDir dir;
  Compressed got = CompressBytes(dir, Bytes(1000, 'x'));
  std::vector<Token> tokens = SplitTokens(got.stream);
  ASSERT_EQ(tokens.size(), 13u);
  const uint32_t lengths[] = {3, 6, 12, 24, 48, 96, 192, 255, 255, 106};
  const uint32_t distances[] = {3, 6, 12, 24, 48, 96, 192, 384, 639, 894};
  for (int i = 0; i < 3; ++i) EXPECT_FALSE(tokens[i].match);
  for (int i = 0; i < 10; ++i) {
    EXPECT_TRUE(tokens[3 + i].match);
    EXPECT_EQ(tokens[3 + i].length, lengths[i]);
    EXPECT_EQ(tokens[3 + i].distance, distances[i]);
  }
}

TEST(CompressFile, TextLinesHoldEightyDigits) {
  TempDir dir;
  Compressed got = CompressBytes(dir, RandomBytes(5000, 7));
  ASSERT_EQ(got.outcome.result, 0);
  size_t start = 0;
  while (start < got.text.size()) {
    size_t end = got.text.find('\n', start);
    ASSERT_NE(end, std::string::npos);
    bool last = end + 1 == got.text.size();
    if (!last) {
      EXPECT_EQ(end - start, 80u);
    }
    EXPECT_GT(end - start, 0u);
    start = end + 1;
  }
}

// No token crosses the end of a 4096-byte block (BrokenWriterRule), so the last two
// positions of a block, too close to its end for a match, are literals; and matches in a
// later block reach back into earlier ones.
TEST(CompressFile, BlocksBoundMatchesButNotTheWindow) {
  for (size_t size : {4095u, 4096u, 4097u, 8194u, 12288u}) {
    TempDir dir;
    Bytes input = Repeating(size, "abcdefgh");
    Compressed got = CompressBytes(dir, input);
    ASSERT_EQ(got.outcome.result, 0);
    PlainRestore replayed = PlainReplay(got.stream);
    EXPECT_TRUE(replayed.ok && replayed.output == input) << size << ": " << replayed.err;
    EXPECT_EQ(BrokenWriterRule(got.stream), "") << size;
    size_t position = 0;
    bool reached_back = false;
    for (const Token &t : SplitTokens(got.stream)) {
      if (t.match && position >= 4096 && position % 4096 < t.distance) reached_back = true;
      position += t.length;
    }
    if (size >= 4096 + 3) {
      EXPECT_TRUE(reached_back) << size;
    }
  }
}

// Token streams past the window restore their input and keep the writer's rules.
TEST(CompressFile, TokenStreamsReplayPastTheWindow) {
  const Bytes inputs[] = {
      RandomBytes(100000, 1, 4),
      RandomBytes(70000, 2, 2),
      Repeating(70001, "abc"),
      RandomBytes(40000, 3),
  };
  for (const Bytes &input : inputs) {
    TempDir dir;
    Compressed got = CompressBytes(dir, input);
    ASSERT_EQ(got.outcome.result, 0);
    PlainRestore replayed = PlainReplay(got.stream);
    EXPECT_TRUE(replayed.ok && replayed.output == input) << replayed.err;
    EXPECT_EQ(BrokenWriterRule(got.stream), "");
  }
}

TEST(CompressFile, FailuresAndWhatTheyLeave) {
  TempDir dir;
  WriteText(dir.Path("in"), "hello hello hello");
  WriteText(dir.Path("keep"), "untouched");
  std::filesystem::create_directory(dir.Path("folder"));
  const std::string in = dir.Path("in");
  const struct {
    const char *name;
    const char *input;
    const char *output;
    std::string err;
    const char *output_after;  // null: the output path must not exist
  } cases[] = {
      {"missing input", "/nonexistent/in", "keep",
       "Error: Cannot open input file '/nonexistent/in'\n", "untouched"},
      {"absent input", nullptr, "keep", "Error: Cannot open input file '(null)'\n", "untouched"},
      {"absent output", "in", nullptr, "Error: Cannot open output file '(null)'\n", nullptr},
      {"output folder missing", "in", "no/such/out",
       "Error: Cannot open output file '" + dir.Path("no/such/out") + "'\n", nullptr},
#ifdef _WIN32
      // Windows refuses to open a folder as a stream; POSIX systems open it and fail the read.
      {"directory input", "folder", "out",
       "Error: Cannot open input file '" + dir.Path("folder") + "'\n", nullptr},
#else
      {"directory input", "folder", "out",
       "Error: Failed to read input file '" + dir.Path("folder") + "'\n", ""},
#endif
      {"same file", "in", "in", "Error: Input and output are the same file '" + in + "'\n",
       "hello hello hello"},
#ifndef _WIN32  // Windows has no device that is always full
      {"full disk", "in", "/dev/full", "Error: Failed to encode compressed data\n", nullptr},
#endif
  };
  for (const auto &c : cases) {
    auto path = [&](const char *p) -> std::string {
      if (p == nullptr) return "";
      return p[0] == '/' ? std::string(p) : dir.Path(p);
    };
    std::string input = path(c.input), output = path(c.output);
    Outcome o = Capture([&] {
      return CompressFile(c.input ? input.c_str() : nullptr, c.output ? output.c_str() : nullptr);
    });
    EXPECT_EQ(o.result, 1) << c.name;
    EXPECT_EQ(o.err, c.err) << c.name;
    EXPECT_EQ(o.out, "") << c.name;
    if (c.output != nullptr && output != "/dev/full") {
      if (c.output_after == nullptr) {
        EXPECT_FALSE(FileExists(output)) << c.name;
      } else {
        EXPECT_EQ(ReadText(output), c.output_after) << c.name;
      }
    }
  }
}

TEST(CompressFile, MemoryFailuresLeaveAnEmptyOutput) {
  TempDir dir;
  WriteFile(dir.Path("in"), RandomBytes(20000, 5));  // needs the token buffer to grow
  const struct {
    uint64_t nth;  // allocation that fails: 1 and 2 create the buffer, later ones grow it
    const char *err;
  } cases[] = {
      {1, "Error: Memory allocation failed\n"},
      {2, "Error: Memory allocation failed\n"},
      {4, "Error: Buffer allocation failed\n"},
      {5, "Error: Buffer allocation failed\n"},
  };
  for (const auto &c : cases) {
    quillpack::FaultInjectionReset();
    quillpack::FaultInjectionArm(quillpack::kFaultAlloc, c.nth);
    Outcome o = Compress(dir.Path("in"), dir.Path("out"));
    EXPECT_TRUE(quillpack::FaultInjectionFired()) << c.nth;
    EXPECT_EQ(quillpack::FaultInjectionLiveBlocks(), 0) << c.nth;
    quillpack::FaultInjectionReset();
    EXPECT_EQ(o.result, 1) << c.nth;
    EXPECT_EQ(o.err, c.err) << c.nth;
    EXPECT_EQ(o.out, "");
    EXPECT_TRUE(FileExists(dir.Path("out")));
    EXPECT_EQ(ReadFile(dir.Path("out")).size(), 0u) << c.nth;
  }
}

// The match finder only speeds the search up: without memory for it the compressor falls
// back to the small finder, and without that to the plain scan, and writes the same container.
TEST(CompressFile, WithoutTheFindersMemoryTheContainerIsTheSame) {
  TempDir dir;
  Bytes input = RandomBytes(3000, 6, 4);
  for (int copy = 0; copy < 3; ++copy)
    input.insert(input.end(), input.begin(), input.begin() + 2500);
  input.insert(input.end(), 700, 'r');
  WriteFile(dir.Path("in"), input);
  quillpack::FaultInjectionReset();
  ASSERT_EQ(Compress(dir.Path("in"), dir.Path("want")).result, 0);
  const uint64_t clean_allocations = quillpack::FaultInjectionEvents(quillpack::kFaultAlloc);
  const Bytes want = ReadFile(dir.Path("want"));
  // Allocations 1 and 2 create the token buffer; 3 is the full finder, 4 the small one.
  for (uint64_t lost : {1, 2}) {
    quillpack::FaultInjectionReset();
    quillpack::FaultInjectionArm(quillpack::kFaultAlloc, 3, lost);
    Outcome o = Compress(dir.Path("in"), dir.Path("out"));
    EXPECT_TRUE(quillpack::FaultInjectionFired()) << lost;
    // The one extra allocation is the small finder, tried once the full one is lost.
    EXPECT_EQ(quillpack::FaultInjectionEvents(quillpack::kFaultAlloc), clean_allocations + 1);
    EXPECT_EQ(quillpack::FaultInjectionLiveBlocks(), 0) << lost;
    quillpack::FaultInjectionReset();
    EXPECT_EQ(o.result, 0) << lost << ": " << o.err;
    EXPECT_EQ(o.err, "");
    EXPECT_TRUE(ReadFile(dir.Path("out")) == want) << lost << " finder allocations lost";
  }
}

}  // namespace
}  // namespace quillpack_test
