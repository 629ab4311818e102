// The coding core in pieces: hex text encoded or decoded, and token streams replayed, in pieces
// of every size give exactly what the whole at once gives.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "armour/hex_codec.h"
#include "codec/token_replay.h"
#include "codec_calls.h"
#include "test_kit.h"

namespace quillpack_test {
namespace {

using namespace quillpack;

// Piece sizes: every size up to `every`, then a few around the sizes the code works in.
std::vector<size_t> PieceSizes(size_t every) {
  std::vector<size_t> sizes;
  for (size_t n = 1; n <= every; ++n) sizes.push_back(n);
  for (size_t n : {4095, 4096, 4097, 8191, 100000}) sizes.push_back(n);
  return sizes;
}

TEST(Pieces, HexEncodedInPiecesIsTheWholeText) {
  const Bytes bytes = RandomBytes(1000, 5);
  const std::string whole = PlainArmour(bytes);
  for (size_t piece : PieceSizes(130)) {
    HexEncoder encoder;
    HexEncoderInit(&encoder);
    std::string text;
    for (size_t at = 0; at < bytes.size(); at += piece) {
      size_t n = std::min(piece, bytes.size() - at);
      std::string out(HexEncodedRoom(n), '?');
      out.resize(HexEncode(&encoder, bytes.data() + at, n, out.data()));
      text += out;
    }
    char last = '?';
    text.append(&last, HexEncodeFinish(&encoder, &last));
    ASSERT_EQ(text, whole) << "pieces of " << piece;
  }
}

// Hex text decoded in pieces of `piece` characters into room for `room` bytes at a time: the
// plain reading's bytes, and its line.
PlainHex DecodeInPieces(const std::string &text, size_t piece, size_t room) {
  HexDecoder decoder;
  HexDecoderInit(&decoder);
  PlainHex got{true, {}, ""};
  Bytes out(room);
  const auto *chars = reinterpret_cast<const uint8_t *>(text.data());
  for (size_t at = 0; at < text.size(); at += piece) {
    size_t n = std::min(piece, text.size() - at);
    for (size_t used = 0; used < n;) {
      HexDecodeResult r = HexDecode(&decoder, chars + at + used, n - used, out.data(), room);
      got.bytes.insert(got.bytes.end(), out.begin(), out.begin() + r.written);
      used += r.read;
      if (r.status == kHexInvalidCharacter)
        return {false, got.bytes, "Error: Invalid hex character\n"};
      if (r.status == kHexAllRead) {
        EXPECT_EQ(used, n);
      }
    }
  }
  if (!HexDecodeComplete(&decoder)) return {false, got.bytes, "Error: Incomplete hex pair\n"};
  return got;
}

TEST(Pieces, HexDecodedInPiecesIsThePlainReading) {
  std::string armour = PlainArmour(RandomBytes(300, 6));
  std::string spaced;  // white space inside pairs, either case
  for (size_t i = 0; i < armour.size(); ++i) {
    spaced += i % 7 == 0 ? static_cast<char>(std::tolower(armour[i])) : armour[i];
    if (i % 5 == 0) spaced += i % 2 ? " \r" : "\t";
  }
  const std::string texts[] = {armour, spaced, spaced.substr(0, 301) + "G1" + spaced,
                               spaced.substr(0, 300) + "\n4", spaced + "G"};
  for (const std::string &text : texts) {
    const auto *chars = reinterpret_cast<const uint8_t *>(text.data());
    PlainHex plain = PlainReadHex(chars, text.size());
    for (size_t room : {1, 3, 4, 1000}) {
      for (size_t piece : PieceSizes(40)) {
        PlainHex got = DecodeInPieces(text, piece, room);
        ASSERT_EQ(got.ok, plain.ok) << piece << " " << room;
        ASSERT_EQ(got.bytes, plain.bytes) << piece << " " << room;
        ASSERT_EQ(got.error, plain.error) << piece << " " << room;
      }
    }
  }
}

struct Replayed {
  Bytes bytes;
  std::string line;  // the fault's line, "" when none
  uint64_t matches, matched;
};

// The stream replayed in pieces of `piece` bytes, each piece given whole or in what the steps
// leave of it.
Replayed ReplayInPieces(const Bytes &stream, size_t piece) {
  auto replay = std::make_unique<TokenReplay>();
  TokenReplayInit(replay.get());
  Replayed got;
  ContainerFault fault = kContainerSound;
  for (size_t at = 0; at < stream.size() && fault.fault == kContainerOk; at += piece) {
    size_t n = std::min(piece, stream.size() - at);
    for (size_t used = 0; used < n && fault.fault == kContainerOk;) {
      ReplayStep step = TokenReplayStep(replay.get(), stream.data() + at + used, n - used);
      got.bytes.insert(got.bytes.end(), step.bytes, step.bytes + step.count);
      used += step.read;
      fault = step.fault;
    }
  }
  if (fault.fault == kContainerOk) fault = TokenReplayFinish(replay.get());
  got.matches = replay->matches;
  got.matched = replay->matched;
  char line[kContainerFaultLineRoom];
  got.line.assign(line, ContainerFaultLine(fault, line));
  return got;
}

TEST(Pieces, ReplayedInPiecesIsTheWholeStream) {
  TempDir dir;
  WriteFile(dir.Path("in"), Shape("english-like", 60000));
  ASSERT_EQ(Compress(dir.Path("in"), dir.Path("in.qpk")).result, 0);
  const Bytes stream = HexToBytes(ReadTextMode(dir.Path("in.qpk")));
  const Bytes prefix = Prefix(stream, 20001);  // may end inside a token
  auto with = [](Bytes bytes, std::initializer_list<uint8_t> tail) {
    bytes.insert(bytes.end(), tail);
    return bytes;
  };
  const struct {
    Bytes stream;
    const char *line;  // null where any outcome will do
  } cases[] = {
      {stream, ""},
      {with(stream, {0x80, 0x05}), "Error: Unexpected end of file reading match"},
      {with(stream, {0x00}), "Error: Unexpected end of file reading literal"},
      {with(stream, {0x80, 0x03, 0x00, 0x00, 0x00, 0x41}), "Error: Invalid match distance"},
      {with(stream, {0x00, 0x41, 0x7F, 0x00}), "Error: Invalid token type: 0x7F"},
      {with(TokenHeader(), {0x00, 0x41, 0x80, 0x04, 0x02, 0x00}), "Error: Invalid match distance"},
      {with(TokenHeader(), {0x00, 0x41, 0x80, 0x07, 0x01, 0x00}), ""},
      {{0x51, 0x50, 0x4B}, "Error: Invalid compressed file format"},
      {{0x51, 0x50, 0x4B, 0x02, 0x00, 0x41}, "Error: Invalid compressed file format"},
      {prefix, nullptr},
  };
  for (const auto &c : cases) {
    const Replayed whole = ReplayInPieces(c.stream, c.stream.size() + 1);
    if (c.line != nullptr) {
      EXPECT_EQ(whole.line, c.line);
    }
    for (size_t piece : PieceSizes(24)) {
      Replayed got = ReplayInPieces(c.stream, piece);
      ASSERT_EQ(got.line, whole.line) << "pieces of " << piece;
      ASSERT_TRUE(got.bytes == whole.bytes) << "pieces of " << piece;
      ASSERT_EQ(got.matches, whole.matches) << "pieces of " << piece;
      ASSERT_EQ(got.matched, whole.matched) << "pieces of " << piece;
    }
  }
  // The stream that ends well is the input, and its matches are the kit's count.
  const Replayed whole = ReplayInPieces(stream, 7);
  EXPECT_TRUE(whole.bytes == Shape("english-like", 60000));
  uint64_t matches = 0, matched = 0;
  for (const Token &token : SplitTokens(stream)) {
    matches += token.match;
    matched += token.match ? token.length : 0;
  }
  EXPECT_EQ(whole.matches, matches);
  EXPECT_EQ(whole.matched, matched);
}

}  // namespace
}  // namespace quillpack_test
