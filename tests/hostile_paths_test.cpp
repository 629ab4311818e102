// Paths and files a host should not pass, through the exported functions: each call must
// say what went wrong and leave every existing file as it was.
#include <dirent.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "platform/platform.h"
#include "test_kit.h"

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
  const Library &library = BuiltLibrary();
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
    WriteText(dir.Path("tab\there"), text);
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
  // A path is the host's: its control characters must neither break a message line nor
  // forge one, such as a success line.
  const std::string forged = "x'\nCompression successful: 'a' -> 'b";
  const struct {
    const char *name;
    Operation op;
    std::u16string input, output;
    std::string err;
    const char *created = nullptr;  // a new file the call may leave, with what it must hold
    const char *holds = nullptr;
    std::string out = "";
  } cases[] = {
      {"empty input path", kPack, u"", Utf16(p("keep")), "Error: Cannot open input file ''\n"},
      {"empty output path", kUnpack, Utf16(p("text.qpk")), u"",
       "Error: Cannot open output file ''\n"},
      {"huge input path", kPack, Utf16(huge), Utf16(p("keep")),
       "Error: Cannot open input file '" + huge + "'\n"},
      {"huge output path", kUnpack, Utf16(p("text.qpk")), Utf16(huge_wide),
       "Error: Cannot open output file '" + huge_wide + "'\n"},
      {"lone high surrogate", kUnpack, lone_high, Utf16(p("keep")),
       "Error: Cannot open input file ''\n"},
      {"lone low surrogate", kPack, Utf16(p("text")), lone_low,
       "Error: Cannot open output file ''\n"},
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
      {"hard link as container", kPack, Utf16(p("text")), Utf16(p("hard")),
       same + p("text") + "'\n"},
      {"symbolic link as container", kPack, Utf16(p("text")), Utf16(p("soft")),
       same + p("text") + "'\n"},
      {"packing through a link onto its target", kPack, Utf16(p("soft")), Utf16(p("text")),
       same + p("soft") + "'\n"},
      {"hard link as restored file", kUnpack, Utf16(p("text.qpk")), Utf16(p("hard.qpk")),
       same + p("text.qpk") + "'\n"},
      {"symbolic link as restored file", kUnpack, Utf16(p("text.qpk")), Utf16(p("soft.qpk")),
       same + p("text.qpk") + "'\n"},
      {"line feed forging a success line", kPack, Utf16(p(forged.c_str())), Utf16(p("keep")),
       "Error: Cannot open input file '" + p("x'?Compression successful: 'a' -> 'b") + "'\n"},
      {"line and paragraph separators forging a success line", kPack,
       Utf16(p("x\u2028Compression successful: 'a' -> 'b\u2029\u0085\u009B[2K")), Utf16(p("keep")),
       "Error: Cannot open input file '" + p("x?Compression successful: 'a' -> 'b???[2K") + "'\n"},
      {"control characters in an output path", kUnpack, Utf16(p("text.qpk")),
       Utf16(p("none\r\x01\x1b[2K\x7f/out")),
       "Error: Cannot open output file '" + p("none???[2K?/out") + "'\n"},
      {"control characters in real names", kPack, Utf16(p("tab\there")), Utf16(p("new\n.qpk")), "",
       "new\n.qpk", f.container.c_str(),
       "Compression successful: '" + p("tab?here") + "' -> '" + p("new?.qpk") + "'\n"},
  };
  for (const auto &c : cases) {
    auto before = Snapshot(f.dir.path);
    Outcome o = Call(c.op, c.input, c.output);
    EXPECT_EQ(o.result, 999) << c.name;
    EXPECT_EQ(o.err, c.err) << c.name;
    EXPECT_EQ(o.out, c.out) << c.name;
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

// A pipe whose reader has gone, as the output or as the host's standard output: the write
// fails like any other, with its line; the SIGPIPE it raises never reaches the host, whose
// signal mask and dispositions are as they were. Every other SIGPIPE is the host's and
// reaches its handler once: one pending before the call (for the thread or for the
// process), and one another process sends during the call. Each call runs in a child
// process, so that a SIGPIPE kills only the child.
volatile sig_atomic_t sigpipe_handled = 0;

void CountSigpipe(int) {
  sigpipe_handled = sigpipe_handled + 1;
}

TEST(HostilePaths, BrokenPipesAreFailedWrites) {
  TempDir dir;
  // Far more text than a pipe holds, so that the writes outlast the reader.
  WriteFile(dir.Path("in"), RandomBytes(300000, 21));
  ASSERT_EQ(Call(kPack, Utf16(dir.Path("in")), Utf16(dir.Path("in.qpk"))).err, "");
  const std::string fifo = dir.Path("fifo");
  const std::string fifo_in = dir.Path("fifo-in");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  ASSERT_EQ(mkfifo(fifo_in.c_str(), 0600), 0);
  enum Broken { kOutput, kStandardOutput, kNothing };
  enum Pending { kNone, kForTheThread, kForTheProcess };
  const struct {
    const char *name;
    Operation op;
    Broken broken;
    Pending pending;   // the host blocks SIGPIPE and has one pending before the call
    bool sent_during;  // another process sends SIGPIPE while the call reads a FIFO
    std::string err;
    int handled;  // runs of the host's handler once the call returns and SIGPIPE is unblocked
  } cases[] = {
      {"packing into a FIFO", kPack, kOutput, kNone, false,
       "Error: Failed to encode compressed data\n", 0},
      {"restoring into a FIFO", kUnpack, kOutput, kNone, false,
       "Error: Failed to write decompressed data\n", 0},
      {"success line into a pipe", kPack, kStandardOutput, kNone, false, "", 0},
      {"SIGPIPE pending for the thread before", kUnpack, kOutput, kForTheThread, false,
       "Error: Failed to write decompressed data\n", 1},
      {"SIGPIPE pending for the process before", kPack, kOutput, kForTheProcess, false,
       "Error: Failed to encode compressed data\n", 1},
      {"SIGPIPE sent by another process during the call", kPack, kNothing, kNone, true, "", 1},
  };
  const char *verdicts[] = {"ok",
                            "disposition changed",
                            "signal mask changed",
                            "the host's pending SIGPIPE taken",
                            "cannot set up",
                            "the host's handler ran a wrong number of times"};
  const std::string err_path = dir.Path("stderr");
  BuiltLibrary();
  for (const auto &c : cases) {
    const std::u16string input = Utf16(c.sent_during   ? fifo_in
                                       : c.op == kPack ? dir.Path("in")
                                                       : dir.Path("in.qpk"));
    const std::u16string output = Utf16(c.broken == kOutput ? fifo : dir.Path("out"));
    // Opened before the child opens its end, so that neither open waits for the other.
    int reader = c.broken == kOutput ? open(fifo.c_str(), O_RDONLY | O_NONBLOCK) : -1;
    ASSERT_TRUE(c.broken != kOutput || reader >= 0);
    std::fflush(stdout);
    std::fflush(stderr);
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      if (reader >= 0) close(reader);
      int err = open(err_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
      int out = open(dir.Path("stdout").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
      int ends[2];
      if (err < 0 || out < 0 || dup2(err, 2) < 0 || dup2(out, 1) < 0 || pipe(ends) != 0) _exit(4);
      close(ends[0]);
      if (c.broken == kStandardOutput && dup2(ends[1], 1) < 0) _exit(4);
      struct sigaction counting = {};
      counting.sa_handler = CountSigpipe;
      sigemptyset(&counting.sa_mask);
      sigset_t pipe_only;
      sigemptyset(&pipe_only);
      sigaddset(&pipe_only, SIGPIPE);
      if (sigaction(SIGPIPE, &counting, nullptr) != 0) _exit(4);
      if (c.pending != kNone && sigprocmask(SIG_BLOCK, &pipe_only, nullptr) != 0) _exit(4);
      if (c.pending == kForTheThread && raise(SIGPIPE) != 0) _exit(4);
      if (c.pending == kForTheProcess && kill(getpid(), SIGPIPE) != 0) _exit(4);
      sigset_t before, after, pending;
      sigprocmask(SIG_SETMASK, nullptr, &before);
      const Library &library = BuiltLibrary();
      (c.op == kPack ? library.pack : library.unpack)(input.c_str(), output.c_str());
      sigprocmask(SIG_SETMASK, nullptr, &after);
      struct sigaction action;
      if (sigaction(SIGPIPE, nullptr, &action) != 0 || action.sa_handler != CountSigpipe) _exit(1);
      for (int signal = 1; signal < NSIG; ++signal)
        if (sigismember(&before, signal) != sigismember(&after, signal)) _exit(2);
      if (c.pending != kNone) {
        if (sigpending(&pending) != 0 || sigismember(&pending, SIGPIPE) != 1) _exit(3);
        sigprocmask(SIG_UNBLOCK, &pipe_only, nullptr);
      }
      _exit(sigpipe_handled == c.handled ? 0 : 5);
    }
    if (c.sent_during) {
      // The child opens the FIFO inside the call, so once this open returns the call runs.
      int writer = open(fifo_in.c_str(), O_WRONLY);
      EXPECT_GE(writer, 0) << c.name;
      EXPECT_EQ(kill(child, SIGPIPE), 0) << c.name;
      EXPECT_EQ(write(writer, "sent meanwhile", 14), 14) << c.name;
      close(writer);
    }
    if (reader >= 0) {
      // The reader takes one character of what arrives, then goes.
      pollfd ready = {reader, POLLIN, 0};
      EXPECT_EQ(poll(&ready, 1, 60000), 1) << c.name << ": nothing written";
      char taken;
      EXPECT_EQ(read(reader, &taken, 1), 1) << c.name;
      close(reader);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    if (!WIFEXITED(status)) {
      ADD_FAILURE() << c.name << ": killed by signal " << WTERMSIG(status);
      continue;
    }
    EXPECT_EQ(verdicts[WEXITSTATUS(status)], std::string("ok")) << c.name;
    EXPECT_EQ(ReadText(err_path), c.err) << c.name;
    if (c.broken == kStandardOutput) {
      EXPECT_EQ(ReadText(dir.Path("out")), ReadText(dir.Path("in.qpk"))) << c.name;
    }
  }
}

// A host whose timer signal interrupts system calls (its handler installed without
// SA_RESTART, firing every millisecond): opening, reading and writing FIFOs that make the
// call wait are resumed, never failures. Each call runs in a child process with the timer;
// this process feeds one FIFO and drains the other, pausing now and then so that the call
// waits on both.
void CountAlarm(int) {}

// True once `child` has ended; it stays to be waited for.
bool Ended(pid_t child) {
  siginfo_t info = {};
  return waitid(P_PID, static_cast<id_t>(child), &info, WEXITED | WNOHANG | WNOWAIT) == 0 &&
         info.si_pid == child;
}

// Writes `bytes` to the FIFO `path` once the child `child` has opened it, pausing after
// every 64 KiB; gives up when the child is gone.
void Feed(const std::string &path, const Bytes &bytes, pid_t child) {
  sigset_t pipe_only;
  sigemptyset(&pipe_only);
  sigaddset(&pipe_only, SIGPIPE);
  pthread_sigmask(SIG_BLOCK, &pipe_only, nullptr);  // a child that went early fails the test
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  int fd;
  while ((fd = open(path.c_str(), O_WRONLY | O_NONBLOCK)) < 0) {
    if (errno != ENXIO || Ended(child)) return;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  fcntl(fd, F_SETFL, 0);
  for (size_t done = 0; done < bytes.size();) {
    size_t n = std::min<size_t>(65536, bytes.size() - done);
    ssize_t put = write(fd, bytes.data() + done, n);
    if (put <= 0) break;
    done += static_cast<size_t>(put);
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  close(fd);
}

// Everything the child `child` writes to the FIFO `path` until it closes it, read with a
// pause after every 64 KiB; stops early when the child is gone without opening it.
Bytes Drain(const std::string &path, pid_t child) {
  std::this_thread::sleep_for(std::chrono::milliseconds(40));
  Bytes got;
  int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK);
  if (fd < 0) return got;
  std::vector<uint8_t> chunk(65536);
  for (;;) {
    pollfd ready = {fd, POLLIN, 0};
    int polled = poll(&ready, 1, 100);
    if (polled == 0 && !Ended(child)) continue;
    if (polled == 0) break;  // gone without writing: what came is all there is
    ssize_t n = read(fd, chunk.data(), chunk.size());
    if (n < 0 && errno == EAGAIN) continue;
    if (n <= 0) break;
    got.insert(got.end(), chunk.begin(), chunk.begin() + n);
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  close(fd);
  return got;
}

TEST(HostilePaths, InterruptedCallsAreRetried) {
  TempDir dir;
  const Bytes original = Shape("english-like", 1000000);
  WriteFile(dir.Path("in"), original);
  ASSERT_EQ(Call(kPack, Utf16(dir.Path("in")), Utf16(dir.Path("in.qpk"))).err, "");
  const Bytes container = ReadFile(dir.Path("in.qpk"));
  const std::string from = dir.Path("from"), to = dir.Path("to");
  ASSERT_EQ(mkfifo(from.c_str(), 0600), 0);
  ASSERT_EQ(mkfifo(to.c_str(), 0600), 0);
  const struct {
    const char *name;
    Operation op;
    const Bytes *input, *output;
    std::string out;
  } cases[] = {
      {"packing from a FIFO into a FIFO", kPack, &original, &container,
       "Compression successful: '" + from + "' -> '" + to + "'\n"},
      {"restoring from a FIFO into a FIFO", kUnpack, &container, &original,
       "Decompression successful: '" + from + "' -> '" + to + "'\n"},
  };
  BuiltLibrary();
  for (const auto &c : cases) {
    std::fflush(stdout);
    std::fflush(stderr);
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      int out = open(dir.Path("stdout").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
      int err = open(dir.Path("stderr").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
      if (out < 0 || err < 0 || dup2(out, 1) < 0 || dup2(err, 2) < 0) _exit(4);
      struct sigaction alarm = {};
      alarm.sa_handler = CountAlarm;  // no SA_RESTART: waiting calls fail with EINTR
      sigemptyset(&alarm.sa_mask);
      const itimerval every_millisecond = {{0, 1000}, {0, 1000}};
      if (sigaction(SIGALRM, &alarm, nullptr) != 0 ||
          setitimer(ITIMER_REAL, &every_millisecond, nullptr) != 0)
        _exit(4);
      const Library &library = BuiltLibrary();
      (c.op == kPack ? library.pack : library.unpack)(Utf16(from).c_str(), Utf16(to).c_str());
      _exit(0);
    }
    std::thread feeder(Feed, from, *c.input, child);
    Bytes got = Drain(to, child);
    feeder.join();
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << c.name;
    EXPECT_EQ(ReadText(dir.Path("stderr")), "") << c.name;
    EXPECT_EQ(ReadText(dir.Path("stdout")), c.out) << c.name;
    EXPECT_TRUE(got == *c.output) << c.name << ": " << got.size() << " bytes arrived of "
                                  << c.output->size();
  }
}

// A host that closed its standard streams leaves descriptors 0 to 2 free. The files a call
// opens must not take them, or the lines meant for standard error land in the output; they
// are closed on exec, so that a process the host starts meanwhile does not keep them open;
// and where no descriptor above 2 is left for the output, the call says so and leaves an
// existing output as it was. Each call runs in a child process, whose descriptors are its own.
TEST(HostilePaths, FilesNeverTakeTheStandardDescriptors) {
  TempDir dir;
  ASSERT_EQ(mkdir(dir.Path("folder").c_str(), 0700), 0);
  // A literal, then a match reaching back before the first byte.
  WriteText(dir.Path("bad.qpk"), "51504B01006180050900\n");
  WriteText(dir.Path("in"), "some text");
  const std::string output = dir.Path("out");
  const std::string earlier = "an earlier output";
  const struct {
    const char *name;
    Operation op;
    const char *input;
    bool starved;     // every descriptor above 2 but one is taken, and 0 and 1 are free
    std::string err;  // what standard error receives, where it stays open
  } cases[] = {
      {"restoring a bad container", kUnpack, "bad.qpk", false, ""},
      {"packing a folder", kPack, "folder", false, ""},
      {"no descriptor left for the output", kPack, "in", true,
       "Error: Cannot open output file '" + output + "'\n"},
  };
  const char *verdicts[] = {"ok",
                            "a message in the output",
                            "a descriptor below 3",
                            "a descriptor kept across exec",
                            "cannot set up",
                            "the existing output changed"};
  const std::string err_path = dir.Path("stderr");
  BuiltLibrary();
  for (const auto &c : cases) {
    std::remove(output.c_str());
    if (c.starved) WriteText(output, earlier);
    std::fflush(stdout);
    std::fflush(stderr);
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      if (c.starved) {
        constexpr int kLimit = 64;
        const rlimit limit = {kLimit, kLimit};
        int err = open(err_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (err < 0 || dup2(err, STDERR_FILENO) < 0 || setrlimit(RLIMIT_NOFILE, &limit) != 0)
          _exit(4);
        for (int fd = STDERR_FILENO + 1; fd < kLimit - 1; ++fd)
          if (fcntl(fd, F_GETFD) < 0 && dup2(STDERR_FILENO, fd) != fd) _exit(4);
        close(kLimit - 1);  // for the input
        close(STDIN_FILENO);
        close(STDOUT_FILENO);
      } else {
        close(STDOUT_FILENO);
        close(STDERR_FILENO);
      }
      const Library &library = BuiltLibrary();
      (c.op == kPack ? library.pack : library.unpack)(Utf16(dir.Path(c.input)).c_str(),
                                                      Utf16(output).c_str());
      if (c.starved) _exit(ReadText(output) == earlier ? 0 : 5);
      if (ReadText(output).find("Error") != std::string::npos) _exit(1);
      quillpack::PlatformFile *file = quillpack::PlatformOpen(output.c_str(), "rb");
      if (file == nullptr) _exit(4);
      if (fileno(file) <= STDERR_FILENO) _exit(2);
      if ((fcntl(fileno(file), F_GETFD) & FD_CLOEXEC) == 0) _exit(3);
      _exit(0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status)) << c.name;
    EXPECT_EQ(verdicts[WEXITSTATUS(status)], std::string("ok")) << c.name;
    if (c.starved) {
      EXPECT_EQ(ReadText(err_path), c.err) << c.name;
    }
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
    BuiltLibrary();  // before the fork, while the library's file is still readable
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      int err = open(err_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
      if (err < 0 || dup2(err, 2) < 0) _exit(3);
      if (setgid(65534) != 0 || setuid(65534) != 0) _exit(2);
      if (access(input.c_str(), R_OK) == 0) _exit(4);  // permissions do not bite here
      const Library &library = BuiltLibrary();
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
