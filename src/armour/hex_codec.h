// Hex text in pieces: bytes to digits and lines, text back to bytes, with no I/O.
//
// Each direction carries its state from one piece to the next, so a text made or read in
// pieces of any size is exactly the one made or read at once.
#pragma once

#include <cstddef>
#include <cstdint>

#include "armour/byte_buffer.h"

namespace quillpack {

// Digits on a line of the text; each line, the last one included, ends with a line feed.
constexpr uint32_t kHexLineDigits = 80;

// The encoder's state between pieces: the digits on the unfinished line.
struct HexEncoder {
  uint32_t column;
};

inline void HexEncoderInit(HexEncoder *encoder) {
  encoder->column = 0;
}

// The most characters HexEncode writes for `count` bytes: two digits a byte and a line feed
// for each line it may finish.
constexpr size_t HexEncodedRoom(size_t count) {
  return 2 * count + 2 * count / kHexLineDigits + 1;
}

// Writes `count` bytes to `text` as uppercase digits, high digit first, with a line feed
// after every 80 digits of the whole text. Returns the characters written, at most
// HexEncodedRoom(count).
[[nodiscard]] size_t HexEncode(HexEncoder *encoder, const uint8_t *bytes, size_t count, char *text);

// Ends the text: writes a line feed to `text` when the last line holds digits. Returns the
// characters written, 0 or 1; the encoder then starts a new text.
[[nodiscard]] size_t HexEncodeFinish(HexEncoder *encoder, char *text);

// The decoder's state between pieces: the class of a pair's first character (0-15 a digit's
// value, 17 a character that is no digit), or -1 when no pair is open.
struct HexDecoder {
  int pending;
};

inline void HexDecoderInit(HexDecoder *decoder) {
  decoder->pending = -1;
}

enum HexDecodeStatus {
  kHexAllRead,           // every character was taken
  kHexRoomFull,          // a whole pair waits and `room` is used up; call again with room
  kHexInvalidCharacter,  // a pair holds a character that is neither digit nor space
};

struct HexDecodeResult {
  HexDecodeStatus status;
  size_t read;     // characters taken; a waiting pair's second character is not
  size_t written;  // bytes written
};

// Decodes `text` into `bytes` (room for `room` bytes). Line feed, carriage return, space and
// tab are skipped anywhere, even inside a pair; digits of either case count; a pair is judged
// once both its characters are in hand, before any room is asked for it. Stops at the first
// bad pair, having written the bytes before it.
[[nodiscard]] HexDecodeResult HexDecode(HexDecoder *decoder, const uint8_t *text, size_t count,
                                        uint8_t *bytes, size_t room);

enum HexAppendStatus {
  kHexAppended,                // every character was taken
  kHexAppendInvalidCharacter,  // a pair holds a character that is neither digit nor space
  kHexAppendNoMemory,          // the buffer could not grow
};

// Decodes `text` as HexDecode does and appends the bytes to `buffer`, growing it exactly when
// a byte would not fit. On failure the bytes decoded before the fault stay appended.
[[nodiscard]] HexAppendStatus HexDecodeAppend(HexDecoder *decoder, const uint8_t *text,
                                              size_t count, ByteBuffer *buffer);

// True when no pair is open: the text read so far may end here. Otherwise the text ends
// after the first character of a pair, whatever that character is.
[[nodiscard]] inline bool HexDecodeComplete(const HexDecoder *decoder) {
  return decoder->pending < 0;
}

// 0-15 for '0'-'9', 'A'-'F' and 'a'-'f'; -1 for any other character (including every
// value from 0x80 up).
[[nodiscard]] int HexDigitValue(int character);

}  // namespace quillpack
