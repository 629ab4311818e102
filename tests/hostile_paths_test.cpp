// Paths and files a host should not pass, through the exported functions: each call must
// say what went wrong and leave every existing file as it was.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <map>
#include <string>

#include "test_support.h"

namespace quillpack_test {
namespace {

// What lies in a folder: each name with its contents, or a mark for a folder or a link.
std::map<std::string, std::string> Snapshot(const std::string &folder) {
  std::map<std::string, std::string> entries;
  DIR *dir = opendir(folder.c_str());
  if (dir == nullptr) return entries;
  while (dirent *e = readdir(dir)) {
    std::string name = e->d_name;
    if (name == "." || name == "..") continue;
    std::string path = folder + "/" + name;
    struct stat st;
    lstat(path.c_str(), &st);
    if (S_ISDIR(st.st_mode)) {
      entries[name] = "<folder>";
    } else if (S_ISLNK(st.st_mode)) {
      entries[name] = "<link>";
    } else {
      entries[name] = ReadText(path);
    }
  }
  closedir(dir);
  return entries;
}

enum Operation { kPack, kUnpack };

Outcome Call(Operation op, const std::u16string &input, const std::u16string &output) {
  const Library &library = LoadLibrary();
  Library::Function f = op == kPack ? library.pack : library.unpack;
  return Capture([&] { return f(input.c_str(), output.c_str()); });
}

struct Files {
  TempDir dir;
  std::string text, container;
  Files() {
    // More than one block, so that a full device fails a block write, not only the close.
    Bytes input = RandomBytes(6000, 3, 16);
    WriteFile(dir.Path("text"), input);
    Outcome made = Call(kPack, Utf16(dir.Path("text")), Utf16(dir.Path("text.qpk")));
    EXPECT_EQ(made.err, "");
    text = ReadText(dir.Path("text"));
    container = ReadText(dir.Path("text.qpk"));
    mkdir(dir.Path("folder").c_str(), 0700);
    WriteText(dir.Path("keep"), "kept as it was");
    EXPECT_EQ(link(dir.Path("text").c_str(), dir.Path("hard").c_str()), 0);
    EXPECT_EQ(symlink(dir.Path("text").c_str(), dir.Path("soft").c_str()), 0);
    EXPECT_EQ(link(dir.Path("text.qpk").c_str(), dir.Path("hard.qpk").c_str()), 0);
    EXPECT_EQ(symlink(dir.Path("text.qpk").c_str(), dir.Path("soft.qpk").c_str()), 0);
  }
};

TEST(HostilePaths, EachFailsWithItsLineAndLosesNothing) {
  Files f;
  auto p = [&](const char *name) { return f.dir.Path(name); };
  const std::string huge(1000000, 'x');
  const std::string huge_wide = [] {
    std::string s;
    for (int i = 0; i < 1000000; ++i) s += "\xE4\xB8\xAD";  // U+4E2D, three bytes in UTF-8
    return s;
  }();
  const std::u16string lone_high = Utf16(p("bad")) + u'\xD800' + u"name";
  const std::u16string lone_low = Utf16(p("bad")) + u'\xDC00';
  const std::string same = "Error: Input and output are the same file '";
  const struct {
    const char *name;
    Operation op;
    std::u16string input, output;
    std::string err;
    const char *created = nullptr;  // a new file the call may leave, with what it must hold
    const char *holds = nullptr;
  } cases[] = {
      {"empty input path", kPack, u"", Utf16(p("keep")), "Error: Cannot open input file ''\n"},
      {"empty output path", kUnpack, Utf16(p("text.qpk")), u"", "Error: Cannot open output file ''\n"},
      {"huge input path", kPack, Utf16(huge), Utf16(p("keep")),
       "Error: Cannot open input file '" + huge + "'\n"},
      {"huge output path", kUnpack, Utf16(p("text.qpk")), Utf16(huge_wide),
       "Error: Cannot open output file '" + huge_wide + "'\n"},
      {"lone high surrogate", kUnpack, lone_high, Utf16(p("keep")), "Error: Cannot open input file ''\n"},
      {"lone low surrogate", kPack, Utf16(p("text")), lone_low, "Error: Cannot open output file ''\n"},
      {"folder to pack", kPack, Utf16(p("folder")), Utf16(p("new.qpk")),
       "Error: Failed to read input file '" + p("folder") + "'\n", "new.qpk", ""},
      {"folder to restore", kUnpack, Utf16(p("folder")), Utf16(p("new")),
       "Error: Failed to read hex data\nError: Invalid Hex data\n", "new", ""},
      {"folder as container", kPack, Utf16(p("text")), Utf16(p("folder")),
       "Error: Cannot open output file '" + p("folder") + "'\n"},
      {"folder as restored file", kUnpack, Utf16(p("text.qpk")), Utf16(p("folder")),
       "Error: Cannot open output file '" + p("folder") + "'\n"},
      {"missing output folder", kPack, Utf16(p("text")), Utf16(p("none/text.qpk")),
       "Error: Cannot open output file '" + p("none/text.qpk") + "'\n"},
      {"full device, packing", kPack, Utf16(p("text")), u"/dev/full",
       "Error: Failed to encode compressed data\n"},
      {"full device, restoring", kUnpack, Utf16(p("text.qpk")), u"/dev/full",
       "Error: Failed to write decompressed data\n"},
      {"same path", kPack, Utf16(p("text")), Utf16(p("text")), same + p("text") + "'\n"},
      {"hard link as container", kPack, Utf16(p("text")), Utf16(p("hard")), same + p("text") + "'\n"},
      {"symbolic link as container", kPack, Utf16(p("text")), Utf16(p("soft")), same + p("text") + "'\n"},
      {"packing through a link onto its target", kPack, Utf16(p("soft")), Utf16(p("text")),
       same + p("soft") + "'\n"},
      {"hard link as restored file", kUnpack, Utf16(p("text.qpk")), Utf16(p("hard.qpk")),
       same + p("text.qpk") + "'\n"},
      {"symbolic link as restored file", kUnpack, Utf16(p("text.qpk")), Utf16(p("soft.qpk")),
       same + p("text.qpk") + "'\n"},
  };
  for (const auto &c : cases) {
    auto before = Snapshot(f.dir.path);
    Outcome o = Call(c.op, c.input, c.output);
    EXPECT_EQ(o.result, 999) << c.name;
    EXPECT_EQ(o.err, c.err) << c.name;
    EXPECT_EQ(o.out, "") << c.name;
    auto after = Snapshot(f.dir.path);
    if (c.created != nullptr) {
      EXPECT_EQ(after[c.created], c.holds) << c.name;
      after.erase(c.created);
    }
    EXPECT_EQ(after, before) << c.name;
    EXPECT_EQ(ReadText(p("text")), f.text) << c.name;
    EXPECT_EQ(ReadText(p("text.qpk")), f.container) << c.name;
  }
}

// A file the caller may not read. Root reads anything, so as root the call runs in a child
// that has given up root for an unprivileged user.
TEST(HostilePaths, UnreadableInputIsNotTouched) {
  Files f;
  const std::string input = f.dir.Path("text");
  const std::string output = f.dir.Path("out.qpk");
  ASSERT_EQ(chmod(input.c_str(), 0), 0);
  Outcome o;
  if (geteuid() != 0) {
    o = Call(kPack, Utf16(input), Utf16(output));
  } else {
    ASSERT_EQ(chmod(f.dir.path.c_str(), 0777), 0);
    const std::string err_path = f.dir.Path("child-stderr");
    LoadLibrary();  // before the fork, while the library's file is still readable
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      int err = open(err_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
      if (err < 0 || dup2(err, 2) < 0) _exit(3);
      if (setgid(65534) != 0 || setuid(65534) != 0) _exit(2);
      if (access(input.c_str(), R_OK) == 0) _exit(4);  // permissions do not bite here
      const Library &library = LoadLibrary();
      library.pack(Utf16(input).c_str(), Utf16(output).c_str());
      _exit(0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    if (WEXITSTATUS(status) == 2) GTEST_SKIP() << "cannot drop root to an unprivileged user";
    if (WEXITSTATUS(status) == 4) GTEST_SKIP() << "this file system lets every user read";
    ASSERT_EQ(WEXITSTATUS(status), 0);
    o.err = ReadText(err_path);
  }
  EXPECT_EQ(o.err, "Error: Cannot open input file '" + input + "'\n");
  EXPECT_FALSE(FileExists(output));
  ASSERT_EQ(chmod(input.c_str(), 0600), 0);
  EXPECT_EQ(ReadText(input), f.text);
}

}  // namespace
}  // namespace quillpack_test
