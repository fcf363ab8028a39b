// LZW for GIF, in four stages:
//  1. the dictionary: every string seen so far, as (prefix code, next pixel)
//     keys in a fixed hash table, so encoding allocates nothing;
//  2. the main loop: extend the current string while the dictionary knows
//     the longer one; otherwise emit the current string's code, add the
//     longer string, and start again from the pixel. Runs of one pixel, the
//     background of a chart, extend over every string the dictionary holds
//     for them in one step, and a string that goes on with that pixel finds
//     its longer string without the hash table;
//  3. the code writer: codes of 9 to 12 bits packed low bits first into a
//     32-bit accumulator, the width growing one code after the dictionary
//     outgrows it, and dropping back to 9 after each clear code;
//  4. the sub-block packer: bytes into blocks of 254, each written with its
//     length in front.
// The decoder mirrors every step, which is why the width changes exactly
// where it does: a decoder learns each new code one code later than we do.
#include "LzwEncoder.h"

#include <algorithm>
#include <cstring>

namespace trendel {
namespace {

static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__,
              "EndOfRun and EmitCode take the first byte of a word from its low end");

// The pixel is shifted over the prefix so that first slots spread across the
// table: 5,003 doubled four times reaches 65,536, and 8 - 4 = 4.
constexpr int HASH_SHIFT = 4;
constexpr int PIXEL_KEY_SHIFT = 12;  // a key is the pixel above the 12-bit prefix
constexpr std::int32_t FREE_SLOT = -1;

// The index of the first pixel from `start` on that is not `value`, or
// `end`: eight pixels at a time, the first differing one found from the
// lowest set bit of the word's difference.
std::size_t EndOfRun(const std::uint8_t *pixels, std::size_t start, std::size_t end,
                     std::uint8_t value) {
  constexpr std::size_t WORD_PIXELS = sizeof(std::uint64_t);
  const std::uint64_t pattern = 0x0101010101010101ull * value;
  std::size_t index = start;
  for (; index + WORD_PIXELS <= end; index += WORD_PIXELS) {
    std::uint64_t word;
    std::memcpy(&word, pixels + index, WORD_PIXELS);
    const std::uint64_t difference = word ^ pattern;
    if (difference != 0) return index + static_cast<std::size_t>(__builtin_ctzll(difference)) / 8;
  }
  while (index < end && pixels[index] == value) ++index;
  return index;
}

}  // namespace

// The first pixel that starts a run of RUN_PIXEL_RUN pixels, the background
// of a chart, or NO_RUN_PIXEL. Pixel 0 never is one: the string of two 0s
// has the key 0, which the table can lose again (see ProbeString), so that
// its code may change; every other run string keeps its code until the
// next clear.
int LzwEncoder::RunPixelOf(const std::uint8_t *pixels, std::size_t count) {
  std::size_t runStart = 0;
  for (std::size_t i = 1; i < count; ++i) {
    if (pixels[i] != pixels[runStart]) {
      runStart = i;
    } else if (i - runStart + 1 == RUN_PIXEL_RUN && pixels[i] != 0) {
      return pixels[i];
    }
  }
  return NO_RUN_PIXEL;
}

// Special case: a string starts with the run pixel at `start`. The lookups
// would extend it pixel by pixel over every run string the dictionary
// holds, finding each; this takes the longest of them the pixels allow in
// one step. Returns the index of the string's last pixel, and its code in
// `prefix`.
std::size_t LzwEncoder::PassKnownRun(const std::uint8_t *pixels, std::size_t count,
                                     std::size_t start, int &prefix) const {
  if (pixels[start] != runPixel_) return start;
  const std::size_t end = std::min(count, start + static_cast<std::size_t>(longestRun_));
  const std::size_t next =
      EndOfRun(pixels, start + 1, end, static_cast<std::uint8_t>(runPixel_));
  prefix = runCodes_[next - start];
  return next - 1;
}

void LzwEncoder::ClearDictionary() {
  std::fill(hashKeys_, hashKeys_ + HASH_SLOTS, FREE_SLOT);
  std::fill(runChildren_, runChildren_ + CODE_LIMIT, std::uint16_t{0});
}

// Looks the key up past its first slot, which the caller has found taken by
// another key; `slot` ends on the key's slot when found, and otherwise on the
// slot where it would go. A slot holding key 0 also ends the probe, a trait
// of this classic table that keeps the code stream byte for byte what it has
// always been; it only costs compression.
bool LzwEncoder::ProbeString(std::int32_t key, int &slot) const {
  const int step = slot == 0 ? 1 : HASH_SLOTS - slot;
  do {
    slot -= step;
    if (slot < 0) slot += HASH_SLOTS;
    if (hashKeys_[slot] == key) return true;
  } while (hashKeys_[slot] > 0);
  return false;
}

void LzwEncoder::AddString(std::int32_t key, int slot) {
  hashCodes_[slot] = static_cast<std::uint16_t>(nextFreeCode_++);
  hashKeys_[slot] = key;
}

