// Round trips: every file restores byte for byte, whatever its size and shape.
#include <gtest/gtest.h>

#include "codec/codec.h"
#include "test_support.h"

namespace quillpack_test {
namespace {

void ExpectRoundTrip(const std::string &input_path, const std::string &label) {
  TempDir dir;
  Outcome packed = Capture(
      [&] { return quillpack::CompressFile(input_path.c_str(), dir.Path("c.qpk").c_str()); });
  ASSERT_EQ(packed.result, 0) << label << ": " << packed.err;
  Outcome unpacked = Capture(
      [&] { return quillpack::DecompressFile(dir.Path("c.qpk").c_str(), dir.Path("r").c_str()); });
  ASSERT_EQ(unpacked.result, 0) << label << ": " << unpacked.err;
  EXPECT_TRUE(ReadFile(input_path) == ReadFile(dir.Path("r"))) << label;
}

Bytes Shape(const std::string &shape, size_t size) {
  if (shape == "random") return RandomBytes(size, static_cast<uint32_t>(size));
  if (shape == "two letters") return RandomBytes(size, static_cast<uint32_t>(size), 2);
  if (shape == "one byte") return Bytes(size, 0);
  if (shape == "period 2") return Repeating(size, "ab");
  if (shape == "period 3") return Repeating(size, "xyz");
  if (shape == "text") return Repeating(size, "the quick brown fox jumps over the lazy dog; ");
  Bytes b;  // "runs": runs of growing length, each of a new byte
  for (size_t run = 1; b.size() < size; ++run)
    b.insert(b.end(), std::min(run % 300 + 1, size - b.size()), static_cast<uint8_t>(run));
  // "repeated blocks": each 4096-byte block repeats the previous one with one change
  if (shape == "repeated blocks") {
    b = RandomBytes(std::min<size_t>(size, 4096), 11);
    while (b.size() < size) {
      size_t start = b.size() - std::min<size_t>(b.size(), 4096);
      Bytes next(b.begin() + static_cast<long>(start), b.end());
      next[next.size() / 2] ^= 0x5A;
      b.insert(b.end(), next.begin(),
               next.begin() + static_cast<long>(std::min(next.size(), size - b.size())));
    }
  }
  return b;
}

TEST(RoundTrip, SizesAndShapes) {
  const size_t sizes[] = {0, 1, 2, 3, 4095, 4096, 4097, 32767, 32768, 32769, 65537, 200000};
  const char *shapes[] = {"random",   "two letters", "one byte", "period 2",
                          "period 3", "text",        "runs",     "repeated blocks"};
  for (const char *shape : shapes) {
    for (size_t size : sizes) {
      TempDir dir;
      WriteFile(dir.Path("in"), Shape(shape, size));
      ExpectRoundTrip(dir.Path("in"), std::string(shape) + " " + std::to_string(size));
    }
  }
}

TEST(RoundTrip, OneMegabyte) {
  for (const char *shape : {"text", "two letters", "runs"}) {
    TempDir dir;
    WriteFile(dir.Path("in"), Shape(shape, 1 << 20));
    ExpectRoundTrip(dir.Path("in"), shape);
  }
}

class CorpusRoundTrip : public testing::TestWithParam<std::string> {};

TEST_P(CorpusRoundTrip, RestoresTheFile) {
  ASSERT_NE(GetParam(), kCorpusMissing) << "cannot list the corpus folder " << CorpusPath("");
  ExpectRoundTrip(CorpusPath(GetParam()), GetParam());
}

INSTANTIATE_TEST_SUITE_P(Corpus, CorpusRoundTrip, testing::ValuesIn(CorpusFiles()),
                         [](const testing::TestParamInfo<std::string> &info) {
                           std::string name = info.param;
                           for (char &c : name)
                             if (!isalnum(static_cast<unsigned char>(c))) c = '_';
                           return name;
                         });

}  // namespace
}  // namespace quillpack_test
