// The LZW encoder of GIF image data: 8-bit pixels in, sub-blocks of the code
// stream out. Plain arithmetic with no platform behind it.
#pragma once

#include <cstddef>
#include <cstdint>

namespace trendel {

// Where finished data sub-blocks go: each call brings one whole sub-block,
// its length byte first.
class PacketSink {
 public:
  virtual ~PacketSink() = default;
  virtual void Write(const std::uint8_t *bytes, std::size_t count) = 0;
};

// Encodes with a minimum code size of 8: codes start 9 bits wide and grow to
// 12, and the dictionary is cleared when the code space is full. One encoder
// can encode any number of pictures; each starts from a clean state.
class LzwEncoder {
 public:
  // The code stream of `count` pixels, top row first, from the first clear
  // code to the end code, as length-prefixed sub-blocks of at most 254 bytes.
  // The minimum code size before it and the block terminator after it are
  // the caller's.
  void Encode(const std::uint8_t *pixels, std::size_t count, PacketSink &sink);

  static constexpr int CLEAR_CODE = 256;
  static constexpr int END_CODE = 257;
  static constexpr int START_CODE_WIDTH = 9;
  static constexpr int MAX_CODE_WIDTH = 12;
  // One above the largest code a 12-bit code can be: when the next free code
  // reaches it the dictionary is full and a clear code goes out.
  static constexpr int CODE_LIMIT = 4096;
  // A prime, so that the probe sequence visits every slot; with at most
  // 4,096 - 258 strings in it the table never gets much above 80% full.
  static constexpr int HASH_SLOTS = 5003;
  static constexpr int PACKET_BYTES = 254;

 private:
  // The dictionary: strings of (prefix code, pixel) in an open-addressing
  // hash table, probed backwards by a step that depends on the first slot.
  void ClearDictionary();
  bool ProbeString(std::int32_t key, int &slot) const;
  void AddString(std::int32_t key, int slot);

  // The code writer: codes into the bit accumulator, bytes into the packet,
  // and the code width growing with the dictionary.
  void EmitCode(int code);
  void GrowCodeWidth();

  // The sub-block packer.
  void FlushFullPacket();
  void FlushPacket();

  // State for packing variable-width codes.
  std::uint32_t accumulator_ = 0;
  int bitsInAccumulator_ = 0;
  int codeWidth_ = START_CODE_WIDTH;
  int largestCode_ = (1 << START_CODE_WIDTH) - 1;
  bool clearPending_ = false;

  // LZW string construction.
  int nextFreeCode_ = CLEAR_CODE + 2;

  // Runs of one pixel, the picture's background: runCodes_[n] is the code
  // of the string of n such pixels, known for every n from 2 up to
  // longestRun_, so that a run passes over the strings it would find one by
  // one in a single step.
  static constexpr int NO_RUN_PIXEL = -1;
  static constexpr std::size_t RUN_PIXEL_RUN = 16;
  static int RunPixelOf(const std::uint8_t *pixels, std::size_t count);
  std::size_t PassKnownRun(const std::uint8_t *pixels, std::size_t count, std::size_t start,
                           int &prefix) const;
  int runPixel_ = NO_RUN_PIXEL;
  int longestRun_ = 1;
  std::uint16_t runCodes_[CODE_LIMIT + 1];
  // runChildren_[code] is the code of that string followed by the run
  // pixel, 0 while there is none: a string made of other pixels that goes
  // on with the background extends without the hash table. Every such
  // string is added with its code noted here, and it keeps its slot until
  // the next clear (only the key 0 can be lost, and the run pixel is never
  // 0), so these codes are the ones the table would find.
  std::uint16_t runChildren_[CODE_LIMIT];

  // LZW hash table: the key of each slot's string (-1 free) and its code.
  std::int32_t hashKeys_[HASH_SLOTS];
  std::uint16_t hashCodes_[HASH_SLOTS];

  // The sub-block being filled.
  PacketSink *sink_ = nullptr;
  int packetLength_ = 0;
  // Its length byte, then its bytes, then room for a whole store of the
  // accumulator past a full packet.
  static constexpr int PACKET_SLACK = sizeof(std::uint32_t);
  std::uint8_t packet_[1 + PACKET_BYTES + PACKET_SLACK];
};

}  // namespace trendel
