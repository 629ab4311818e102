// Generated inputs: random data, small alphabets, runs, periods, blocks and English-like text.
#include "input_shapes.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace quillpack_test {
namespace {

constexpr size_t kBlock = 4096;

// splitmix64: small, fast and the same on every platform.
struct Rng {
  uint64_t state;
};

uint64_t Next(Rng *rng) {
  uint64_t z = (rng->state += 0x9E3779B97F4A7C15ull);
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  return z ^ (z >> 31);
}

uint32_t Below(Rng *rng, uint32_t n) {
  return static_cast<uint32_t>(Next(rng) % n);
}

Bytes Letters(const char *letters, size_t size) {
  Bytes out = RandomBytes(size, 0x5eed, static_cast<uint32_t>(std::strlen(letters)));
  for (uint8_t &b : out) b = static_cast<uint8_t>(letters[b]);
  return out;
}

// Runs of 256 to 65536 equal bytes, the byte changing from run to run.
Bytes LongRuns(size_t size) {
  Bytes out;
  Rng rng{42};
  while (out.size() < size) {
    uint8_t byte = static_cast<uint8_t>('a' + Below(&rng, 4));
    size_t run = 256 + Below(&rng, 65536 - 256 + 1);
    for (size_t i = 0; i < run && out.size() < size; ++i) out.push_back(byte);
  }
  return out;
}

// Stretches of 16 to 1000 bytes, each a random pattern of 1 to 16 bytes repeated, joined
// without a break.
Bytes MixedPeriods(size_t size) {
  Bytes out;
  Rng rng{1616};
  uint8_t pattern[16];
  while (out.size() < size) {
    uint32_t period = 1 + Below(&rng, 16);
    for (uint32_t i = 0; i < period; ++i) pattern[i] = static_cast<uint8_t>(Next(&rng));
    uint32_t length = 16 + Below(&rng, 985);
    for (uint32_t i = 0; i < length && out.size() < size; ++i) out.push_back(pattern[i % period]);
  }
  return out;
}

// Random bytes, each followed by a run of 1 to 8 zero bytes.
Bytes ZeroRuns(size_t size) {
  Bytes out;
  Rng rng{808};
  while (out.size() < size) {
    out.push_back(static_cast<uint8_t>(Next(&rng)));
    uint32_t run = 1 + Below(&rng, 8);
    for (uint32_t i = 0; i < run && out.size() < size; ++i) out.push_back(0);
  }
  return out;
}

// Eight random 4096-byte blocks, then blocks drawn from those eight at random, unchanged.
Bytes ExactBlocks(size_t size) {
  Bytes out;
  constexpr uint32_t kKinds = 8;
  Rng rng{4096};
  Bytes kinds(kKinds * kBlock);
  for (uint8_t &b : kinds) b = static_cast<uint8_t>(Next(&rng));
  for (size_t i = 0; i < kinds.size() && out.size() < size; ++i) out.push_back(kinds[i]);
  while (out.size() < size) {
    const uint8_t *block = kinds.data() + Below(&rng, kKinds) * kBlock;
    for (size_t i = 0; i < kBlock && out.size() < size; ++i) out.push_back(block[i]);
  }
  return out;
}

// Runs of 2 to 6 equal bytes, each followed by one different byte.
Bytes ShortRuns(size_t size) {
  Bytes out;
  Rng rng{99};
  while (out.size() < size) {
    uint8_t byte = static_cast<uint8_t>('a' + Below(&rng, 8));
    uint32_t run = 2 + Below(&rng, 5);
    for (uint32_t i = 0; i < run && out.size() < size; ++i) out.push_back(byte);
    if (out.size() < size) out.push_back(static_cast<uint8_t>('A' + Below(&rng, 8)));
  }
  return out;
}

// Words drawn with a skewed frequency, in sentences and lines of about 70 characters.
Bytes EnglishLike(size_t size) {
  Bytes out;
  static const char *const kWords[] = {
      "the",     "of",    "and",     "to",      "a",      "in",      "that",   "is",      "was",
      "he",      "for",   "it",      "with",    "as",     "his",     "on",     "be",      "at",
      "by",      "had",   "not",     "are",     "but",    "from",    "or",     "have",    "an",
      "they",    "which", "one",     "you",     "were",   "her",     "all",    "she",     "there",
      "would",   "their", "we",      "him",     "been",   "has",     "when",   "who",     "will",
      "more",    "no",    "if",      "out",     "so",     "said",    "what",   "up",      "its",
      "about",   "into",  "than",    "them",    "can",    "only",    "other",  "new",     "some",
      "could",   "time",  "these",   "two",     "may",    "then",    "do",     "first",   "any",
      "my",      "now",   "such",    "like",    "our",    "over",    "man",    "me",      "even",
      "most",    "made",  "after",   "also",    "did",    "many",    "before", "must",    "through",
      "back",    "years", "where",   "much",    "your",   "way",     "well",   "down",    "should",
      "because", "each",  "just",    "those",   "people", "how",     "too",    "little",  "state",
      "good",    "very",  "make",    "world",   "still",  "own",     "see",    "men",     "work",
      "long",    "get",   "here",    "between", "both",   "life",    "being",  "under",   "never",
      "day",     "same",  "another", "know",    "while",  "last",    "might",  "us",      "great",
      "old",     "year",  "off",     "come",    "since",  "against", "go",     "came",    "right",
      "used",    "take",  "three",   "river",   "garden", "letter",  "window", "morning", "quiet"};
  constexpr uint32_t kCount = sizeof kWords / sizeof kWords[0];
  Rng rng{2024};
  size_t column = 0;
  bool capital = true;
  while (out.size() < size) {
    // The smaller of two uniform picks favours the common words at the front of the list.
    uint32_t a = Below(&rng, kCount);
    uint32_t b = Below(&rng, kCount);
    const char *word = kWords[a < b ? a : b];
    for (const char *c = word; *c != '\0'; ++c) {
      char ch = capital && c == word ? static_cast<char>(*c - 'a' + 'A') : *c;
      out.push_back(static_cast<uint8_t>(ch));
    }
    column += std::strlen(word);
    capital = false;
    uint32_t end = Below(&rng, 16);
    if (end == 0) {
      out.push_back('.');
      capital = true;
    } else if (end == 1) {
      out.push_back(',');
    }
    if (column >= 70) {
      out.push_back('\n');
      column = 0;
    } else {
      out.push_back(' ');
      ++column;
    }
  }
  out.resize(size);
  return out;
}

}  // namespace

