// Writes the fuzz targets' seed inputs: raw files for the round trip (hand-made edge cases
// and every generated shape of the test kit), the containers the library makes of them,
// and edited or hand-built containers for the decompressor and the hex reader.
// Usage: quillpack_make_seeds FOLDER (which must exist).
#include <sys/stat.h>

#include <cstdio>
#include <string>
#include <vector>

#include "codec_calls.h"
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

}  // namespace

int main(int argc, char **argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
    return 2;
  }
  const std::string folder = argv[1];
  for (const char *target : {"roundtrip", "decompress", "hex_reader"})
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
  if (!ok) std::fprintf(stderr, "%s: could not write every seed\n", argv[0]);
  return ok ? 0 : 1;
}
