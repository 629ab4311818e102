// quillpack_bench: times pack and unpack against gzip -6 and gzip -d, file by file.
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "measure.h"

namespace quillpack_bench {
namespace {

namespace fs = std::filesystem;

constexpr size_t kShapeSize = 1000000;
constexpr size_t kLinearSmall = 1000000;
constexpr size_t kLinearLarge = 4000000;
constexpr size_t kLargeFile = 400000;  // corpus files this size and up carry the speed targets
constexpr double kMiB = 1024.0 * 1024.0;
// The targets: pack time over gzip -6's and unpack time over gzip -d's on large files, pack
// speed on generated inputs.
constexpr double kPackOverGzip = 0.85;
constexpr double kUnpackOverGunzip = 0.5;
constexpr double kShapeMBps = 20;

struct Options {
  std::string corpus = QUILLPACK_CORPUS_DIR;
  std::string library = QUILLPACK_LIBRARY_PATH;
  std::string work;
  std::string filter;
  std::string keep;
  std::string linear_shape = "alphabet-2";
  std::vector<std::string> files;  // more real files, judged like large corpus files
  int runs = 5;
  int pack_runs = -1;  // -1: as many as --runs
  uint64_t pack_max = UINT64_MAX;
  bool gzip = true;
  bool shapes = true;
  bool linear = true;
  Clock clock = kWallClock;
};

// One input of the table: a corpus file, a prefix of one, or a generated shape.
struct Input {
  std::string name;
  std::string corpus_path;  // empty for a generated input
  size_t prefix = 0;        // 0: the whole corpus file
  std::string shape;
  size_t shape_size = 0;
  bool corpus = false;  // a whole corpus file, judged by the speed targets
  bool given = false;   // given with --file: judged like a large corpus file at any size
};

struct Row {
  Input input;
  uint64_t size = 0;
  double pack = NAN, gzip = NAN, unpack = NAN, gunzip = NAN;
  int64_t pack_peak = -1, unpack_peak = -1;
  uint64_t tokens = 0;
  bool ok = true;
  std::string note;
};

void Usage() {
  std::printf(
      "usage: quillpack_bench [options]\n"
      "  --corpus DIR      corpus folder (default %s)\n"
      "  --library PATH    the shared library to load (default %s)\n"
      "  --filter TEXT     only inputs whose name contains TEXT\n"
      "  --file PATH       also measure this file (repeatable), judged like a large corpus file\n"
      "  --runs N          timed runs per input, median reported (default 5)\n"
      "  --pack-runs N     timed pack runs per input (default: --runs)\n"
      "  --pack-max BYTES  do not time packs of inputs larger than this\n"
      "  --keep DIR        store containers in DIR; inputs not packed take theirs from it\n"
      "  --work DIR        scratch folder (default /dev/shm/quillpack-bench-PID)\n"
      "  --linear SHAPE    generated shape of the linearity check (default alphabet-2)\n"
      "  --no-gzip         skip the gzip columns\n"
      "  --no-shapes       skip the generated inputs\n"
      "  --no-linear       skip the linearity check\n"
      "  --cpu             time CPU seconds (user + system) instead of wall clock\n",
      QUILLPACK_CORPUS_DIR, QUILLPACK_LIBRARY_PATH);
}

bool ParseOptions(int argc, char **argv, Options *o) {
  for (int i = 1; i < argc; ++i) {
    std::string a = argv[i];
    auto value = [&](std::string *dst) {
      if (i + 1 >= argc) return false;
      *dst = argv[++i];
      return true;
    };
    std::string v;
    if (a == "--corpus") {
      if (!value(&o->corpus)) return false;
    } else if (a == "--library") {
      if (!value(&o->library)) return false;
    } else if (a == "--filter") {
      if (!value(&o->filter)) return false;
    } else if (a == "--file") {
      if (!value(&v)) return false;
      o->files.push_back(v);
    } else if (a == "--keep") {
      if (!value(&o->keep)) return false;
    } else if (a == "--work") {
      if (!value(&o->work)) return false;
    } else if (a == "--linear") {
      if (!value(&o->linear_shape)) return false;
    } else if (a == "--runs" && value(&v)) {
      o->runs = std::atoi(v.c_str());
      if (o->runs < 1) return false;
    } else if (a == "--pack-runs" && value(&v)) {
      o->pack_runs = std::atoi(v.c_str());
      if (o->pack_runs < 0) return false;
    } else if (a == "--pack-max" && value(&v)) {
      o->pack_max = std::strtoull(v.c_str(), nullptr, 10);
    } else if (a == "--no-gzip") {
      o->gzip = false;
    } else if (a == "--no-shapes") {
      o->shapes = false;
    } else if (a == "--no-linear") {
      o->linear = false;
    } else if (a == "--cpu") {
      o->clock = kCpuClock;
    } else {
      return false;
    }
  }
  if (o->pack_runs < 0 || o->pack_runs > o->runs) o->pack_runs = o->runs;
  return true;
}

// The table's inputs. False when the corpus folder cannot be listed: a benchmark without its
// data measures nothing.
bool ListInputs(const Options &o, std::vector<Input> *list) {
  std::vector<Input> inputs;
  std::vector<std::string> names;
  std::error_code ec;
  if (!ListCorpus(o.corpus, &names)) return false;
  for (const std::string &name : names) {
    Input in;
    in.name = name;
    in.corpus_path = o.corpus + "/" + name;
    in.corpus = true;
    inputs.push_back(in);
  }
  for (const std::string &path : o.files) {
    Input in;
    in.name = fs::path(path).filename().string();
    in.corpus_path = path;
    in.corpus = true;
    in.given = true;
    inputs.push_back(in);
  }
  if (o.shapes) {
    for (const std::string &shape : ShapeNames()) {
      Input in;
      in.name = shape;
      in.shape = shape;
      in.shape_size = kShapeSize;
      inputs.push_back(in);
    }
  }
  if (o.linear) {
    std::string bible = o.corpus + "/bible.txt";
    for (size_t size : {kLinearSmall, kLinearLarge}) {
      const char *tag = size == kLinearSmall ? "@1MB" : "@4MB";
      if (fs::file_size(bible, ec) >= size && !ec) {
        Input in;
        in.name = "bible.txt" + std::string(tag);
        in.corpus_path = bible;
        in.prefix = size;
        inputs.push_back(in);
      }
      Input in;
      in.name = o.linear_shape + tag;
      in.shape = o.linear_shape;
      in.shape_size = size;
      inputs.push_back(in);
    }
  }
  list->clear();
  for (const Input &in : inputs)
    if (in.name.find(o.filter) != std::string::npos) list->push_back(in);
  return true;
}

bool PlaceInput(const Input &in, const std::string &path, uint64_t *size) {
  Bytes bytes;
  if (!in.corpus_path.empty()) {
    bytes = ReadFile(in.corpus_path);
    if (in.prefix > 0) bytes.resize(std::min(bytes.size(), in.prefix));
  } else if (!MakeShape(in.shape, in.shape_size, &bytes)) {
    return false;
  }
  *size = bytes.size();
  return WriteFile(path, bytes);
}

// Bytes of the token stream a container carries: its hex digits, two a byte.
uint64_t TokenBytes(const std::string &container) {
  Bytes text = ReadFile(container);
  uint64_t digits = 0;
  for (uint8_t c : text) digits += std::isxdigit(c) ? 1 : 0;
  return digits / 2;
}

double Median(std::vector<double> v) {
  if (v.empty()) return NAN;
  std::sort(v.begin(), v.end());
  size_t n = v.size();
  return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

std::string FirstLine(const std::string &path) {
  std::string s = ReadText(path);
  size_t end = s.find('\n');
  return end == std::string::npos ? s : s.substr(0, end);
}

// Times every step of one input, interleaved run by run, then measures peak memory.
Row Measure(const Options &o, const Library &lib, const std::string &work, const Input &in) {
  Row row;
  row.input = in;
  std::string src = work + "/in", qpk = work + "/in.qpk", out = work + "/out";
  std::string gz = work + "/in.gz", gout = work + "/out.gz", err = work + "/err";
  if (!PlaceInput(in, src, &row.size)) {
    row.ok = false;
    row.note = "cannot make the input";
    return row;
  }
  bool timed_pack = row.size <= o.pack_max && o.pack_runs > 0;
  std::string kept = o.keep.empty() ? "" : o.keep + "/" + in.name + ".qpk";
  std::error_code ec;
  fs::remove(qpk, ec);
  if (!timed_pack) {
    if (!kept.empty() && fs::exists(kept)) {
      fs::copy_file(kept, qpk, fs::copy_options::overwrite_existing, ec);
    } else {
      TimeEntry(lib.pack, src, qpk, err, o.clock);
    }
  }
  std::vector<double> pack, gzip, unpack, gunzip;
  for (int run = 0; run < o.runs; ++run) {
    if (timed_pack && run < o.pack_runs)
      pack.push_back(TimeEntry(lib.pack, src, qpk, err, o.clock));
    if (o.gzip) gzip.push_back(TimeCommand({"gzip", "-6", "-c", src}, gz, o.clock));
    fs::remove(out, ec);
    unpack.push_back(TimeEntry(lib.unpack, qpk, out, err, o.clock));
    if (!SameContents(src, out)) {
      row.ok = false;
      row.note = "round trip differs: " + FirstLine(err);
      return row;
    }
    if (o.gzip) {
      gunzip.push_back(TimeCommand({"gzip", "-d", "-c", gz}, gout, o.clock));
      if (!SameContents(src, gout)) {
        row.ok = false;
        row.note = "gzip round trip differs";
        return row;
      }
    }
  }
  row.pack = Median(pack);
  row.gzip = Median(gzip);
  row.unpack = Median(unpack);
  row.gunzip = Median(gunzip);
  row.tokens = TokenBytes(qpk);
  if (timed_pack) row.pack_peak = MeasurePeak(o.library, "pack", src, work + "/peak.qpk");
  row.unpack_peak = MeasurePeak(o.library, "unpack", qpk, work + "/peak.out");
  if (!SameContents(src, work + "/peak.out")) {
    row.ok = false;
    row.note = "round trip in the memory child differs";
  }
  if (!kept.empty()) fs::copy_file(qpk, kept, fs::copy_options::overwrite_existing, ec);
  return row;
}

std::string Seconds(double s) {
  char text[32];
  if (std::isnan(s)) return "-";
  std::snprintf(text, sizeof text, "%.4f", s);
  return text;
}

std::string Ratio(double a, double b) {
  char text[32];
  if (std::isnan(a) || std::isnan(b) || b <= 0) return "-";
  std::snprintf(text, sizeof text, "%.2f", a / b);
  return text;
}

std::string MiB(int64_t bytes) {
  char text[32];
  if (bytes < 0) return "-";
  std::snprintf(text, sizeof text, "%.2f", static_cast<double>(bytes) / kMiB);
  return text;
}

void PrintHeader() {
  std::printf("%-18s %9s %8s %8s %5s %7s %8s %8s %5s %6s %6s %6s %s\n", "file", "size", "pack s",
              "gzip-6 s", "ratio", "MB/s", "unpack s", "gzip-d s", "ratio", "pk MiB", "up MiB",
              "tk MiB", "check");
}

void PrintRow(const Row &r) {
  char mbs[32] = "-";
  if (!std::isnan(r.pack) && r.pack > 0)
    std::snprintf(mbs, sizeof mbs, "%.1f", static_cast<double>(r.size) / 1e6 / r.pack);
  std::printf(
      "%-18s %9llu %8s %8s %5s %7s %8s %8s %5s %6s %6s %6s %s\n", r.input.name.c_str(),
      static_cast<unsigned long long>(r.size), Seconds(r.pack).c_str(), Seconds(r.gzip).c_str(),
      Ratio(r.pack, r.gzip).c_str(), mbs, Seconds(r.unpack).c_str(), Seconds(r.gunzip).c_str(),
      Ratio(r.unpack, r.gunzip).c_str(), MiB(r.pack_peak).c_str(), MiB(r.unpack_peak).c_str(),
      MiB(static_cast<int64_t>(r.tokens)).c_str(), r.ok ? "ok" : ("FAIL " + r.note).c_str());
  std::fflush(stdout);
}

// Prints the 4 MB row's times over the 1 MB row's; returns how many exceed 4.5.
int PrintLinearity(const Options &o, const std::vector<Row> &rows) {
  int missed = 0;
  auto find = [&](const std::string &name) -> const Row * {
    for (const Row &r : rows)
      if (r.input.name == name && r.ok) return &r;
    return nullptr;
  };
  for (const std::string &base : {std::string("bible.txt"), o.linear_shape}) {
    const Row *small = find(base + "@1MB");
    const Row *large = find(base + "@4MB");
    if (small == nullptr || large == nullptr) continue;
    std::printf("linearity %-14s 4x input: pack x%s, unpack x%s (limit 4.5)\n", base.c_str(),
                Ratio(large->pack, small->pack).c_str(),
                Ratio(large->unpack, small->unpack).c_str());
    for (double factor : {large->pack / small->pack, large->unpack / small->unpack}) {
      if (!std::isnan(factor) && factor > 4.5) ++missed;
    }
  }
  if (missed > 0) std::printf("target missed: %d linearity factor(s) above 4.5\n", missed);
  return missed;
}

// One line per target missed, judged on what was measured; `missed` counts those already
// printed.
void PrintTargets(const std::vector<Row> &rows, int missed) {
  auto miss = [&](const Row &r, const char *what) {
    std::printf("target missed: %s: %s\n", r.input.name.c_str(), what);
    ++missed;
  };
  for (const Row &r : rows) {
    if (!r.ok) continue;
    bool large = r.input.corpus && (r.size >= kLargeFile || r.input.given);
    char what[64];
    if (large && !std::isnan(r.gzip) && r.pack > kPackOverGzip * r.gzip) {
      std::snprintf(what, sizeof what, "pack above %.2f x gzip -6", kPackOverGzip);
      miss(r, what);
    }
    if (large && !std::isnan(r.gunzip) && r.unpack > kUnpackOverGunzip * r.gunzip) {
      std::snprintf(what, sizeof what, "unpack above %.2f x gzip -d", kUnpackOverGunzip);
      miss(r, what);
    }
    if (!std::isnan(r.pack) && !r.input.shape.empty() && r.size >= kShapeSize &&
        static_cast<double>(r.size) / 1e6 / r.pack < kShapeMBps) {
      std::snprintf(what, sizeof what, "pack below %.0f MB/s", kShapeMBps);
      miss(r, what);
    }
    if (r.pack_peak > static_cast<int64_t>(r.tokens) + static_cast<int64_t>(4 * kMiB))
      miss(r, "pack peak above token stream + 4 MiB");
    if (r.unpack_peak > static_cast<int64_t>(r.tokens) + static_cast<int64_t>(kMiB))
      miss(r, "unpack peak above token stream + 1 MiB");
  }
  if (missed == 0) std::printf("every measured target met\n");
}

}  // namespace
}  // namespace quillpack_bench

int main(int argc, char **argv) {
  using namespace quillpack_bench;
  int child = PeakChildMain(argc, argv);
  if (child >= 0) return child;
  Options o;
  if (!ParseOptions(argc, argv, &o)) {
    Usage();
    return 2;
  }
  Library lib;
  std::string error;
  if (!OpenLibrary(o.library, &lib, &error)) {
    std::fprintf(stderr, "quillpack_bench: %s\n", error.c_str());
    return 1;
  }
  std::string work =
      o.work.empty() ? "/dev/shm/quillpack-bench-" + std::to_string(getpid()) : o.work;
  std::error_code ec;
  fs::create_directories(work, ec);
  if (!o.keep.empty()) fs::create_directories(o.keep, ec);
  std::vector<Input> inputs;
  if (!ListInputs(o, &inputs)) {
    std::fprintf(stderr, "quillpack_bench: cannot list the corpus folder %s\n", o.corpus.c_str());
    return 1;
  }
  std::printf("runs %d (pack %d), median; seconds of %s; MiB peak resident increase\n", o.runs,
              o.pack_runs, o.clock == kCpuClock ? "CPU time" : "wall clock");
  PrintHeader();
  std::vector<Row> rows;
  bool all_ok = true;
  for (const Input &in : inputs) {
    rows.push_back(Measure(o, lib, work, in));
    all_ok = all_ok && rows.back().ok;
    PrintRow(rows.back());
  }
  if (o.work.empty()) fs::remove_all(work, ec);
  PrintTargets(rows, PrintLinearity(o, rows));
  return all_ok ? 0 : 1;
}
