// The LZW encoder on its own: hand-worked bytes, and whole code streams read
// back by a decoder that follows the GIF rules independently of ours.
#include "export/LzwEncoder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <vector>

namespace trendel {
namespace {

class CollectingSink final : public PacketSink {
 public:
  void Write(const std::uint8_t *bytes, std::size_t count) override {
    blocks.emplace_back(bytes, bytes + count);
  }
  std::vector<std::vector<std::uint8_t>> blocks;
};

struct Code {
  int value;
  int width;
};

// Undoes the sub-blocks, then reads the code stream as a GIF decoder with a
// minimum code size of 8 does, keeping every code with its width.
struct Decoded {
  std::vector<Code> codes;
  std::vector<std::uint8_t> pixels;
  bool wellFormed = true;
};

Decoded Decode(const std::vector<std::vector<std::uint8_t>> &blocks) {
  std::vector<std::uint8_t> stream;
  Decoded result;
  for (const auto &block : blocks) {
    if (block.empty() || block[0] != block.size() - 1) result.wellFormed = false;
    stream.insert(stream.end(), block.begin() + 1, block.end());
  }
  std::vector<std::vector<std::uint8_t>> table;
  auto reset = [&] {
    table.assign(258, {});
    for (int i = 0; i < 256; ++i)
      table[static_cast<std::size_t>(i)] = {static_cast<std::uint8_t>(i)};
  };
  reset();
  int width = 9;
  std::size_t bit = 0;
  int previous = -1;
  while (bit + static_cast<std::size_t>(width) <= stream.size() * 8) {
    int code = 0;
    for (int i = 0; i < width; ++i, ++bit) code |= ((stream[bit / 8] >> (bit % 8)) & 1) << i;
    result.codes.push_back({code, width});
    if (code == 256) {
      reset();
      width = 9;
      previous = -1;
      continue;
    }
    if (code == 257) break;
    std::vector<std::uint8_t> entry;
    if (code < static_cast<int>(table.size())) {
      entry = table[static_cast<std::size_t>(code)];
    } else if (previous >= 0 && code == static_cast<int>(table.size())) {
      entry = table[static_cast<std::size_t>(previous)];
      entry.push_back(entry[0]);
    } else {
      result.wellFormed = false;
      break;
    }
    if (previous >= 0 && table.size() < 4096) {
      std::vector<std::uint8_t> added = table[static_cast<std::size_t>(previous)];
      added.push_back(entry[0]);
      table.push_back(added);
      if (table.size() == (std::size_t{1} << width) && width < 12) ++width;
    }
    result.pixels.insert(result.pixels.end(), entry.begin(), entry.end());
    previous = code;
  }
  return result;
}

// The codes the encoder must emit, found pixel by pixel with the classic
// hash table (the slots, the probe and its stop at key 0), and none of the
// encoder's shortcuts. Counts in `zeroZeroLosses` how often a new string
// took the slot of the string of two 0s, key 0.
std::vector<int> ReferenceCodes(const std::vector<std::uint8_t> &pixels,
                                int *zeroZeroLosses = nullptr) {
  constexpr int SLOTS = LzwEncoder::HASH_SLOTS;
  std::vector<std::int32_t> keys(SLOTS, -1);
  std::vector<int> codes(SLOTS, 0);
  std::vector<int> emitted{LzwEncoder::CLEAR_CODE};
  int nextCode = LzwEncoder::END_CODE + 1;
  if (!pixels.empty()) {
    int prefix = pixels[0];
    for (std::size_t i = 1; i < pixels.size(); ++i) {
      const int pixel = pixels[i];
      const std::int32_t key = (pixel << 12) + prefix;
      int slot = (pixel << 4) ^ prefix;
      bool found = keys[static_cast<std::size_t>(slot)] == key;
      if (!found && keys[static_cast<std::size_t>(slot)] >= 0) {
        const int step = slot == 0 ? 1 : SLOTS - slot;
        do {
          slot -= step;
          if (slot < 0) slot += SLOTS;
          found = keys[static_cast<std::size_t>(slot)] == key;
        } while (!found && keys[static_cast<std::size_t>(slot)] > 0);
      }
      if (found) {
        prefix = codes[static_cast<std::size_t>(slot)];
        continue;
      }
      emitted.push_back(prefix);
      prefix = pixel;
      if (nextCode < LzwEncoder::CODE_LIMIT) {
        if (keys[static_cast<std::size_t>(slot)] == 0 && zeroZeroLosses != nullptr) {
          ++*zeroZeroLosses;
        }
        keys[static_cast<std::size_t>(slot)] = key;
        codes[static_cast<std::size_t>(slot)] = nextCode++;
      } else {
        std::fill(keys.begin(), keys.end(), -1);
        nextCode = LzwEncoder::END_CODE + 1;
        emitted.push_back(LzwEncoder::CLEAR_CODE);
      }
    }
    emitted.push_back(prefix);
  }
  emitted.push_back(LzwEncoder::END_CODE);
  return emitted;
}

Decoded EncodeAndDecode(const std::vector<std::uint8_t> &pixels, CollectingSink &sink) {
  LzwEncoder encoder;
  encoder.Encode(pixels.data(), pixels.size(), sink);
  return Decode(sink.blocks);
}

TEST(LzwEncoder, OnePixelIsClearPixelEndInFourBytes) {
  // 256, 0 and 257 at 9 bits each, low bits first: 27 bits in 4 bytes.
  CollectingSink sink;
  const std::uint8_t pixel = 0;
  LzwEncoder encoder;
  encoder.Encode(&pixel, 1, sink);
  ASSERT_EQ(sink.blocks.size(), 1u);
  EXPECT_EQ(sink.blocks[0], (std::vector<std::uint8_t>{0x04, 0x00, 0x01, 0x04, 0x04}));
}

TEST(LzwEncoder, NoPixelsStillClearAndEnd) {
  CollectingSink sink;
  LzwEncoder encoder;
  encoder.Encode(nullptr, 0, sink);
  const Decoded decoded = Decode(sink.blocks);
  ASSERT_EQ(decoded.codes.size(), 2u);
  EXPECT_EQ(decoded.codes[0].value, 256);
  EXPECT_EQ(decoded.codes[1].value, 257);
}

TEST(LzwEncoder, OneColourGivesARunOfGrowingStrings) {
  // 1 + 2 + ... + 10 pixels: each code stands for a string one longer.
  CollectingSink sink;
  const std::vector<std::uint8_t> pixels(55, 7);
  const Decoded decoded = EncodeAndDecode(pixels, sink);
  std::vector<int> codes;
  for (const Code &code : decoded.codes) codes.push_back(code.value);
  EXPECT_EQ(codes, (std::vector<int>{256, 7, 258, 259, 260, 261, 262, 263, 264, 265, 266, 257}));
  EXPECT_EQ(decoded.pixels, pixels);
}

TEST(LzwEncoder, LongStreamsComeIn254ByteSubBlocks) {
  std::mt19937 random(20261208);
  std::vector<std::uint8_t> pixels(5000);
  for (std::uint8_t &pixel : pixels) pixel = static_cast<std::uint8_t>(random());
  CollectingSink sink;
  const Decoded decoded = EncodeAndDecode(pixels, sink);
  ASSERT_GT(sink.blocks.size(), 2u);
  for (std::size_t i = 0; i + 1 < sink.blocks.size(); ++i) {
    EXPECT_EQ(sink.blocks[i].size(), 255u) << "block " << i;
  }
  EXPECT_GE(sink.blocks.back().size(), 2u);
  EXPECT_LE(sink.blocks.back().size(), 255u);
  EXPECT_TRUE(decoded.wellFormed);
  EXPECT_EQ(decoded.pixels, pixels);
}

TEST(LzwEncoder, AFullDictionaryIsClearedAt12BitsAndWidthRestartsAt9) {
  // Random pixels rarely repeat a string, so nearly every pixel adds one.
  std::mt19937 random(7);
  std::vector<std::uint8_t> pixels(20000);
  for (std::uint8_t &pixel : pixels) pixel = static_cast<std::uint8_t>(random());
  CollectingSink sink;
  const Decoded decoded = EncodeAndDecode(pixels, sink);
  ASSERT_TRUE(decoded.wellFormed);
  EXPECT_EQ(decoded.pixels, pixels);
  // Codes 1 to 3,838 each add a string, so that code 4,096 would be next;
  // the next code is the last one of the full dictionary, then the clear.
  ASSERT_GT(decoded.codes.size(), 3842u);
  EXPECT_EQ(decoded.codes[0].value, 256);
  EXPECT_EQ(decoded.codes[3840].value, 256);
  EXPECT_EQ(decoded.codes[3840].width, 12);
  EXPECT_EQ(decoded.codes[3841].width, 9);
  for (std::size_t i = 1; i < 3840; ++i) ASSERT_NE(decoded.codes[i].value, 256) << i;
  // Width grows one code after the dictionary outgrows it: the 255th code
  // makes the 512th string, and the code after it is the first of 10 bits.
  EXPECT_EQ(decoded.codes[255].width, 9);
  EXPECT_EQ(decoded.codes[256].width, 10);
  EXPECT_EQ(decoded.codes.back().value, 257);
}

TEST(LzwEncoder, SeededPicturesRoundTrip) {
  // Few colours in runs, like a chart: long strings and hash collisions.
  for (unsigned seed = 1; seed <= 20; ++seed) {
    std::mt19937 random(seed);
    std::vector<std::uint8_t> pixels;
    while (pixels.size() < 30000) {
      const auto color = static_cast<std::uint8_t>(random() % (1 + seed % 6));
      pixels.insert(pixels.end(), 1 + random() % 40, color);
    }
    CollectingSink sink;
    const Decoded decoded = EncodeAndDecode(pixels, sink);
    ASSERT_TRUE(decoded.wellFormed) << "seed " << seed;
    ASSERT_EQ(decoded.pixels, pixels) << "seed " << seed;
  }
}

// Encodes the pixels, decodes them back, and compares the code stream with
// the plain walk's.
void ExpectThePlainWalksCodes(const std::vector<std::uint8_t> &pixels, unsigned seed) {
  CollectingSink sink;
  const Decoded decoded = EncodeAndDecode(pixels, sink);
  ASSERT_TRUE(decoded.wellFormed) << "seed " << seed;
  ASSERT_EQ(decoded.pixels, pixels) << "seed " << seed;
  std::vector<int> values;
  for (const Code &code : decoded.codes) values.push_back(code.value);
  ASSERT_EQ(values, ReferenceCodes(pixels)) << "seed " << seed;
}

// Runs of the background pixel pass over the strings the dictionary holds
// for them in one step. The codes must be exactly those of the
// pixel-by-pixel walk: for runs of every length, also across dictionary
// clears, for a background of 0 (whose two-pixel string the table can lose)
// and not, behind a first row of another colour or not, and with other
// pixels' runs and single pixels in between.
TEST(LzwEncoder, BackgroundRunsGiveTheCodesOfThePlainWalk) {
  for (unsigned seed = 1; seed <= 24; ++seed) {
    std::mt19937 random(seed);
    const auto background = static_cast<std::uint8_t>(seed % 3 == 0 ? 0 : 200 + seed);
    const std::size_t longest = seed % 4 == 0 ? 9000 : 300;
    std::vector<std::uint8_t> pixels;
    if (seed % 2 == 1) pixels.assign(600, static_cast<std::uint8_t>(seed % 5));
    while (pixels.size() < 60000) {
      pixels.insert(pixels.end(), 1 + random() % longest, background);
      const auto other = static_cast<std::uint8_t>(random() % (2 + seed % 5));
      pixels.insert(pixels.end(), 1 + random() % 3, other);
    }
    ExpectThePlainWalksCodes(pixels, seed);
    if (::testing::Test::HasFatalFailure()) return;
  }
}

// A chart's plot: rows of background crossed by lines of many colours, one
// or two pixels wide, so that strings of other pixels go on with the
// background over and over. Those find their longer strings without the
// hash table; the codes must still be exactly the plain walk's, also
// across clears, and for a background of 0, which takes no shortcut.
TEST(LzwEncoder, StringsGoingOnWithTheBackgroundGiveTheCodesOfThePlainWalk) {
  for (unsigned seed = 1; seed <= 12; ++seed) {
    std::mt19937 random(seed);
    const auto background = static_cast<std::uint8_t>(seed % 4 == 0 ? 0 : 255 - seed);
    const unsigned colors = 2 + seed * 3;
    const std::size_t gap = 1 + seed % 6;
    std::vector<std::uint8_t> pixels(40, background);
    while (pixels.size() < 80000) {
      pixels.insert(pixels.end(), 1 + random() % gap, background);
      const auto line = static_cast<std::uint8_t>(random() % colors);
      pixels.insert(pixels.end(), 1 + random() % 2, line);
    }
    ExpectThePlainWalksCodes(pixels, seed);
    if (::testing::Test::HasFatalFailure()) return;
  }
}

// The classic table loses the string of two 0s when a new string's probe
// ends on its slot past the first, and the code stream depends on it. The
// pixels 16 1 0 0 21 155 5 156 make it happen at once: the string 16 1
// takes slot 0, so that 0 0 goes to 5,002; 21 155 takes 2,501, and 5 156,
// whose first slot is 2,501 too, probes on to 2,502 * 2 - 5,003 = 5,002
// and takes it over. What follows, pixels of every value with runs of 0s,
// has the string of two 0s come back and go again, also across clears. The
// codes must be exactly the plain walk's.
TEST(LzwEncoder, TheStringOfTwoZerosIsLostWhereTheClassicTableLosesIt) {
  int losses = 0;
  for (unsigned seed = 1; seed <= 40; ++seed) {
    std::mt19937 random(seed);
    std::vector<std::uint8_t> pixels = {16, 1, 0, 0, 21, 155, 5, 156};
    const std::size_t size = 2000 + random() % 9000;
    while (pixels.size() < size) {
      if (random() % 8 == 0) pixels.insert(pixels.end(), 2 + random() % 3, 0);
      pixels.push_back(static_cast<std::uint8_t>(random()));
    }
    ReferenceCodes(pixels, &losses);
    ExpectThePlainWalksCodes(pixels, seed);
    if (::testing::Test::HasFatalFailure()) return;
  }
  // Proof that the pictures reach the case: at least once each.
  EXPECT_GE(losses, 40);
}

// An encoder keeps tables between pictures; each picture must still come
// out as from a new encoder, whatever the pictures before it held.
TEST(LzwEncoder, AReusedEncoderGivesTheBytesOfANewOne) {
  LzwEncoder reused;
  for (unsigned seed = 1; seed <= 8; ++seed) {
    std::mt19937 random(seed);
    const auto background = static_cast<std::uint8_t>(random());
    std::vector<std::uint8_t> pixels;
    while (pixels.size() < 20000 + seed * 3000) {
      pixels.insert(pixels.end(), 1 + random() % 30, background);
      pixels.insert(pixels.end(), 1 + random() % 3, static_cast<std::uint8_t>(random() % 9));
    }
    CollectingSink fromReused, fromNew;
    reused.Encode(pixels.data(), pixels.size(), fromReused);
    LzwEncoder{}.Encode(pixels.data(), pixels.size(), fromNew);
    ASSERT_EQ(fromReused.blocks, fromNew.blocks) << "seed " << seed;
  }
}

}  // namespace
}  // namespace trendel
