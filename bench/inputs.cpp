// The generated inputs: random data, small alphabets, runs, periods and English-like text.
#include "inputs.h"

#include <cstring>

namespace quillpack_bench {
namespace {

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

void RandomAlphabet(const char *alphabet, size_t size, Bytes *out) {
  Rng rng{0x5eed};
  size_t n = std::strlen(alphabet);
  for (size_t i = 0; i < size; ++i) out->push_back(static_cast<uint8_t>(alphabet[Below(&rng, n)]));
}

void RandomBytes(size_t size, Bytes *out) {
  Rng rng{0xabcdef};
  for (size_t i = 0; i < size; ++i) out->push_back(static_cast<uint8_t>(Next(&rng)));
}

// Runs of 256 to 65536 equal bytes, the byte changing from run to run.
void LongRuns(size_t size, Bytes *out) {
  Rng rng{42};
  while (out->size() < size) {
    uint8_t byte = static_cast<uint8_t>('a' + Below(&rng, 4));
    size_t run = 256 + Below(&rng, 65536 - 256 + 1);
    for (size_t i = 0; i < run && out->size() < size; ++i) out->push_back(byte);
  }
}

// Runs of length 1, 2, ..., 300, then again, each of a byte other than its neighbours'.
void EveryRunLength(size_t size, Bytes *out) {
  uint32_t length = 1;
  uint8_t byte = 'a';
  while (out->size() < size) {
    for (uint32_t i = 0; i < length && out->size() < size; ++i) out->push_back(byte);
    byte = static_cast<uint8_t>(byte == 'z' ? 'a' : byte + 1);
    length = length == 300 ? 1 : length + 1;
  }
}

void Periodic(const char *pattern, size_t size, Bytes *out) {
  size_t n = std::strlen(pattern);
  for (size_t i = 0; i < size; ++i) out->push_back(static_cast<uint8_t>(pattern[i % n]));
}

// `pattern` repeated 20 to 85 times, then one random byte, over and over: stretches whose
// every position matches far back, each broken where no match continues.
void BrokenPeriodic(const char *pattern, size_t size, Bytes *out) {
  Rng rng{static_cast<uint64_t>(std::strlen(pattern))};
  size_t n = std::strlen(pattern);
  while (out->size() < size) {
    uint32_t repeats = 20 + Below(&rng, 66);
    for (size_t i = 0; i < repeats * n && out->size() < size; ++i)
      out->push_back(static_cast<uint8_t>(pattern[i % n]));
    if (out->size() < size) out->push_back(static_cast<uint8_t>(Next(&rng)));
  }
}

// Stretches of 16 to 1000 bytes, each a random pattern of 1 to 16 bytes repeated, joined
// without a break.
void MixedPeriods(size_t size, Bytes *out) {
  Rng rng{1616};
  uint8_t pattern[16];
  while (out->size() < size) {
    uint32_t period = 1 + Below(&rng, 16);
    for (uint32_t i = 0; i < period; ++i) pattern[i] = static_cast<uint8_t>(Next(&rng));
    uint32_t length = 16 + Below(&rng, 985);
    for (uint32_t i = 0; i < length && out->size() < size; ++i) out->push_back(pattern[i % period]);
  }
}

// Random bytes, each followed by a run of 1 to 8 zero bytes.
void ZeroRuns(size_t size, Bytes *out) {
  Rng rng{808};
  while (out->size() < size) {
    out->push_back(static_cast<uint8_t>(Next(&rng)));
    uint32_t run = 1 + Below(&rng, 8);
    for (uint32_t i = 0; i < run && out->size() < size; ++i) out->push_back(0);
  }
}

// Eight random 4096-byte blocks, then blocks drawn from those eight at random, unchanged.
void ExactBlocks(size_t size, Bytes *out) {
  constexpr size_t kBlock = 4096;
  constexpr uint32_t kKinds = 8;
  Rng rng{4096};
  Bytes kinds(kKinds * kBlock);
  for (uint8_t &b : kinds) b = static_cast<uint8_t>(Next(&rng));
  for (size_t i = 0; i < kinds.size() && out->size() < size; ++i) out->push_back(kinds[i]);
  while (out->size() < size) {
    const uint8_t *block = kinds.data() + Below(&rng, kKinds) * kBlock;
    for (size_t i = 0; i < kBlock && out->size() < size; ++i) out->push_back(block[i]);
  }
}

// 4096-byte blocks, each the previous one with one byte changed at a random place.
void RepeatedBlocks(size_t size, Bytes *out) {
  constexpr size_t kBlock = 4096;
  Rng rng{7};
  for (size_t i = 0; i < kBlock && i < size; ++i) out->push_back(static_cast<uint8_t>(Next(&rng)));
  while (out->size() < size) {
    size_t base = out->size() - kBlock;
    size_t change = Below(&rng, kBlock);
    for (size_t i = 0; i < kBlock && out->size() < size; ++i) {
      uint8_t byte = (*out)[base + i];
      out->push_back(i == change ? static_cast<uint8_t>(byte + 1) : byte);
    }
  }
}

// Runs of 2 to 6 equal bytes, each followed by one different byte.
void ShortRuns(size_t size, Bytes *out) {
  Rng rng{99};
  while (out->size() < size) {
    uint8_t byte = static_cast<uint8_t>('a' + Below(&rng, 8));
    uint32_t run = 2 + Below(&rng, 5);
    for (uint32_t i = 0; i < run && out->size() < size; ++i) out->push_back(byte);
    if (out->size() < size) out->push_back(static_cast<uint8_t>('A' + Below(&rng, 8)));
  }
}

// Words drawn with a skewed frequency, in sentences and lines of about 70 characters.
void EnglishLike(size_t size, Bytes *out) {
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
  while (out->size() < size) {
    // The smaller of two uniform picks favours the common words at the front of the list.
    uint32_t a = Below(&rng, kCount);
    uint32_t b = Below(&rng, kCount);
    const char *word = kWords[a < b ? a : b];
    for (const char *c = word; *c != '\0'; ++c) {
      char ch = capital && c == word ? static_cast<char>(*c - 'a' + 'A') : *c;
      out->push_back(static_cast<uint8_t>(ch));
    }
    column += std::strlen(word);
    capital = false;
    uint32_t end = Below(&rng, 16);
    if (end == 0) {
      out->push_back('.');
      capital = true;
    } else if (end == 1) {
      out->push_back(',');
    }
    if (column >= 70) {
      out->push_back('\n');
      column = 0;
    } else {
      out->push_back(' ');
      ++column;
    }
  }
  out->resize(size);
}

}  // namespace

const std::vector<std::string> &ShapeNames() {
  static const std::vector<std::string> names = {
      "random",    "alphabet-2", "alphabet-4",   "zero-runs",   "period-2",  "period-3",
      "period-7",  "mixed-1-16", "exact-blocks", "near-blocks", "all-equal", "pure-period-3",
      "long-runs", "runs-1-300", "short-runs",   "english-like"};
  return names;
}

bool MakeShape(const std::string &name, size_t size, Bytes *out) {
  out->clear();
  out->reserve(size);
  if (name == "random") {
    RandomBytes(size, out);
  } else if (name == "alphabet-2") {
    RandomAlphabet("ab", size, out);
  } else if (name == "alphabet-4") {
    RandomAlphabet("acgt", size, out);
  } else if (name == "long-runs") {
    LongRuns(size, out);
  } else if (name == "runs-1-300") {
    EveryRunLength(size, out);
  } else if (name == "zero-runs") {
    ZeroRuns(size, out);
  } else if (name == "period-2") {
    BrokenPeriodic("xy", size, out);
  } else if (name == "period-3") {
    BrokenPeriodic("xyz", size, out);
  } else if (name == "period-7") {
    BrokenPeriodic("abcdefg", size, out);
  } else if (name == "mixed-1-16") {
    MixedPeriods(size, out);
  } else if (name == "exact-blocks") {
    ExactBlocks(size, out);
  } else if (name == "near-blocks") {
    RepeatedBlocks(size, out);
  } else if (name == "all-equal") {
    out->assign(size, 'a');
  } else if (name == "pure-period-3") {
    Periodic("abc", size, out);
  } else if (name == "short-runs") {
    ShortRuns(size, out);
  } else if (name == "english-like") {
    EnglishLike(size, out);
  } else {
    return false;
  }
  return true;
}

}  // namespace quillpack_bench