void LzwEncoder::Encode(const std::uint8_t *pixels, std::size_t count, PacketSink &sink) {
  sink_ = &sink;
  accumulator_ = 0;
  bitsInAccumulator_ = 0;
  codeWidth_ = START_CODE_WIDTH;
  largestCode_ = (1 << START_CODE_WIDTH) - 1;
  clearPending_ = false;
  nextFreeCode_ = CLEAR_CODE + 2;
  packetLength_ = 0;
  ClearDictionary();
  EmitCode(CLEAR_CODE);
  if (count > 0) {
    runPixel_ = RunPixelOf(pixels, count);
    if (runPixel_ != NO_RUN_PIXEL) runCodes_[1] = static_cast<std::uint16_t>(runPixel_);
    longestRun_ = 1;
    int prefix = pixels[0];
    for (std::size_t i = PassKnownRun(pixels, count, 0, prefix) + 1; i < count; ++i) {
      const int pixel = pixels[i];
      // One branch for both tests: strings go on with the background and
      // stop as lines cross it, which no branch predictor follows, and a
      // second branch would miss as often as the first.
      const int runChild = runChildren_[prefix];
      if ((pixel == runPixel_) & (runChild != 0)) {
        prefix = runChild;
        continue;
      }
      const std::int32_t key = (pixel << PIXEL_KEY_SHIFT) + prefix;
      int slot = (pixel << HASH_SHIFT) ^ prefix;
      if (hashKeys_[slot] == key || (hashKeys_[slot] >= 0 && ProbeString(key, slot))) {
        prefix = hashCodes_[slot];
        continue;
      }
      EmitCode(prefix);
      if (nextFreeCode_ < CODE_LIMIT) {
        if (pixel == runPixel_) {
          // Codes name strings, so this prefix is the longest known run.
          if (prefix == runCodes_[longestRun_]) {
            runCodes_[++longestRun_] = static_cast<std::uint16_t>(nextFreeCode_);
          }
          runChildren_[prefix] = static_cast<std::uint16_t>(nextFreeCode_);
        }
        AddString(key, slot);
      } else {
        ClearDictionary();
        longestRun_ = 1;
        nextFreeCode_ = CLEAR_CODE + 2;
        clearPending_ = true;
        EmitCode(CLEAR_CODE);
      }
      prefix = pixel;
      i = PassKnownRun(pixels, count, i, prefix);
    }
    EmitCode(prefix);
  }
  EmitCode(END_CODE);
  sink_ = nullptr;
}

// The accumulator never holds more than 7 + 12 bits, so one 4-byte store
// puts out every whole byte it has, and the partial byte after them, which
// the next store writes again with more bits in it. No branch depends on
// how many bytes a code completes.
void LzwEncoder::EmitCode(int code) {
  accumulator_ |= static_cast<std::uint32_t>(code) << bitsInAccumulator_;
  bitsInAccumulator_ += codeWidth_;
  std::memcpy(packet_ + 1 + packetLength_, &accumulator_, sizeof accumulator_);
  const int wholeBytes = bitsInAccumulator_ / 8;
  packetLength_ += wholeBytes;
  accumulator_ >>= 8 * wholeBytes;
  bitsInAccumulator_ -= 8 * wholeBytes;
  if (packetLength_ >= PACKET_BYTES) FlushFullPacket();
  GrowCodeWidth();
  if (code == END_CODE) {
    if (bitsInAccumulator_ > 0) {
      packet_[1 + packetLength_++] = static_cast<std::uint8_t>(accumulator_);
      accumulator_ = 0;
      bitsInAccumulator_ = 0;
    }
    FlushPacket();
  }
}

// Runs after every code, so a new width takes effect from the next code.
void LzwEncoder::GrowCodeWidth() {
  if (clearPending_) {
    codeWidth_ = START_CODE_WIDTH;
    largestCode_ = (1 << START_CODE_WIDTH) - 1;
    clearPending_ = false;
  } else if (nextFreeCode_ > largestCode_) {
    ++codeWidth_;
    largestCode_ = codeWidth_ == MAX_CODE_WIDTH ? CODE_LIMIT : (1 << codeWidth_) - 1;
  }
}

// Sends the first PACKET_BYTES bytes, and moves the bytes past them, at
// most two whole ones and the partial one, to the front.
void LzwEncoder::FlushFullPacket() {
  const int carried = packetLength_ - PACKET_BYTES;
  packetLength_ = PACKET_BYTES;
  FlushPacket();
  std::memmove(packet_ + 1, packet_ + 1 + PACKET_BYTES, PACKET_SLACK);
  packetLength_ = carried;
}

void LzwEncoder::FlushPacket() {
  if (packetLength_ == 0) return;
  packet_[0] = static_cast<std::uint8_t>(packetLength_);
  sink_->Write(packet_, static_cast<std::size_t>(packetLength_) + 1);
  packetLength_ = 0;
}

}  // namespace trendel
