// Every allocation, read, written byte and close of a compression and a decompression,
// failed in turn: the lines printed, the result, the heap and the output file left behind.
//
// QUILLPACK_SWEEP_STRIDE=N (for slow instrumented builds) visits only the first points of
// each kind, every N-th point and the last one; unset, every point is visited.
#include <dirent.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sched.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "codec_calls.h"
#include "platform/fault_injection.h"
#include "test_kit.h"

namespace quillpack_test {
namespace {

using quillpack::FaultKind;

enum Operation { kCompress, kDecompress };

// Inputs beyond the 32 KB window, in whole blocks and a partial one. "periodic" repeats 251
// distinct bytes, so its container is small and every point can be visited in little time;
// "literals" opens with random bytes so that the token stream outgrows the first buffer
// twice and the container is read in more than one chunk.
Bytes SweepInput(const std::string &name) {
  Bytes input = Counting(9 * kBlockSize + 1136, 251, 7);
  if (name == "literals") {
    Bytes random = RandomBytes(4500, 11);
    std::copy(random.begin(), random.end(), input.begin());
  }
  return input;
}

struct Scenario {
  Operation operation;
  const char *input;
  FaultKind kind;
};

std::string KindName(FaultKind kind) {
  const char *names[] = {"alloc", "read", "write", "close"};
  return names[kind];
}

std::string ScenarioName(const Scenario &s) {
  return std::string(s.operation == kCompress ? "Compress" : "Decompress") + "_" + s.input + "_" +
         KindName(s.kind);
}

void PrintTo(const Scenario &s, std::ostream *os) {
  *os << ScenarioName(s);
}

int OpenDescriptors() {
  int count = 0;
  DIR *dir = opendir("/proc/self/fd");
  if (dir == nullptr) return -1;
  while (readdir(dir) != nullptr) ++count;
  closedir(dir);
  return count;
}

// What one run must print and leave.
struct Expected {
  bool success;
  std::string err;
  Bytes output;
};

// Resizes a buffer that starts at one block needs to hold `length` bytes.
uint64_t Growths(uint64_t length) {
  uint64_t growths = 0;
  for (uint64_t capacity = kBlockSize; capacity < length; capacity *= 2) ++growths;
  return growths;
}

struct Sweep {
  TempDir dir;
  Scenario scenario;
  Bytes original;
  Bytes container;
  uint64_t token_length;  // bytes the container's text stands for
  std::string in, out;    // paths of the operation swept
  uint64_t clean_events[quillpack::kFaultKindCount];

