// DecompressFile: token replay, every failure's lines, and what the output holds afterwards.
#include <gtest/gtest.h>

#include "codec_calls.h"
#include "platform/fault_injection.h"
#include "test_kit.h"

namespace quillpack_test {
namespace {

using quillpack::DecompressFile;

// `n` literal tokens of bytes 'a' + i % 26, as hex text.
std::string Literals(size_t n) {
  Bytes tokens;
  for (size_t i = 0; i < n; ++i) AddLiteral(&tokens, static_cast<uint8_t>('a' + i % 26));
  return PlainArmour(tokens);
}

std::string LiteralBytes(size_t n) {
  std::string s;
  for (size_t i = 0; i < n; ++i) s += static_cast<char>('a' + i % 26);
  return s;
}

struct Restored {
  Outcome outcome;
  std::string output;
};

Restored Restore(const TempDir &dir, const std::string &container_text) {
  WriteText(dir.Path("in.qpk"), container_text);
  Restored r;
  r.outcome = Decompress(dir.Path("in.qpk"), dir.Path("out"));
  r.output = ReadText(dir.Path("out"));
  return r;
}

TEST(DecompressFile, ReplaysTokens) {
  const struct {
    std::string text;
    std::string output;
  } cases[] = {
      {"51504B01\n", ""},
      {"51504B01", ""},
      {"51504B010061006200638003030080030600\n", "abcabcabc"},
      {"51504b01 0061 0062 0063 8003 0300 8003 0600\r\n", "abcabcabc"},
      {"5\n1\n5\n0\n4\nB\n0\n1\n\n\n0061\r\n800501\t00",
       "aaaaaa"},  // a match longer than its distance
      {"51504B01"
       "0061"
       "80000000"
       "0062",
       "ab"},  // an empty match passes
      {"51504B01"
       "0061"
       "0062"
       "800102"
       "00"
       "800203"
       "00",
       "abaab"},  // lengths 1 and 2 replay too
      {"51504B01" + Literals(5000), LiteralBytes(5000)},
  };
  for (const auto &c : cases) {
    TempDir dir;
    Restored r = Restore(dir, c.text);
    EXPECT_EQ(r.outcome.result, 0) << c.text.substr(0, 60);
    EXPECT_EQ(r.outcome.err, "") << c.text.substr(0, 60);
    EXPECT_EQ(r.output, c.output) << c.text.substr(0, 60);
    EXPECT_EQ(r.outcome.out, "Decompression successful: '" + dir.Path("in.qpk") + "' -> '" +
                                 dir.Path("out") + "'\n");
  }
}

// Every malformed container: its lines, no success line, and the output's size afterwards
// (whole 4096-byte blocks written before a failure in replay stay; staged bytes do not).
TEST(DecompressFile, RefusesMalformedContainers) {
  const std::string kInvalidHex = "Error: Invalid Hex data\n";
  const std::string kFormat = "Error: Invalid compressed file format\n";
  const std::string kDistance = "Error: Invalid match distance\n";
  const struct {
    const char *name;
    std::string text;
    std::string err;
    size_t output_size;
  } cases[] = {
      {"odd digit count", "51504B010", "Error: Incomplete hex pair\n" + kInvalidHex, 0},
      {"bad character", "51504B01zz", "Error: Invalid hex character\n" + kInvalidHex, 0},
      {"empty file", "", kFormat, 0},
      {"three bytes", "51504B", kFormat, 0},
      {"version 2", "51504B02", kFormat, 0},
      {"wrong magic", "51504C01", kFormat, 0},
      {"literal cut off", "51504B0100", "Error: Unexpected end of file reading literal\n", 0},
      {"match cut off", "51504B0100618003", "Error: Unexpected end of file reading match\n", 0},
      {"match cut off late", "51504B010061800301", "Error: Unexpected end of file reading match\n",
       0},
      {"first token a match", "51504B0180030100", kDistance, 0},
      {"distance 0",
       "51504B01006100628001"
       "0000",
       kDistance, 0},
      {"distance past the window",
       "51504B0100610062800103"
       "00",
       kDistance, 0},
      {"kind 0x01", "51504B01006101", "Error: Invalid token type: 0x01\n", 0},
      {"kind 0xFF", "51504B01FF", "Error: Invalid token type: 0xFF\n", 0},
      {"fault after 1 block", "51504B01" + Literals(5000) + "01",
       "Error: Invalid token type: 0x01\n", 4096},
      {"fault after 2 blocks",
       "51504B01" + Literals(8192) +
           "800100"
           "00",
       kDistance, 8192},
      {"fault before block 3", "51504B01" + Literals(12287) + "00",
       "Error: Unexpected end of file reading literal\n", 8192},
  };
  for (const auto &c : cases) {
    TempDir dir;
    Restored r = Restore(dir, c.text);
    EXPECT_EQ(r.outcome.result, 1) << c.name;
    EXPECT_EQ(r.outcome.err, c.err) << c.name;
    EXPECT_EQ(r.outcome.out, "") << c.name;
    EXPECT_TRUE(FileExists(dir.Path("out"))) << c.name;
    EXPECT_EQ(r.output.size(), c.output_size) << c.name;
    EXPECT_EQ(r.output, LiteralBytes(c.output_size)) << c.name;
  }
}

TEST(DecompressFile, FailuresAroundTheFiles) {
  TempDir dir;
  WriteText(dir.Path("in.qpk"), "51504B01" + Literals(9000));
  WriteText(dir.Path("keep"), "untouched");
  const std::string in = dir.Path("in.qpk");
  const struct {
    const char *name;
    const char *input;
    const char *output;
    std::string err;
  } cases[] = {
      {"missing input", "/nonexistent.qpk", "keep",
       "Error: Cannot open input file '/nonexistent.qpk'\n"},
      {"absent input", nullptr, "keep", "Error: Cannot open input file '(null)'\n"},
      {"absent output", "in.qpk", nullptr, "Error: Cannot open output file '(null)'\n"},
      {"same file", "in.qpk", "in.qpk", "Error: Input and output are the same file '" + in + "'\n"},
      {"full disk", "in.qpk", "/dev/full", "Error: Failed to write decompressed data\n"},
  };
  for (const auto &c : cases) {
    auto path = [&](const char *p) { return p[0] == '/' ? std::string(p) : dir.Path(p); };
    std::string input = c.input ? path(c.input) : "", output = c.output ? path(c.output) : "";
    Outcome o = Capture([&] {
      return DecompressFile(c.input ? input.c_str() : nullptr, c.output ? output.c_str() : nullptr);
    });
    EXPECT_EQ(o.result, 1) << c.name;
    EXPECT_EQ(o.err, c.err) << c.name;
    EXPECT_EQ(o.out, "") << c.name;
  }
  EXPECT_EQ(ReadText(dir.Path("keep")), "untouched");
  EXPECT_EQ(ReadText(in), "51504B01" + Literals(9000));
}

// A block write that delivers fewer bytes ends the replay; only the earlier whole blocks stay.
TEST(DecompressFile, ShortWritesKeepEarlierBlocks) {
  TempDir dir;
  WriteText(dir.Path("in.qpk"), "51504B01" + Literals(9000));
  const struct {
    uint64_t failing_byte;
    size_t kept;  // bytes in the file afterwards: the whole blocks before the short write
  } cases[] = {{1, 0}, {4096, 0}, {4097, 4096}, {8193, 8192}, {9000, 8192}};
  for (const auto &c : cases) {
    quillpack::FaultInjectionReset();
    quillpack::FaultInjectionArm(quillpack::kFaultWrite, c.failing_byte);
    Outcome o = Decompress(dir.Path("in.qpk"), dir.Path("out"));
    EXPECT_TRUE(quillpack::FaultInjectionFired());
    EXPECT_EQ(quillpack::FaultInjectionLiveBlocks(), 0);
    quillpack::FaultInjectionReset();
    EXPECT_EQ(o.result, 1) << c.failing_byte;
    EXPECT_EQ(o.err, "Error: Failed to write decompressed data\n") << c.failing_byte;
    EXPECT_EQ(ReadText(dir.Path("out")), LiteralBytes(c.kept)) << c.failing_byte;
  }
}

TEST(DecompressFile, MemoryFailures) {
  TempDir dir;
  WriteText(dir.Path("in.qpk"), "51504B01" + Literals(5000));  // the buffer must grow once
  const struct {
    uint64_t nth;
    const char *err;
  } cases[] = {{1, "Error: Memory allocation failed\n"},
               {2, "Error: Memory allocation failed\n"},
               {3, "Error: Invalid Hex data\n"}};
  for (const auto &c : cases) {
    quillpack::FaultInjectionReset();
    quillpack::FaultInjectionArm(quillpack::kFaultAlloc, c.nth);
    Outcome o = Decompress(dir.Path("in.qpk"), dir.Path("out"));
    EXPECT_TRUE(quillpack::FaultInjectionFired()) << c.nth;
    EXPECT_EQ(quillpack::FaultInjectionLiveBlocks(), 0) << c.nth;
    quillpack::FaultInjectionReset();
    EXPECT_EQ(o.result, 1);
    EXPECT_EQ(o.err, c.err) << c.nth;
    EXPECT_TRUE(FileExists(dir.Path("out")));
    EXPECT_EQ(ReadText(dir.Path("out")), "");
  }
}

}  // namespace
}  // namespace quillpack_test
