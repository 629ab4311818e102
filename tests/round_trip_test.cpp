// Round trips: every file restores byte for byte, whatever its size and shape.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "codec_calls.h"
#include "test_kit.h"

namespace quillpack_test {
namespace {

void ExpectRoundTrip(const std::string &input_path, const std::string &label) {
  TempDir dir;
  Outcome packed = Compress(input_path, dir.Path("c.qpk"));
  ASSERT_EQ(packed.result, 0) << label << ": " << packed.err;
  Outcome unpacked = Decompress(dir.Path("c.qpk"), dir.Path("r"));
  ASSERT_EQ(unpacked.result, 0) << label << ": " << unpacked.err;
  EXPECT_TRUE(ReadFile(input_path) == ReadFile(dir.Path("r"))) << label;
}

// Every generated shape at sizes around a block and the window.
TEST(RoundTrip, SizesAndShapes) {
  const size_t sizes[] = {0, 1, 2, 3, 4095, 4096, 4097, 32767, 32768, 32769, 65537, 200000};
  for (const std::string &shape : ShapeNames()) {
    for (size_t size : sizes) {
      TempDir dir;
      WriteFile(dir.Path("in"), Shape(shape, size));
      ExpectRoundTrip(dir.Path("in"), shape + " " + std::to_string(size));
    }
  }
}

TEST(RoundTrip, OneMegabyte) {
  for (const char *shape : {"english-like", "alphabet-2", "runs-1-300"}) {
    TempDir dir;
    WriteFile(dir.Path("in"), Shape(shape, 1 << 20));
    ExpectRoundTrip(dir.Path("in"), shape);
  }
}

class CorpusRoundTrip : public testing::TestWithParam<std::string> {};

// One test per corpus file, there now or when the tests were built: a file gone since is
// counted as skipped, and a folder that cannot be listed fails every test.
TEST_P(CorpusRoundTrip, RestoresTheFile) {
  std::vector<std::string> present;
  ASSERT_TRUE(ListCorpus(kCorpusDir, &present))
      << "cannot list the corpus folder " << kCorpusDir << ", or it holds no file";
  if (!std::binary_search(present.begin(), present.end(), GetParam()))
    GTEST_SKIP() << GetParam() << " is no longer in the corpus folder " << kCorpusDir;
  ExpectRoundTrip(CorpusPath(GetParam()), GetParam());
}

INSTANTIATE_TEST_SUITE_P(Corpus, CorpusRoundTrip, testing::ValuesIn(CorpusTestNames()),
                         [](const testing::TestParamInfo<std::string> &file) {
                           std::string name = file.param;
                           for (char &c : name)
                             if (!isalnum(static_cast<unsigned char>(c))) c = '_';
                           return name;
                         });

}  // namespace
}  // namespace quillpack_test
