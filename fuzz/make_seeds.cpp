// Writes the fuzz targets' seed inputs: raw files for the round trip (hand-made edge cases
// and every generated shape of the test kit), the containers the library makes of them,
// edited or hand-built containers for the decompressor and the hex reader, and plans for the
// match finder (fuzz/finder/finder_input.h).
// Usage: quillpack_make_seeds FOLDER (which must exist).
#include <sys/stat.h>

#include <cstdio>
#include <string>
#include <vector>

#include "codec_calls.h"
#include "finder/finder_input.h"
#include "test_kit.h"

namespace {

using namespace quillpack_test;

// A little over one block: every path of the coder, within the round trip's input limit.
constexpr size_t kShapeSize = 4100;

std::string Replace(std::string text, const std::string &from, const std::string &to) {
  for (size_t at = 0; (at = text.find(from, at)) != std::string::npos; at += to.size())
    text.replace(at, from.size(), to);
  return text;
}

std::string Lower(std::string text) {
  for (char &c : text)
    if (c >= 'A' && c <= 'F') c = static_cast<char>(c - 'A' + 'a');
  return text;
}

std::string Text(const Bytes &bytes) {
  return std::string(bytes.begin(), bytes.end());
}

std::vector<std::pair<std::string, Bytes>> RawInputs() {
  const std::string prose =
      "It was the best of times, it was the worst of times, it was the age of wisdom, it was "
      "the age of foolishness, it was the epoch of belief, it was the epoch of incredulity, it "
      "was the season of Light, it was the season of Darkness.\n";
  std::vector<std::pair<std::string, Bytes>> inputs = {
      {"empty", {}},
      {"one-byte", {'a'}},
      {"abcabcabc", Repeating(9, "abc")},
      {"thousand-x", Bytes(1000, 'x')},
      {"prose", Bytes(prose.begin(), prose.end())},
      {"all-bytes", Counting(256, 256, 1)},
      {"crossing-block", Repeating(4097, "abcdefg")},
      {"beyond-window", Counting(40000, 251, 7)},
  };
  for (const std::string &shape : ShapeNames()) inputs.push_back({shape, Shape(shape, kShapeSize)});
  return inputs;
}

// Plans for the finder target: each start kind, both sizes, short blocks, appends of one byte,
// of many and token by token, across a sweep and a rebase, with runs and periodic stretches.
std::vector<std::pair<std::string, Bytes>> FinderPlans() {
  using namespace quillpack_fuzz;
  const Bytes prose = Repeating(200, "It was the best of times, it was the worst of times. ");
  std::vector<std::pair<std::string, Bytes>> plans;

  Bytes mixed = FinderHeader(false, kStartFirst, 0, 255);
  AddLiterals(&mixed, prose);
  AddRun(&mixed, 300, 'a');
  AddCopy(&mixed, 7, 500);
  AddAppends(&mixed, 1);
  AddLiterals(&mixed, RandomBytes(100, 1, 4));
  AddCopy(&mixed, 3, 100);
  AddAppends(&mixed, 0);
  AddRun(&mixed, 20, 'b');
  AddCopy(&mixed, 250, 1000);
  plans.push_back({"mixed", mixed});

  Bytes small = FinderHeader(true, kStartOffset, 12345, 40);
  AddLiterals(&small, RandomBytes(300, 2, 3));
  AddAppends(&small, 1);
  AddCopy(&small, 5, 400);
  AddAppends(&small, 7);
  AddRun(&small, 90, 0);
  AddCopy(&small, 200, 600);
  plans.push_back({"small-finder", small});

  // The first sweep comes 32768 bytes in: one large append of runs and periodic stretches to
  // just short of it, then appends of 5 bytes across it.
  Bytes sweep = FinderHeader(false, kStartFirst, 0, 255);
  AddLiterals(&sweep, RandomBytes(1000, 3, 8));
  AddSkip(&sweep, 31200);
  for (uint32_t d : {1u, 2u, 3u, 17u, 100u, 255u, 256u, 1000u}) AddCopy(&sweep, d, 3900);
  AddAppends(&sweep, 5);
  AddLiterals(&sweep, RandomBytes(800, 4));
  AddCopy(&sweep, 150, 20);
  plans.push_back({"across-a-sweep", sweep});

  // Positions start 40000 below the rebase mark; a run longer than the window reaches across
  // the rebase, and a lookahead after it starts with that run's byte.
  Bytes rebase = FinderHeader(false, kStartNearMark, 20000, 255);
  AddLiterals(&rebase, RandomBytes(2000, 5, 16));
  AddSkip(&rebase, 49000);
  for (int i = 0; i < 3; ++i) AddRun(&rebase, 16384, 'x');
  AddLiterals(&rebase, RandomBytes(100, 6));
  AddRun(&rebase, 60, 'x');
  AddLiterals(&rebase, RandomBytes(50, 7));
  AddCopy(&rebase, 40000, 100);
  plans.push_back({"across-a-rebase", rebase});

  Bytes far = FinderHeader(true, kStartFar, 4000, 200);
  AddLiterals(&far, RandomBytes(1000, 8));
  AddSkip(&far, 63000);
  AddSkip(&far, 15000);
  for (int i = 0; i < 5; ++i) AddCopy(&far, 999, 15600);
  AddLiterals(&far, RandomBytes(200, 9));
  plans.push_back({"small-finder-far", far});
  return plans;
}

}  // namespace

