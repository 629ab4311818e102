// The finder fuzz target's input: how its bytes become the finder's size, its first position,
// the data and the sizes of the appends. Read by the target, written by the seed maker.
//
// Four header bytes, then commands up to the end; reads past the end give 0.
//   header[0]  bit 0: the small finder; bits 1-2: where positions start (FirstPosition);
//   header[1..2]  v, 16 bits, big endian, for the start;
//   header[3]  below 128: lookaheads end at the end of blocks of header[3] + 1 bytes;
//              otherwise at the end of blocks of 4096 bytes, as in the compressor.
//   command byte c, kind c >> 6, argument a = c & 63:
//     0 literals: the next a + 1 input bytes;
//     1 run: (a << 8 | next) + 1 copies of the next byte;
//     2 copy: distance from the next two bytes (big endian, taken modulo the data so far,
//       plus 1), then (a << 8 | next) + 1 bytes copied one at a time from that far back;
//     3 appends from here on: a bytes at a time, or with a = 63 the next two bytes' count
//       (big endian); a count of 0 appends the answer's length when found, 1 otherwise,
//       as the compressor does. With a = 62, the next two bytes' count of bytes from here
//       are taken in at once without a search, so that an input reaches far cheaply.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "codec/finder/finder_state.h"
#include "codec/finder/match_finder.h"
#include "codec/format.h"

namespace quillpack_fuzz {

enum FinderCommand : uint8_t { kLiterals = 0, kRun = 1, kCopy = 2, kAppends = 3 };
enum FinderStart : uint8_t { kStartFirst = 0, kStartOffset = 1, kStartNearMark = 2, kStartFar = 3 };

constexpr size_t kFinderMaxData = size_t{1} << 20;

struct AppendSize {
  size_t from;     // data position from which it holds
  uint32_t bytes;  // 0: the answer's length, or 1
};

struct Skip {
  size_t from;     // data position at which
  uint32_t bytes;  // bytes are taken in without a search
};

struct FinderPlan {
  quillpack::MatchFinderSize size;
  uint32_t first_position;
  uint32_t block;  // lookaheads end at the end of the current block of this many bytes
  std::vector<uint8_t> data;
  std::vector<AppendSize> appends;  // in order of `from`
  std::vector<Skip> skips;          // in order of `from`
};

// The first position the header asks for: the default, one up to 65535 above it, one up
// to 128 KiB below the rebase mark, or one up to 1 MiB below it.
inline uint32_t FirstPosition(uint8_t start, uint32_t v) {
  using quillpack::kFirstPosition;
  using quillpack::kRebaseMark;
  uint32_t below = 0;
  switch (start & 3) {
    case kStartFirst:
      return kFirstPosition;
    case kStartOffset:
      return kFirstPosition + v;
    case kStartNearMark:
      below = 2 * v;
      break;
    default:
      below = 16 * v;
      break;
  }
  return kRebaseMark - kFirstPosition > below ? kRebaseMark - below : kFirstPosition;
}

// The plan an input describes; the data stops at kFinderMaxData bytes.
inline FinderPlan ReadFinderPlan(const uint8_t *input, size_t size) {
  size_t at = 0;
  auto next = [&]() -> uint8_t { return at < size ? input[at++] : 0; };
  FinderPlan plan;
  const uint8_t flags = next();
  const uint32_t v = static_cast<uint32_t>(next()) << 8 | next();
  const uint8_t block = next();
  plan.size = (flags & 1) ? quillpack::kFinderSmall : quillpack::kFinderFull;
  plan.first_position = FirstPosition(static_cast<uint8_t>(flags >> 1), v);
  plan.block = block < 128 ? block + 1u : quillpack::kBlockSize;
  std::vector<uint8_t> &data = plan.data;
  while (at < size && data.size() < kFinderMaxData) {
    const uint8_t c = next();
    const uint32_t a = c & 63u;
    switch (c >> 6) {
      case kLiterals:
        for (uint32_t i = 0; i <= a; ++i) data.push_back(next());
        break;
      case kRun: {
        uint32_t count = (a << 8 | next()) + 1;
        data.insert(data.end(), count, next());
        break;
      }
      case kCopy: {
        uint32_t far = static_cast<uint32_t>(next()) << 8 | next();
        uint32_t count = (a << 8 | next()) + 1;
        if (data.empty()) break;
        size_t distance = far % data.size() + 1;
        for (uint32_t i = 0; i < count; ++i) data.push_back(data[data.size() - distance]);
        break;
      }
      default: {
        uint32_t bytes = a;
        if (a >= 62) bytes = static_cast<uint32_t>(next()) << 8 | next();
        if (a == 62) {
          plan.skips.push_back(Skip{data.size(), bytes});
        } else {
          plan.appends.push_back(AppendSize{data.size(), bytes});
        }
        break;
      }
    }
  }
  if (data.size() > kFinderMaxData) data.resize(kFinderMaxData);
  return plan;
}

// Writers of the same format, for seeds. Counts are 1 to 16384; a copy from `distance` bytes
// back needs at least that many bytes of data before it.
inline std::vector<uint8_t> FinderHeader(bool small, FinderStart start, uint16_t v, uint8_t block) {
  return {static_cast<uint8_t>((small ? 1 : 0) | start << 1), static_cast<uint8_t>(v >> 8),
          static_cast<uint8_t>(v), block};
}

inline void AddLiterals(std::vector<uint8_t> *in, const std::vector<uint8_t> &bytes) {
  for (size_t at = 0; at < bytes.size(); at += 64) {
    size_t n = bytes.size() - at < 64 ? bytes.size() - at : 64;
    in->push_back(static_cast<uint8_t>(kLiterals << 6 | (n - 1)));
    in->insert(in->end(), bytes.begin() + static_cast<std::ptrdiff_t>(at),
               bytes.begin() + static_cast<std::ptrdiff_t>(at + n));
  }
}

inline void AddRun(std::vector<uint8_t> *in, uint32_t count, uint8_t byte) {
  in->insert(in->end(), {static_cast<uint8_t>(kRun << 6 | (count - 1) >> 8),
                         static_cast<uint8_t>(count - 1), byte});
}

inline void AddCopy(std::vector<uint8_t> *in, uint32_t distance, uint32_t count) {
  const uint32_t far = distance - 1;
  in->insert(in->end(),
             {static_cast<uint8_t>(kCopy << 6 | (count - 1) >> 8), static_cast<uint8_t>(far >> 8),
              static_cast<uint8_t>(far), static_cast<uint8_t>(count - 1)});
}

inline void AddAppends(std::vector<uint8_t> *in, uint16_t bytes) {
  in->insert(in->end(), {static_cast<uint8_t>(kAppends << 6 | 63), static_cast<uint8_t>(bytes >> 8),
                         static_cast<uint8_t>(bytes)});
}

inline void AddSkip(std::vector<uint8_t> *in, uint16_t bytes) {
  in->insert(in->end(), {static_cast<uint8_t>(kAppends << 6 | 62), static_cast<uint8_t>(bytes >> 8),
                         static_cast<uint8_t>(bytes)});
}

}  // namespace quillpack_fuzz
