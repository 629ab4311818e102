// What a restore stopped by a failed write leaves: only whole blocks of the restored file,
// whether the failure is injected at a chosen byte or comes from the system below stdio.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sched.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "codec_calls.h"
#include "platform/fault_injection.h"
#include "test_kit.h"

namespace quillpack_test {
namespace {

// A write that stops part-way through a block, whether a full one in replay or the short
// last one, leaves the blocks before it and not one byte of its own.
TEST(BlockWrites, AFailedWriteLeavesOnlyWholeBlocks) {
  TempDir dir;
  const Bytes original = Counting(9 * kBlockSize + 1136, 251, 7);
  WriteFile(dir.Path("original"), original);
  ASSERT_EQ(Compress(dir.Path("original"), dir.Path("c.qpk")).result, 0);
  const struct {
    uint64_t failing_byte;
    size_t kept;
  } cases[] = {{2, 0}, {4096 + 100, 4096}, {9 * 4096 + 1, 9 * 4096}, {original.size(), 9 * 4096}};
  for (const auto &c : cases) {
    quillpack::FaultInjectionReset();
    quillpack::FaultInjectionArm(quillpack::kFaultWrite, c.failing_byte);
    Outcome o = Decompress(dir.Path("c.qpk"), dir.Path("restored"));
    quillpack::FaultInjectionReset();
    EXPECT_EQ(o.err, "Error: Failed to write decompressed data\n") << c.failing_byte;
    EXPECT_TRUE(ReadFile(dir.Path("restored")) == Prefix(original, c.kept)) << c.failing_byte;
  }
}

// Real failures below stdio, which the injected ones cannot imitate: a write that the system
// cuts short after part of a block, then refuses. What stays must be whole blocks of the
// restored file and nothing else (neither half a block nor a tail of zeros). Past the file
// size limit the system also raises SIGXFSZ, which by default kills the process: the call goes
// through the export, which keeps that signal from the host.
TEST(BlockWrites, AFullFileSystemLeavesOnlyWholeBlocks) {
  enum Limit { kFileSizeLimit, kSmallFileSystem };
  constexpr int kNoMount = 42;  // the child could not mount its file system
  TempDir dir;
  const Bytes original = RandomBytes(48 * 1024, 8);
  WriteFile(dir.Path("original"), original);
  ASSERT_EQ(Compress(dir.Path("original"), dir.Path("c.qpk")).result, 0);
  const struct {
    const char *name;
    Limit limit;
  } cases[] = {{"6 KiB file size limit", kFileSizeLimit}, {"12 KiB tmpfs", kSmallFileSystem}};
  int skipped = 0;
  const Library &library = BuiltLibrary();
  for (const auto &c : cases) {
    const std::string mount_point = dir.Path("small");
    const std::string restored =
        c.limit == kFileSizeLimit ? dir.Path("restored") : mount_point + "/restored";
    const std::string kept = dir.Path("kept");
    const std::string err = dir.Path("stderr");
    std::remove(kept.c_str());
    std::fflush(stdout);
    std::fflush(stderr);
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      int fd = open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
      if (fd < 0 || dup2(fd, 2) < 0) _exit(3);
      if (c.limit == kFileSizeLimit) {
        signal(SIGXFSZ, SIG_DFL);
        const struct rlimit limit = {6 * 1024, 6 * 1024};
        if (setrlimit(RLIMIT_FSIZE, &limit) != 0) _exit(4);
        library.unpack(Utf16(dir.Path("c.qpk")).c_str(), Utf16(restored).c_str());
        _exit(0);
      }
      // A mount of this child's own, gone with it.
      if (unshare(CLONE_NEWNS) != 0 ||
          mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
          mkdir(mount_point.c_str(), 0700) != 0 ||
          mount("tmpfs", mount_point.c_str(), "tmpfs", 0, "size=12k") != 0)
        _exit(kNoMount);
      if (quillpack::DecompressFile(dir.Path("c.qpk").c_str(), restored.c_str()) != 1) _exit(5);
      WriteFile(kept, ReadFile(restored));
      _exit(FileExists(kept) ? 0 : 6);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status)) << c.name << ": the restore was killed by signal "
                                   << (WIFSIGNALED(status) ? WTERMSIG(status) : 0);
    if (WEXITSTATUS(status) == kNoMount) {
      std::printf("%s: skipped, no tmpfs can be mounted here\n", c.name);
      ++skipped;
      continue;
    }
    ASSERT_EQ(WEXITSTATUS(status), 0) << c.name << " (the child's step that failed)";
    EXPECT_EQ(ReadText(err), "Error: Failed to write decompressed data\n") << c.name;
    const Bytes left = ReadFile(c.limit == kFileSizeLimit ? restored : kept);
    EXPECT_EQ(left.size() % kBlockSize, 0u) << c.name << ": " << left.size() << " bytes";
    EXPECT_GE(left.size(), kBlockSize) << c.name;
    EXPECT_LT(left.size(), original.size()) << c.name;
    EXPECT_TRUE(left == Prefix(original, left.size())) << c.name << ": bytes not the original's";
  }
  if (skipped > 0) GTEST_SKIP() << skipped << " case(s) need a tmpfs mount, which is refused here";
}

}  // namespace
}  // namespace quillpack_test