int main(int argc, char **argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
    return 2;
  }
  const std::string folder = argv[1];
  for (const char *target : {"roundtrip", "decompress", "hex_reader", "finder"})
    mkdir((folder + "/" + target).c_str(), 0755);
  bool ok = true;
  auto seed = [&](const char *target, const std::string &name, const std::string &text) {
    ok = WriteText(folder + "/" + target + "/" + name, text) && ok;
  };

  std::string base_container;
  for (const auto &[name, raw] : RawInputs()) {
    std::string raw_path = folder + "/roundtrip/" + name;
    std::string container_path = folder + "/decompress/" + name + ".qpk";
    seed("roundtrip", name, Text(raw));
    ok = Compress(raw_path, container_path).result == 0 && ok;
    std::string container = ReadText(container_path);
    seed("hex_reader", name + ".qpk", container);
    if (name == "thousand-x") base_container = container;
  }

  // Edited containers: every rule of the reader and the decoder, each once.
  auto tokens = [](Bytes rest) {
    Bytes stream = TokenHeader();
    stream.insert(stream.end(), rest.begin(), rest.end());
    return PlainArmour(stream);
  };
  const std::pair<std::string, std::string> edited[] = {
      {"lower-case", Lower(base_container)},
      {"crlf", Replace(base_container, "\n", "\r\n")},
      {"spaced", Replace(base_container, "0", " 0\t")},
      {"odd-digits", base_container.substr(0, base_container.size() - 2) + "\n"},
      {"invalid-character", "51504B01G0\n"},
      {"version-2", "51504B02\n"},
      {"short-header", "51504B\n"},
      {"header-only", tokens({})},
      {"bad-kind", tokens({0x01, 0x61})},
      {"cut-literal", tokens({0x00, 0x61, 0x00})},
      {"cut-match", tokens({0x00, 0x61, 0x80, 0x03})},
      {"distance-zero", tokens({0x00, 0x61, 0x80, 0x03, 0x00, 0x00})},
      {"empty-match", tokens({0x80, 0x00, 0x00, 0x00, 0x00, 0x61})},
      {"first-match", tokens({0x80, 0x03, 0x01, 0x00})},
      {"overlapping-match", tokens({0x00, 0x61, 0x80, 0x05, 0x01, 0x00})},
      {"far-match", tokens({0x00, 0x61, 0x80, 0xFF, 0x01, 0x00, 0x80, 0xFF, 0x00, 0x80})},
  };
  for (const auto &[name, text] : edited) {
    seed("decompress", name + ".qpk", text);
    seed("hex_reader", name + ".qpk", text);
  }
  const std::pair<std::string, std::string> texts[] = {
      {"lower-pairs", "abcd"},    {"odd", "ABC"},       {"invalid-pair", "AG"},
      {"lone-invalid", "G"},      {"white", " \t\r\n"}, {"split-pair", "4 1"},
      {"high-bytes", "\xFF\xFF"},
  };
  for (const auto &[name, text] : texts) seed("hex_reader", name, text);
  for (const auto &[name, plan] : FinderPlans()) seed("finder", name, Text(plan));
  if (!ok) std::fprintf(stderr, "%s: could not write every seed\n", argv[0]);
  return ok ? 0 : 1;
}
