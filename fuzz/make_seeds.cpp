// Writes the fuzz targets' seed inputs, made by the library itself: raw files for the round
// trip, their containers and edited or hand-built containers for the decompressor and the
// hex reader. Usage: quillpack_make_seeds FOLDER (which must exist).
#include <sys/stat.h>

#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "armour/hex_armour.h"
#include "codec/codec.h"

namespace {

using Bytes = std::vector<uint8_t>;

std::string folder;

bool Write(const std::string &path, const std::string &text) {
  std::FILE *f = std::fopen(path.c_str(), "wb");
  if (f == nullptr) return false;
  bool ok = std::fwrite(text.data(), 1, text.size(), f) == text.size();
  return std::fclose(f) == 0 && ok;
}

std::string Read(const std::string &path) {
  std::string text;
  std::FILE *f = std::fopen(path.c_str(), "rb");
  if (f == nullptr) return text;
  int c;
  while ((c = std::fgetc(f)) != EOF) text += static_cast<char>(c);
  std::fclose(f);
  return text;
}

// The container text the library writes for a token stream.
std::string Armour(const Bytes &stream) {
  std::string path = folder + "/armour.tmp";
  std::FILE *f = std::fopen(path.c_str(), "w");
  if (f == nullptr) return "";
  quillpack::WriteHexArmour(stream.data(), static_cast<uint32_t>(stream.size()), f);
  std::fclose(f);
  std::string text = Read(path);
  std::remove(path.c_str());
  return text;
}

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

std::vector<std::pair<std::string, std::string>> RawInputs() {
  std::vector<std::pair<std::string, std::string>> inputs = {
      {"empty", ""},
      {"one-byte", "a"},
      {"abcabcabc", "abcabcabc"},
      {"thousand-x", std::string(1000, 'x')},
      {"prose", "It was the best of times, it was the worst of times, it was the age of "
                "wisdom, it was the age of foolishness, it was the epoch of belief, it was "
                "the epoch of incredulity, it was the season of Light, it was the season of "
                "Darkness.\n"},
  };
  std::string bytes;
  for (int i = 0; i < 256; ++i) bytes += static_cast<char>(i);
  inputs.push_back({"all-bytes", bytes});
  std::string crossing;
  for (int i = 0; i < 4097; ++i) crossing += "abcdefg"[i % 7];
  inputs.push_back({"crossing-block", crossing});
  std::mt19937 rng(5);
  std::string random;
  for (int i = 0; i < 3000; ++i) random += static_cast<char>(rng() % 16 + 'a');
  inputs.push_back({"random", random});
  std::string periodic;
  for (int i = 0; i < 40000; ++i) periodic += static_cast<char>((i % 251) * 7);
  inputs.push_back({"beyond-window", periodic});
  return inputs;
}

}  // namespace

int main(int argc, char **argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
    return 2;
  }
  folder = argv[1];
  if (std::freopen("/dev/null", "w", stdout) == nullptr) return 1;
  for (const char *target : {"roundtrip", "decompress", "hex_reader"})
    mkdir((folder + "/" + target).c_str(), 0755);
  bool ok = true;
  auto seed = [&](const char *target, const std::string &name, const std::string &text) {
    ok = Write(folder + "/" + target + "/" + name, text) && ok;
  };

  std::string base_container;
  for (const auto &[name, raw] : RawInputs()) {
    std::string raw_path = folder + "/roundtrip/" + name;
    std::string container_path = folder + "/decompress/" + name + ".qpk";
    seed("roundtrip", name, raw);
    ok = quillpack::CompressFile(raw_path.c_str(), container_path.c_str()) == 0 && ok;
    std::string container = Read(container_path);
    seed("hex_reader", name + ".qpk", container);
    if (name == "thousand-x") base_container = container;
  }

  // Edited containers: every rule of the reader and the decoder, each once.
  const Bytes header = {'Q', 'P', 'K', 1};
  auto tokens = [&](Bytes rest) {
    Bytes stream = header;
    stream.insert(stream.end(), rest.begin(), rest.end());
    return Armour(stream);
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
      {"lower-pairs", "abcd"}, {"odd", "ABC"},           {"invalid-pair", "AG"},
      {"lone-invalid", "G"},   {"white", " \t\r\n"},    {"split-pair", "4 1"},
      {"high-bytes", "\xFF\xFF"},
  };
  for (const auto &[name, text] : texts) seed("hex_reader", name, text);
  if (!ok) std::fprintf(stderr, "%s: could not write every seed\n", argv[0]);
  return ok ? 0 : 1;
}