Bytes RandomBytes(size_t size, uint64_t seed, uint32_t alphabet) {
  Rng rng{seed};
  Bytes out(size);
  for (uint8_t &b : out) b = static_cast<uint8_t>(Below(&rng, alphabet));
  return out;
}

Bytes Repeating(size_t size, const std::string &pattern) {
  Bytes out(size);
  for (size_t i = 0; i < size; ++i) out[i] = static_cast<uint8_t>(pattern[i % pattern.size()]);
  return out;
}

Bytes Counting(size_t size, uint32_t period, uint32_t step) {
  Bytes out(size);
  for (size_t i = 0; i < size; ++i) out[i] = static_cast<uint8_t>(i % period * step);
  return out;
}

Bytes Runs(size_t size, uint32_t longest, const std::string &bytes, int separator) {
  Bytes out;
  for (size_t run = 0; out.size() < size; ++run) {
    size_t length = run % longest + 1;
    for (size_t i = 0; i < length && out.size() < size; ++i)
      out.push_back(static_cast<uint8_t>(bytes[run % bytes.size()]));
    if (separator >= 0 && out.size() < size) out.push_back(static_cast<uint8_t>(separator));
  }
  return out;
}

Bytes Stretches(size_t size, uint64_t seed, const std::vector<std::string> &patterns,
                uint32_t min_repeats, uint32_t max_repeats) {
  Rng rng{seed};
  Bytes out;
  for (size_t k = 0; out.size() < size; ++k) {
    const std::string &pattern = patterns[k % patterns.size()];
    uint32_t repeats = min_repeats + Below(&rng, max_repeats - min_repeats + 1);
    for (size_t i = 0; i < repeats * pattern.size() && out.size() < size; ++i)
      out.push_back(static_cast<uint8_t>(pattern[i % pattern.size()]));
    if (out.size() < size) out.push_back(static_cast<uint8_t>(Next(&rng)));
  }
  return out;
}

