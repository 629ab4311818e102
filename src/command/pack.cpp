// PackStream: segments read in order, coded on workers (or here), written in order.
//
// The calling thread fills a ring of segments with input, each with the window of history
// before it, hands them to the workers, and writes the oldest once it is coded: its tokens as
// hex text, the line column carried from segment to segment, so the text is the library's.
#include "command/pack.h"

#include <cstdlib>

#include "armour/hex_codec.h"
#include "command/system.h"
#include "command/workers.h"

namespace quillpack_command {

namespace {

// Tokens turned into text at a time, and the text they make.
constexpr size_t kTokensPerWrite = 64u << 10;
constexpr size_t kTextRoom = quillpack::HexEncodedRoom(kTokensPerWrite);

// One segment of the ring and its job.
struct Slot {
  Segment segment;
  Job job;
  bool ok;  // coded here, without workers: whether it held
};

}  // namespace

struct Packer {
  Workers *workers;  // null: coding on the calling thread
  Coder coder;       // the calling thread's, without workers
  unsigned slot_count;
  Slot *slots;
  char *text;
  uint64_t streams;  // streams packed so far; each gets the next number
};

Packer *PackerCreate(unsigned threads) {
  auto *packer = static_cast<Packer *>(std::calloc(1, sizeof(Packer)));
  if (packer == nullptr) return nullptr;
  CoderInit(&packer->coder);
  packer->slots = static_cast<Slot *>(std::calloc(threads + 1, sizeof(Slot)));
  packer->text = static_cast<char *>(std::malloc(kTextRoom));
  if (packer->slots == nullptr || packer->text == nullptr ||
      !SegmentCreate(&packer->slots[0].segment)) {
    PackerDestroy(packer);
    return nullptr;
  }
  packer->slot_count = 1;
  packer->workers = threads >= 2 ? WorkersStart(threads) : nullptr;
  // One segment more than workers, so one can be read and written while each worker codes;
  // fewer when memory runs short, which costs only speed. Pages never written are never
  // made resident, so a small input costs little of what is reserved here.
  unsigned wanted = packer->workers != nullptr ? WorkersCount(packer->workers) + 1 : 1;
  while (packer->slot_count < wanted && SegmentCreate(&packer->slots[packer->slot_count].segment)) {
    ++packer->slot_count;
  }
  return packer;
}

void PackerDestroy(Packer *packer) {
  if (packer == nullptr) return;
  WorkersStop(packer->workers);
  CoderRelease(&packer->coder);
  for (unsigned i = 0; i < packer->slot_count; ++i) SegmentDestroy(&packer->slots[i].segment);
  std::free(packer->slots);
  std::free(packer->text);
  std::free(packer);
}

namespace {

// Writes `count` bytes as text, `*encoder` carrying the line, and counts the characters in
// `outcome`. False, with the error in `outcome`, when a write fails.
bool WriteText(Packer *packer, quillpack::HexEncoder *encoder, const uint8_t *bytes, size_t count,
               int output, StreamOutcome *outcome) {
  for (size_t at = 0; at < count; at += kTokensPerWrite) {
    size_t n = count - at < kTokensPerWrite ? count - at : kTokensPerWrite;
    size_t used = quillpack::HexEncode(encoder, bytes + at, n, packer->text);
    if (!SystemWriteAll(output, packer->text, used, &outcome->error)) return false;
    outcome->written += used;
  }
  return true;
}

// Fills the next slot with the input that follows `previous` (null for the first), and hands
// it over. Returns false at the end of the input (nothing handed over) or after a failure,
// which `outcome` records.
bool FillSlot(Packer *packer, Slot *slot, const Segment *previous, uint64_t stream, int input,
              uint32_t length, StreamOutcome *outcome) {
  Segment *segment = &slot->segment;
  if (previous != nullptr) {
    SegmentTakeHistory(segment, previous);
  } else {
    segment->history = 0;
  }
  int64_t got = SystemReadFull(input, segment->bytes + segment->history, length, &outcome->error);
  if (got < 0) {
    outcome->failure = kStreamReadFailed;
    return false;
  }
  if (got == 0) return false;
  segment->length = static_cast<uint32_t>(got);
  segment->stream = stream;
  segment->start = outcome->read;
  segment->tokens->length = 0;
  outcome->read += static_cast<uint64_t>(got);
  if (packer->workers != nullptr) {
    slot->job.segment = segment;
    WorkersSubmit(packer->workers, &slot->job);
  } else {
    slot->ok = CoderCode(&packer->coder, segment);
  }
  return true;
}

// The bytes to read for the segment at offset `read` of an input of `size` bytes (0: not
// known). Whole segments in rounds of one per worker; what is left for the last round is cut
// into one equal part per worker, so that none waits long on the last segment of another.
// Always whole blocks and at least a window, so that segments stay the library's blocks and
// each has a whole window before it.
uint32_t SegmentLength(const Packer *packer, uint64_t size, uint64_t read) {
  const uint64_t workers = packer->workers != nullptr ? WorkersCount(packer->workers) : 1;
  const uint64_t round = workers * kSegmentBytes;
  if (workers < 2 || size <= read) return kSegmentBytes;
  // The last round starts after the whole rounds that leave something for it.
  const uint64_t last = (size - 1) / round * round;
  if (read < last) return kSegmentBytes;
  uint64_t part = (size - last + workers - 1) / workers;
  part = (part + quillpack::kBlockSize - 1) / quillpack::kBlockSize * quillpack::kBlockSize;
  return static_cast<uint32_t>(part < quillpack::kWindowSize ? quillpack::kWindowSize : part);
}

}  // namespace

StreamOutcome PackStream(Packer *packer, int input, uint64_t size, int output, Progress *progress) {
  StreamOutcome outcome;
  quillpack::HexEncoder encoder;
  quillpack::HexEncoderInit(&encoder);
  if (!WriteText(packer, &encoder, quillpack::kHeader, sizeof quillpack::kHeader, output,
                 &outcome)) {
    outcome.failure = kStreamWriteFailed;
    return outcome;
  }
  const uint64_t stream = ++packer->streams;
  const unsigned slots = packer->slot_count;
  uint64_t filled = 0;   // segments handed over
  uint64_t emitted = 0;  // segments written (or given up)
  uint64_t coded = 0;    // input bytes whose text is written
  bool more = true;
  const Segment *previous = nullptr;
  for (;;) {
    while (more && outcome.failure == kStreamOk && filled - emitted < slots) {
      Slot *slot = &packer->slots[filled % slots];
      uint32_t length = SegmentLength(packer, size, outcome.read);
      more = FillSlot(packer, slot, previous, stream, input, length, &outcome);
      if (!more) break;
      previous = &slot->segment;
      ++filled;
      more = slot->segment.length == length;
    }
    if (emitted == filled) break;
    // The oldest segment is written once coded; after a failure the rest are only awaited,
    // as their buffers are the workers' until then.
    Slot *slot = &packer->slots[emitted % slots];
    ++emitted;
    bool ok = packer->workers != nullptr ? WorkersWait(packer->workers, &slot->job) : slot->ok;
    if (outcome.failure != kStreamOk) continue;
    if (!ok) {
      outcome.failure = kStreamNoMemory;
      continue;
    }
    const quillpack::ByteBuffer *tokens = slot->segment.tokens;
    if (!WriteText(packer, &encoder, tokens->data, tokens->length, output, &outcome)) {
      outcome.failure = kStreamWriteFailed;
      continue;
    }
    coded += slot->segment.length;
    ProgressUpdate(progress, coded);
  }
  if (outcome.failure != kStreamOk) return outcome;
  char last;
  size_t used = quillpack::HexEncodeFinish(&encoder, &last);
  if (used > 0 && !SystemWriteAll(output, &last, used, &outcome.error)) {
    outcome.failure = kStreamWriteFailed;
    return outcome;
  }
  outcome.written += used;
  return outcome;
}

}  // namespace quillpack_command
