// The shared library as a host sees it: two names, UTF-16 paths, always 999.
#include <gtest/gtest.h>

#include <cstdio>
#include <set>

#include "test_kit.h"

namespace quillpack_test {
namespace {

const Library &Lib() {
  const Library &l = BuiltLibrary();
  EXPECT_NE(l.handle, nullptr) << "cannot load " << QUILLPACK_LIBRARY_PATH;
  return l;
}

TEST(Boundary, ExportsExactlyTwoNames) {
  std::string command = std::string("nm -D --defined-only '") + QUILLPACK_LIBRARY_PATH + "'";
  FILE *pipe = popen(command.c_str(), "r");
  ASSERT_NE(pipe, nullptr);
  std::set<std::string> names;
  char line[512];
  while (fgets(line, sizeof line, pipe)) {
    char address[64], type[8], name[400];
    if (sscanf(line, "%63s %7s %399s", address, type, name) == 3) names.insert(name);
  }
  ASSERT_EQ(pclose(pipe), 0);
  EXPECT_EQ(names, (std::set<std::string>{"Quillpack", "Quillunpack"}));
  ASSERT_NE(Lib().pack, nullptr);
  ASSERT_NE(Lib().unpack, nullptr);
}

TEST(Boundary, ReturnsNineHundredNinetyNineWhateverHappens) {
  const Library &l = Lib();
  ASSERT_NE(l.pack, nullptr);
  TempDir dir;
  WriteText(dir.Path("in"), "some text, some text, some text");
  std::u16string in = Utf16(dir.Path("in")), packed = Utf16(dir.Path("in.qpk")),
                 out = Utf16(dir.Path("out")), missing = Utf16(dir.Path("missing"));
  const struct {
    const char *name;
    Library::Function function;
    const char16_t *input;
    const char16_t *output;
    bool succeeds;
  } calls[] = {
      {"pack", l.pack, in.c_str(), packed.c_str(), true},
      {"unpack", l.unpack, packed.c_str(), out.c_str(), true},
      {"pack missing", l.pack, missing.c_str(), out.c_str(), false},
      {"unpack missing", l.unpack, missing.c_str(), out.c_str(), false},
      {"pack null", l.pack, nullptr, nullptr, false},
      {"unpack not a container", l.unpack, in.c_str(), out.c_str(), false},
  };
  for (const auto &c : calls) {
    Outcome o = Capture([&] { return c.function(c.input, c.output); });
    EXPECT_EQ(o.result, 999) << c.name;
    EXPECT_EQ(o.out.empty(), !c.succeeds) << c.name;
    EXPECT_EQ(o.err.empty(), c.succeeds) << c.name << ": " << o.err;
  }
}

TEST(Boundary, NullInputLeavesTheOutputAlone) {
  TempDir dir;
  WriteText(dir.Path("out"), "keep me");
  std::u16string out = Utf16(dir.Path("out"));
  for (Library::Function f : {Lib().pack, Lib().unpack}) {
    Outcome o = Capture([&] { return f(nullptr, out.c_str()); });
    EXPECT_EQ(o.result, 999);
    EXPECT_EQ(o.err, "Error: Cannot open input file '(null)'\n");
    EXPECT_EQ(ReadText(dir.Path("out")), "keep me");
  }
}

TEST(Boundary, PathsBeyondAscii) {
  const char *names[] = {"caf\xC3\xA9 na\xC3\xAFve", "\xE6\x96\x87\xE4\xBB\xB6",
                         "\xF0\x9F\x93\xA6 box", "plain"};
  for (const char *name : names) {
    TempDir dir;
    std::string path = dir.Path(name);
    Bytes content = Repeating(10000, name);
    WriteFile(path, content);
    std::u16string in = Utf16(path), packed = Utf16(path + ".qpk"), out = Utf16(path + ".out");
    Outcome p = Capture([&] { return Lib().pack(in.c_str(), packed.c_str()); });
    EXPECT_EQ(p.out, "Compression successful: '" + path + "' -> '" + path + ".qpk'\n") << name;
    Outcome u = Capture([&] { return Lib().unpack(packed.c_str(), out.c_str()); });
    EXPECT_EQ(u.err, "") << name;
    EXPECT_EQ(ReadFile(path + ".out"), content) << name;
  }
}

TEST(Boundary, LoneSurrogateBecomesAnEmptyPath) {
  TempDir dir;
  WriteText(dir.Path("in"), "x");
  std::u16string out = Utf16(dir.Path("out"));
  const std::u16string bad[] = {
      u"a\xD800"
      u"b",
      u"\xDC00", std::u16string(1, char16_t(0xD83D))};
  for (const std::u16string &path : bad) {
    Outcome o = Capture([&] { return Lib().pack(path.c_str(), out.c_str()); });
    EXPECT_EQ(o.result, 999);
    EXPECT_EQ(o.err, "Error: Cannot open input file ''\n");
  }
  std::u16string in = Utf16(dir.Path("in"));
  Outcome o = Capture([&] { return Lib().pack(in.c_str(), bad[0].c_str()); });
  EXPECT_EQ(o.err, "Error: Cannot open output file ''\n");
}

}  // namespace
}  // namespace quillpack_test
