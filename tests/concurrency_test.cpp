// Many threads packing and restoring their own files at once through the exported functions.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "test_kit.h"

namespace quillpack_test {
namespace {

constexpr int kThreads = 8;
constexpr int kRounds = 3;

// Each thread's own file: a shape of its own, some beyond the 32 KB window.
Bytes ThreadInput(int thread) {
  return Shape(ShapeNames()[2 * thread % ShapeNames().size()], 6000 + 5000 * thread);
}

// How often each line of `text` comes; a last line without its line feed is marked.
std::map<std::string, int> CountLines(const std::string &text) {
  std::map<std::string, int> lines;
  for (size_t start = 0, end; start < text.size(); start = end + 1) {
    end = std::min(text.find('\n', start), text.size());
    ++lines[(end == text.size() ? "unterminated: " : "") + text.substr(start, end - start)];
  }
  return lines;
}

struct Worker {
  std::unique_ptr<TempDir> dir;
  Bytes input;
  Bytes container;  // what a call on its own makes of the input
  HostPath in, packed, restored;
  int mismatches = 0;
};

TEST(Concurrency, ThreadsPackAndRestoreTheirOwnFiles) {
  const Library &library = BuiltLibrary();
  ASSERT_NE(library.pack, nullptr);
  ASSERT_NE(library.unpack, nullptr);

  std::vector<Worker> workers(kThreads);
  std::map<std::string, int> expected_lines;
  for (int t = 0; t < kThreads; ++t) {
    Worker &w = workers[t];
    w.dir = std::make_unique<TempDir>();
    w.input = ThreadInput(t);
    WriteFile(w.dir->Path("in"), w.input);
    w.in = Utf16(w.dir->Path("in"));
    w.packed = Utf16(w.dir->Path("in.qpk"));
    w.restored = Utf16(w.dir->Path("restored"));
    Outcome alone = Capture([&] { return library.pack(w.in.c_str(), w.packed.c_str()); });
    ASSERT_EQ(alone.err, "");
    w.container = ReadFile(w.dir->Path("in.qpk"));
    expected_lines["Compression successful: '" + w.dir->Path("in") + "' -> '" +
                   w.dir->Path("in.qpk") + "'"] += kRounds;
    expected_lines["Decompression successful: '" + w.dir->Path("in.qpk") + "' -> '" +
                   w.dir->Path("restored") + "'"] += kRounds;
  }

  // One capture around all threads: the streams are the process's, not the thread's.
  Outcome all = Capture([&] {
    std::vector<std::thread> threads;
    for (Worker &w : workers) {
      threads.emplace_back([&w, &library] {
        for (int round = 0; round < kRounds; ++round) {
          library.pack(w.in.c_str(), w.packed.c_str());
          if (ReadFile(w.dir->Path("in.qpk")) != w.container) ++w.mismatches;
          library.unpack(w.packed.c_str(), w.restored.c_str());
          if (ReadFile(w.dir->Path("restored")) != w.input) ++w.mismatches;
        }
      });
    }
    for (std::thread &thread : threads) thread.join();
    return 0;
  });

  for (int t = 0; t < kThreads; ++t) EXPECT_EQ(workers[t].mismatches, 0) << "thread " << t;
  EXPECT_EQ(all.err, "");
  // Lines of different calls may come in any order, but each arrives whole.
  EXPECT_EQ(CountLines(all.out), expected_lines);
}

// Lines longer than the printer writes in one piece, from many threads at once: each arrives
// whole, never mixed with another thread's.
TEST(Concurrency, LongLinesArriveWhole) {
  const Library &library = BuiltLibrary();
  ASSERT_NE(library.pack, nullptr);
  TempDir dir;
  constexpr int kCalls = 200;
  std::vector<HostPath> missing(kThreads);
  std::map<std::string, int> expected_lines;
  for (int t = 0; t < kThreads; ++t) {
    const std::string path = dir.Path(std::string(600, static_cast<char>('a' + t)));
    missing[t] = Utf16(path);
    expected_lines["Error: Cannot open input file '" + path + "'"] = kCalls;
  }
  const HostPath out = Utf16(dir.Path("out"));
  Outcome all = Capture([&] {
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
      threads.emplace_back([&, t] {
        for (int call = 0; call < kCalls; ++call) library.pack(missing[t].c_str(), out.c_str());
      });
    }
    for (std::thread &thread : threads) thread.join();
    return 0;
  });
  std::map<std::string, int> lines = CountLines(all.err);
  EXPECT_TRUE(lines == expected_lines) << lines.size() << " different lines";
}

}  // namespace
}  // namespace quillpack_test
