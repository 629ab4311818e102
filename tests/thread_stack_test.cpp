// Every call, the failing ones included, on a small thread stack, with each call's deepest
// use of it measured: 48 KiB on POSIX systems, which leaves room below the 64 KiB the
// library promises; 64 KiB on Windows, whose reservations come in 64 KiB granules.
//
// Symbols are bound lazily here (the library is loaded so, and the test runs with
// LD_BIND_NOT=1, see tests/CMakeLists.txt), so every call into another library passes
// through the dynamic linker's resolver, whose frames save the whole vector register file.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>

#ifdef _WIN32
#include <windows.h>
#else
#include <pthread.h>
#include <sys/mman.h>
#include <unistd.h>
#endif

#include "codec_calls.h"
#include "platform/fault_injection.h"
#include "test_kit.h"

namespace quillpack_test {
namespace {

#ifdef QUILLPACK_SANITIZED
// Instrumented frames are several times larger: these builds check what the calls do on a
// thread of their own, not the size of its stack.
constexpr size_t kStack = 1024 * 1024;
#elif defined(_WIN32)
constexpr size_t kStack = 64 * 1024;
#else
constexpr size_t kStack = 48 * 1024;
#endif

// What a run on a small stack came to: whether the thread could be made, and how many bytes
// of its stack it used at its deepest (0 where that is not measured).
struct StackRun {
  bool ran;
  size_t peak;
};

#ifdef _WIN32
DWORD WINAPI RunBody(LPVOID body) {
  (*static_cast<std::function<void()> *>(body))();
  return 0;
}

StackRun RunOnSmallStack(std::function<void()> body) {
  HANDLE thread =
      CreateThread(nullptr, kStack, RunBody, &body, STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr);
  if (thread == nullptr) return {false, 0};
  WaitForSingleObject(thread, INFINITE);
  CloseHandle(thread);
  return {true, 0};
}
#else
void *RunBody(void *body) {
  (*static_cast<std::function<void()> *>(body))();
  return nullptr;
}

constexpr unsigned char kUntouched = 0xA5;

// Runs `body` on a new thread whose kStack-byte stack this function maps itself, filled with
// kUntouched and with an inaccessible page below it (a call that needs more stack crashes
// the test program), waits for it and measures the part of the stack that was written.
StackRun RunOnSmallStack(std::function<void()> body) {
  const size_t page = static_cast<size_t>(sysconf(_SC_PAGESIZE));
  void *mapped =
      mmap(nullptr, page + kStack, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (mapped == MAP_FAILED) return {false, 0};
  auto *guard = static_cast<unsigned char *>(mapped);
  unsigned char *stack = guard + page;
  std::memset(stack, kUntouched, kStack);
  bool made = mprotect(guard, page, PROT_NONE) == 0;
  pthread_attr_t attributes;
  made = made && pthread_attr_init(&attributes) == 0;
  if (made) {
    made = pthread_attr_setstack(&attributes, stack, kStack) == 0;
    pthread_t thread;
    made = made && pthread_create(&thread, &attributes, RunBody, &body) == 0;
    pthread_attr_destroy(&attributes);
    if (made) pthread_join(thread, nullptr);
  }
  size_t untouched = 0;
  while (untouched < kStack && stack[untouched] == kUntouched) ++untouched;
  munmap(mapped, page + kStack);
  return {made, kStack - untouched};
}
#endif

std::string OneLine(const std::string &text) {
  std::string line;
  for (char c : text)
    if (c != '\n' && c != '\r') line += c;
  return line;
}

TEST(ThreadStack, EveryCallRunsOnASmallStack) {
  const Library &library = BuiltLibrary();
  ASSERT_NE(library.pack, nullptr);
  ASSERT_NE(library.unpack, nullptr);
  TempDir dir;
  auto p = [&](const char *name) { return dir.Path(name); };
  // Over a megabyte of text, so both windows fill and slide many times.
  const Bytes original = Shape("english-like", 1100000);
  WriteFile(p("big"), original);
  // The plain scan is slow: a little more than a window's worth, so that it slides.
  const Bytes small(original.begin(), original.begin() + 40000);
  WriteFile(p("small"), small);
  ASSERT_EQ(Compress(p("big"), p("ref.qpk")).result, 0);
  const std::string container = ReadText(p("ref.qpk"));
  WriteText(p("long.qpk"), OneLine(container));
  WriteText(p("bad.qpk"), OneLine(container) + "G0");
  WriteText(p("bad-match.qpk"), container + "80030000\n");  // a match of distance 0
  const Bytes packed = ReadFile(p("ref.qpk"));
  ASSERT_EQ(Compress(p("small"), p("small.qpk")).result, 0);
  const Bytes packed_small = ReadFile(p("small.qpk"));

  const struct {
    const char *name;
    bool pack;
    std::string input, output, err;
    const Bytes *holds;       // what the output must hold afterwards, when it must
    bool plain_scan = false;  // compress without the finder's memory (internal call)
  } cases[] = {
      {"pack over a megabyte", true, p("big"), p("big.qpk"), "", &packed},
      {"pack with the plain scan", true, p("small"), p("scan.qpk"), "", &packed_small, true},
      {"unpack", false, p("ref.qpk"), p("restored"), "", &original},
      {"unpack one long line", false, p("long.qpk"), p("restored-long"), "", &original},
      {"unpack an invalid character", false, p("bad.qpk"), p("x"),
       "Error: Invalid hex character\nError: Invalid Hex data\n", nullptr},
      {"unpack an invalid match", false, p("bad-match.qpk"), p("y"),
       "Error: Invalid match distance\n", nullptr},
      {"pack into a missing folder", true, p("big"), p("none/big.qpk"),
       "Error: Cannot open output file '" + p("none/big.qpk") + "'\n", nullptr},
#ifndef _WIN32
      {"unpack into a full device", false, p("ref.qpk"), "/dev/full",
       "Error: Failed to write decompressed data\n", nullptr},
#endif
  };
  for (const auto &c : cases) {
    HostPath in = Utf16(c.input), out = Utf16(c.output);
    StackRun run{false, 0};
    Outcome o = Capture([&] {
      run = RunOnSmallStack([&] {
        if (!c.plain_scan) {
          (c.pack ? library.pack : library.unpack)(in.c_str(), out.c_str());
          return;
        }
        // The finders' blocks (the full one, then the small one) are the third and fourth
        // allocations, after the token buffer's two.
        quillpack::FaultInjectionReset();
        quillpack::FaultInjectionArm(quillpack::kFaultAlloc, 3, 2);
        EXPECT_EQ(quillpack::CompressFile(c.input.c_str(), c.output.c_str()), 0) << c.name;
        EXPECT_TRUE(quillpack::FaultInjectionFired()) << c.name;
        quillpack::FaultInjectionReset();
      });
      return 0;
    });
    ASSERT_TRUE(run.ran) << c.name << ": no thread with a stack of " << kStack << " bytes";
    if (run.peak != 0) std::printf("%-32s %6zu bytes of stack\n", c.name, run.peak);
    EXPECT_EQ(o.err, c.err) << c.name;
    if (c.err.empty()) {
      EXPECT_NE(o.out.find("successful: '" + c.input + "' -> '" + c.output + "'\n"),
                std::string::npos)
          << c.name << ": " << o.out;
    }
    if (c.holds != nullptr) {
      EXPECT_TRUE(ReadFile(c.output) == *c.holds) << c.name;
    }
  }
}

}  // namespace
}  // namespace quillpack_test