std::vector<std::string> LetterPatterns(const std::vector<uint32_t> &periods) {
  std::vector<std::string> patterns;
  for (uint32_t pool = 0; pool < 2; ++pool) {
    for (uint32_t d : periods) {
      std::string pattern;
      for (uint32_t j = 0; j < d; ++j)
        pattern += static_cast<char>('a' + (d * 7 + pool * 3 + j) % 26);
      patterns.push_back(pattern);
    }
  }
  return patterns;
}

Bytes NearBlocks(size_t size, uint64_t seed, uint32_t alphabet, uint32_t changes) {
  Rng rng{seed};
  Bytes out;
  for (size_t i = 0; i < kBlock && i < size; ++i)
    out.push_back(static_cast<uint8_t>(Below(&rng, alphabet)));
  while (out.size() < size) {
    Bytes next(out.end() - kBlock, out.end());
    for (uint32_t c = 0; c < changes; ++c) next[Below(&rng, kBlock)] += static_cast<uint8_t>(1 + c);
    size_t take = std::min(kBlock, size - out.size());
    out.insert(out.end(), next.begin(), next.begin() + static_cast<long>(take));
  }
  return out;
}

// The benchmark's table, in order.
const struct {
  const char *name;
  Bytes (*make)(size_t size);
} kShapes[] = {
    {"random", [](size_t size) { return RandomBytes(size, 0xabcdef); }},
    {"alphabet-2", [](size_t size) { return Letters("ab", size); }},
    {"alphabet-4", [](size_t size) { return Letters("acgt", size); }},
    {"zero-runs", ZeroRuns},
    {"period-2", [](size_t size) { return Stretches(size, 2, {"xy"}, 20, 85); }},
    {"period-3", [](size_t size) { return Stretches(size, 3, {"xyz"}, 20, 85); }},
    {"period-7", [](size_t size) { return Stretches(size, 7, {"abcdefg"}, 20, 85); }},
    {"mixed-1-16", MixedPeriods},
    {"exact-blocks", ExactBlocks},
    {"near-blocks", [](size_t size) { return NearBlocks(size, 7, 256, 1); }},
    {"all-equal", [](size_t size) { return Bytes(size, 'a'); }},
    {"pure-period-3", [](size_t size) { return Repeating(size, "abc"); }},
    {"long-runs", LongRuns},
    {"runs-1-300", [](size_t size) { return Runs(size, 300, "abcdefghijklmnopqrstuvwxyz"); }},
    {"short-runs", ShortRuns},
    {"english-like", EnglishLike},
};

const std::vector<std::string> &ShapeNames() {
  static const std::vector<std::string> names = [] {
    std::vector<std::string> all;
    for (const auto &shape : kShapes) all.push_back(shape.name);
    return all;
  }();
  return names;
}

bool MakeShape(const std::string &name, size_t size, Bytes *out) {
  for (const auto &shape : kShapes) {
    if (name != shape.name) continue;
    *out = shape.make(size);
    return true;
  }
  out->clear();
  return false;
}

Bytes Shape(const std::string &name, size_t size) {
  Bytes out;
  if (MakeShape(name, size, &out)) return out;
  std::fprintf(stderr, "no input shape named %s\n", name.c_str());
  std::abort();
}

}  // namespace quillpack_test