  int Run() const {
    return scenario.operation == kCompress ? quillpack::CompressFile(in.c_str(), out.c_str())
                                           : quillpack::DecompressFile(in.c_str(), out.c_str());
  }
  const Bytes &Result() const { return scenario.operation == kCompress ? container : original; }
  std::string SuccessLine() const {
    return std::string(scenario.operation == kCompress ? "Compression" : "Decompression") +
           " successful: '" + in + "' -> '" + out + "'\n";
  }
};

// The outcome of failing event `k` of the scenario's kind, from the order in which the
// operation takes its resources: token buffer (record, block), then for compression the match
// finder (whose loss only slows the search), then the buffer's growth; reads of the input;
// the output's bytes; closing the input, then the output.
Expected ExpectedCompressFault(const Sweep &s, uint64_t k) {
  Expected e = {false, "", {}};
  uint64_t events = s.clean_events[s.scenario.kind];
  switch (s.scenario.kind) {
    case quillpack::kFaultAlloc:
      if (k <= 2) {
        e.err = "Error: Memory allocation failed\n";
      } else if (k <= events - Growths(s.token_length)) {
        e = {true, "", s.container};
      } else {
        e.err = "Error: Buffer allocation failed\n";
      }
      break;
    case quillpack::kFaultRead:
      e.err = "Error: Failed to read input file '" + s.in + "'\n";
      break;
    case quillpack::kFaultWrite:
      e.err = "Error: Failed to encode compressed data\n";
      e.output = Prefix(s.container, static_cast<size_t>(k - 1));
      break;
    default:
      if (k == 1) {
        e = {true, "", s.container};
      } else {
        e.err = "Error: Failed to encode compressed data\n";
        e.output = s.container;
      }
  }
  return e;
}

Expected ExpectedDecompressFault(const Sweep &s, uint64_t k) {
  Expected e = {false, "", {}};
  switch (s.scenario.kind) {
    case quillpack::kFaultAlloc:
      e.err = k <= 2 ? "Error: Memory allocation failed\n" : "Error: Invalid Hex data\n";
      break;
    case quillpack::kFaultRead:
      e.err = "Error: Failed to read hex data\nError: Invalid Hex data\n";
      break;
    case quillpack::kFaultWrite:
      // The blocks written in full before the failing byte; never a part of one.
      e.err = "Error: Failed to write decompressed data\n";
      e.output = Prefix(s.original, static_cast<size_t>((k - 1) / kBlockSize * kBlockSize));
      break;
    default:
      if (k == 1) {
        e = {true, "", s.original};
      } else {
        e.err = "Error: Failed to write decompressed data\n";
        e.output = s.original;
      }
  }
  return e;
}

// Event counts a fault-free run must show, where the format fixes them.
void CheckCleanCounts(const Sweep &s) {
  const uint64_t *events = s.clean_events;
  const uint64_t size = s.original.size();
  EXPECT_EQ(events[quillpack::kFaultClose], 2u);
  if (s.scenario.operation == kCompress) {
    // One read per block, a short one for the rest, one that finds the end.
    EXPECT_EQ(events[quillpack::kFaultRead], size / kBlockSize + 1 + (size % kBlockSize != 0));
    EXPECT_EQ(events[quillpack::kFaultWrite], s.container.size());
    EXPECT_GE(events[quillpack::kFaultAlloc], 2 + Growths(s.token_length));
  } else {
    EXPECT_EQ(events[quillpack::kFaultWrite], size);
    EXPECT_GE(events[quillpack::kFaultRead], 1u);
    EXPECT_EQ(events[quillpack::kFaultAlloc], 2 + Growths(s.token_length));
  }
}

uint64_t Stride() {
  const char *value = std::getenv("QUILLPACK_SWEEP_STRIDE");
  long stride = value != nullptr ? std::strtol(value, nullptr, 10) : 1;
  return stride > 1 ? static_cast<uint64_t>(stride) : 1;
}

class FaultSweep : public testing::TestWithParam<Scenario> {};

TEST_P(FaultSweep, EveryPointFailsCleanly) {
  Sweep s;
  s.scenario = GetParam();
  s.original = SweepInput(s.scenario.input);
  const std::string original_path = s.dir.Path("original");
  const std::string container_path = s.dir.Path("original.qpk");
  WriteFile(original_path, s.original);
  Outcome made = Compress(original_path, container_path);
  ASSERT_EQ(made.result, 0) << made.err;
  s.container = ReadFile(container_path);
  s.token_length = HexToBytes(std::string(s.container.begin(), s.container.end())).size();
  if (s.scenario.operation == kCompress) {
    s.in = original_path;
    s.out = s.dir.Path("packed.qpk");
  } else {
    s.in = container_path;
    s.out = s.dir.Path("restored");
  }

  quillpack::FaultInjectionReset();
  Outcome clean = Capture([&] { return s.Run(); });
  ASSERT_EQ(clean.result, 0) << clean.err;
  ASSERT_EQ(ReadFile(s.out), s.Result());
  for (int kind = 0; kind < quillpack::kFaultKindCount; ++kind)
    s.clean_events[kind] = quillpack::FaultInjectionEvents(static_cast<FaultKind>(kind));
  CheckCleanCounts(s);

  const int descriptors = OpenDescriptors();
  const uint64_t points = s.clean_events[s.scenario.kind];
  const uint64_t stride = Stride();
  uint64_t visited = 0;
  for (uint64_t k = 1; k <= points + 1; ++k) {
    bool last = k >= points;
    if (k > 8 && k % stride != 0 && !last) continue;
    WriteText(s.out, "stale output from an earlier run\n");
    quillpack::FaultInjectionReset();
    quillpack::FaultInjectionArm(s.scenario.kind, k);
    Outcome o = Capture([&] { return s.Run(); });
    const bool fired = quillpack::FaultInjectionFired();
    const int64_t live = quillpack::FaultInjectionLiveBlocks();
    quillpack::FaultInjectionReset();

    const std::string where = KindName(s.scenario.kind) + " point " + std::to_string(k);
    ASSERT_EQ(fired, k <= points) << where;
    EXPECT_EQ(live, 0) << where;
    EXPECT_EQ(OpenDescriptors(), descriptors) << where;
    Expected e = !fired                              ? Expected{true, "", s.Result()}
                 : s.scenario.operation == kCompress ? ExpectedCompressFault(s, k)
                                                     : ExpectedDecompressFault(s, k);
    EXPECT_EQ(o.err, e.err) << where;
    EXPECT_EQ(o.out, e.success ? s.SuccessLine() : "") << where;
    EXPECT_EQ(o.result, e.success ? 0 : 1) << where;
    Bytes left = ReadFile(s.out);
    EXPECT_TRUE(left == e.output) << where << ": output holds " << left.size()
                                  << " bytes, expected " << e.output.size();
    if (testing::Test::HasFailure()) break;  // one point's report is enough
    if (fired) ++visited;
  }
  EXPECT_EQ(ReadFile(s.in), s.scenario.operation == kCompress ? s.original : s.container);
  std::printf("%s %s: %llu %s points, %llu visited\n",
              s.scenario.operation == kCompress ? "compress" : "decompress", s.scenario.input,
              static_cast<unsigned long long>(points), KindName(s.scenario.kind).c_str(),
              static_cast<unsigned long long>(visited));
  RecordProperty("points", std::to_string(points));
}

std::vector<Scenario> Scenarios() {
  std::vector<Scenario> all;
  for (Operation op : {kCompress, kDecompress}) {
    for (int kind = 0; kind < quillpack::kFaultKindCount; ++kind)
      all.push_back({op, "periodic", static_cast<FaultKind>(kind)});
    all.push_back({op, "literals", quillpack::kFaultAlloc});
    all.push_back({op, "literals", quillpack::kFaultRead});
  }
  return all;
}

INSTANTIATE_TEST_SUITE_P(, FaultSweep, testing::ValuesIn(Scenarios()),
                         [](const testing::TestParamInfo<Scenario> &scenario) {
                           return ScenarioName(scenario.param);
                         });

}  // namespace
}  // namespace quillpack_test
