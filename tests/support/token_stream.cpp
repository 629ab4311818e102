// Token streams built and taken apart by hand, and the rules the library's writer keeps.
#include "token_stream.h"

namespace quillpack_test {

Bytes TokenHeader() {
  return {0x51, 0x50, 0x4B, 0x01};
}

void AddLiteral(Bytes *stream, uint8_t byte) {
  stream->insert(stream->end(), {0x00, byte});
}

void AddMatch(Bytes *stream, uint32_t length, uint32_t distance) {
  stream->insert(stream->end(), {0x80, static_cast<uint8_t>(length), static_cast<uint8_t>(distance),
                                 static_cast<uint8_t>(distance >> 8)});
}

std::vector<Token> SplitTokens(const Bytes &stream) {
  std::vector<Token> tokens;
  for (size_t i = 4; i < stream.size();) {
    if (stream[i] == 0x00 && i + 1 < stream.size()) {
      tokens.push_back({false, 1, 0, stream[i + 1]});
      i += 2;
    } else if (stream[i] == 0x80 && i + 3 < stream.size()) {
      tokens.push_back({true, stream[i + 1], uint32_t{stream[i + 2]} | stream[i + 3] << 8, 0});
      i += 4;
    } else {
      break;
    }
  }
  return tokens;
}

std::string BrokenWriterRule(const Bytes &stream) {
  if (stream.size() < 4 || Bytes(stream.begin(), stream.begin() + 4) != TokenHeader())
    return "no header";
  size_t position = 0;  // of the token's first byte in the restored data
  size_t coded = 4;
  for (const Token &t : SplitTokens(stream)) {
    std::string at = " at " + std::to_string(position);
    if (t.match && (t.length < 3 || t.length > t.distance || t.distance > kWindowSize ||
                    t.distance > position))
      return "match of length " + std::to_string(t.length) + " and distance " +
             std::to_string(t.distance) + at;
    if (position / kBlockSize != (position + t.length - 1) / kBlockSize)
      return "token crosses a block end" + at;
    position += t.length;
    coded += t.match ? 4 : 2;
  }
  return coded == stream.size() ? "" : "a cut or unknown token after " + std::to_string(position);
}

}  // namespace quillpack_test
