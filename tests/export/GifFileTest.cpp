// GIF files: the layout byte for byte, and the pixels as three independent
// decoders see them.
#include "Decoders.h"
#include "Pictures.h"

#include "export/GifFile.h"
#include "platform/portable/Accounting.h"

#include <gtest/gtest.h>

#include <random>

namespace trendel {
namespace {

using namespace testing;

std::string Path(const std::string &name) {
  return ScratchDirectory() + "/" + name;
}

// Writes a picture from a 32-bit CDib and returns the file's bytes.
std::vector<std::uint8_t> WriteGif(const Image &picture, const std::string &name) {
  CDib dib;
  EXPECT_TRUE(dib.Attach(PackedBlock(picture, 32)));
  GifFile writer;
  EXPECT_EQ(writer.WriteFromDib(Path(name).c_str(), &dib), 1);
  EXPECT_EQ(dib.BitCount(), 32);  // the caller's picture stays as it was
  return ReadBytes(Path(name));
}

// The image data after the minimum code size: sub-block lengths and the
// bytes of the code stream joined.
struct DataBlocks {
  std::vector<std::size_t> lengths;
  std::vector<std::uint8_t> codeStream;
  std::size_t end = 0;  // offset of the block terminator
};

DataBlocks ReadDataBlocks(const std::vector<std::uint8_t> &file) {
  DataBlocks blocks;
  std::size_t offset = 792;
  while (offset < file.size() && file[offset] != 0) {
    const std::size_t length = file[offset];
    blocks.lengths.push_back(length);
    blocks.codeStream.insert(blocks.codeStream.end(), file.begin() + static_cast<long>(offset) + 1,
                             file.begin() + static_cast<long>(offset + 1 + length));
    offset += 1 + length;
  }
  blocks.end = offset;
  return blocks;
}

TEST(GifFile, ThreeHundredByTwoHundredLayout) {
  Image picture;
  picture.width = 300;
  picture.height = 200;
  std::mt19937 random(300200);
  for (int i = 0; i < 300 * 200; ++i) picture.pixels.push_back(random() % 3 == 0 ? RED : BLUE);
  const std::vector<std::uint8_t> file = WriteGif(picture, "layout.gif");
  ASSERT_GT(file.size(), 800u);
  const std::vector<std::uint8_t> start(file.begin(), file.begin() + 13);
  EXPECT_EQ(start, (std::vector<std::uint8_t>{0x47, 0x49, 0x46, 0x38, 0x37, 0x61, 0x2C, 0x01, 0xC8,
                                              0x00, 0xE7, 0x00, 0x00}));
  const std::vector<std::uint8_t> descriptor(file.begin() + 781, file.begin() + 792);
  EXPECT_EQ(descriptor, (std::vector<std::uint8_t>{0x2C, 0x00, 0x00, 0x00, 0x00, 0x2C, 0x01, 0xC8,
                                                   0x00, 0x00, 0x08}));
  // Colour table: octree order, blue (index 1 at the root) before red (4).
  EXPECT_EQ(file[13 + 2], 0xFF);
  EXPECT_EQ(file[16], 0xFF);
  const DataBlocks blocks = ReadDataBlocks(file);
  ASSERT_GE(blocks.lengths.size(), 2u);
  for (std::size_t i = 0; i + 1 < blocks.lengths.size(); ++i) EXPECT_EQ(blocks.lengths[i], 254u);
  EXPECT_LE(blocks.lengths.back(), 254u);
  // The first code, 9 bits from the low end, is the clear code.
  EXPECT_EQ(blocks.codeStream[0] | ((blocks.codeStream[1] & 1) << 8), 256);
  EXPECT_EQ(blocks.end + 2, file.size());
  EXPECT_EQ(file[blocks.end + 1], 0x3B);

  Image decoded;
  ASSERT_TRUE(DecodeWithPillow(Path("layout.gif"), decoded));
  EXPECT_EQ(decoded.pixels, picture.pixels);
  ASSERT_TRUE(DecodeWithImageMagick(Path("layout.gif"), decoded));
  EXPECT_EQ(decoded.pixels, picture.pixels);
  ASSERT_TRUE(DecodeWithGif2Rgb(Path("layout.gif"), 300, 200, decoded));
  EXPECT_EQ(decoded.pixels, picture.pixels);
}

TEST(GifFile, ManyColoursAreReducedAndDecodeToTheEightBitPicture) {
  // 4,096 colours, more than a GIF holds: what the decoders see must be
  // exactly the 8-bit picture the CDib makes.
  Image picture;
  picture.width = 64;
  picture.height = 64;
  for (int y = 0; y < 64; ++y) {
    for (int x = 0; x < 64; ++x) {
      picture.pixels.push_back((static_cast<std::uint32_t>(x * 4) << 16) |
                               (static_cast<std::uint32_t>(y * 4) << 8) | 0x40);
    }
  }
  WriteGif(picture, "many.gif");
  CDib reduced;
  ASSERT_TRUE(reduced.Attach(PackedBlock(picture, 32)));
  ASSERT_TRUE(reduced.ChangeBitCount(8));
  const Image expected = PixelsOf(reduced);
  Image decoded;
  ASSERT_TRUE(DecodeWithPillow(Path("many.gif"), decoded));
  EXPECT_EQ(decoded.pixels, expected.pixels);
  ASSERT_TRUE(DecodeWithGif2Rgb(Path("many.gif"), 64, 64, decoded));
  EXPECT_EQ(decoded.pixels, expected.pixels);
}

TEST(GifFile, OneColourPutsItFirstInTheTable) {
  Image picture;
  picture.width = 40;
  picture.height = 30;
  picture.pixels.assign(40 * 30, 0x123456);
  const std::vector<std::uint8_t> file = WriteGif(picture, "plain.gif");
  EXPECT_EQ((std::vector<std::uint8_t>(file.begin() + 13, file.begin() + 19)),
            (std::vector<std::uint8_t>{0x12, 0x34, 0x56, 0, 0, 0}));
  Image decoded;
  ASSERT_TRUE(DecodeWithImageMagick(Path("plain.gif"), decoded));
  EXPECT_EQ(decoded.pixels, picture.pixels);
}

TEST(GifFile, AnEightBitPictureKeepsItsOwnTable) {
  // Indices 0 and 1 of a table whose order no octree would give.
  const std::vector<RGBQUAD> table = {RGBQUAD{0, 0, 255, 0}, RGBQUAD{255, 0, 0, 0},
                                      RGBQUAD{1, 2, 3, 0}};
  CDib dib;
  ASSERT_TRUE(dib.Attach(PackedIndexedBlock(3, 2, 8, {0, 1, 2, 1, 1, 0}, table)));
  GifFile writer;
  ASSERT_EQ(writer.WriteFromDib(Path("own.gif").c_str(), &dib), 1);
  const std::vector<std::uint8_t> file = ReadBytes(Path("own.gif"));
  EXPECT_EQ((std::vector<std::uint8_t>(file.begin() + 13, file.begin() + 25)),
            (std::vector<std::uint8_t>{255, 0, 0, 0, 0, 255, 3, 2, 1, 0, 0, 0}));
  Image decoded;
  ASSERT_TRUE(DecodeWithPillow(Path("own.gif"), decoded));
  EXPECT_EQ(decoded.pixels, (std::vector<std::uint32_t>{RED, BLUE, 0x030201, BLUE, BLUE, RED}));
}

TEST(GifFile, FailuresLeaveNothingBehind) {
  const portable::LiveObjectCounts before = portable::CountLiveObjects();
  GifFile writer;
  EXPECT_EQ(writer.StatusText(), "No Error");
  EXPECT_EQ(writer.WriteFromDib(Path("x.gif").c_str(), nullptr), 0);
  CDib empty;
  EXPECT_EQ(writer.WriteFromDib(Path("x.gif").c_str(), &empty), 0);
  EXPECT_EQ(writer.StatusText(), "No Error");
  CDib dib;
  ASSERT_TRUE(dib.Attach(PackedBlock(LetterF(), 24)));
  EXPECT_EQ(writer.WriteFromDib(Path("missing/letter.gif").c_str(), &dib), 0);
  EXPECT_EQ(writer.StatusText(), "Can't open GIF for writing");
  // A side above 65,535 does not fit the file's 16-bit fields.
  const std::uint8_t pixels[2] = {0, 0};
  const int colors[256] = {};
  EXPECT_EQ(
      writer.WriteIndexed(Path("wide.gif").c_str(), pixels, 65536, 1, 0, colors, colors, colors),
      0);
  EXPECT_FALSE(FileExists(Path("wide.gif")));
  EXPECT_FALSE(FileExists(Path("x.gif")));
  // A stream that fails while it is written is a failure too.
  EXPECT_EQ(writer.WriteFromDib("/dev/full", &dib), 0);
  // The status stays after a later success.
  EXPECT_EQ(writer.WriteFromDib(Path("letter.gif").c_str(), &dib), 1);
  EXPECT_EQ(writer.StatusText(), "Can't open GIF for writing");
  const portable::LiveObjectCounts after = portable::CountLiveObjects();
  EXPECT_EQ(after.gdiObjects, before.gdiObjects);          // a 24-bit CDib has no palette
  EXPECT_EQ(after.globalBlocks, before.globalBlocks + 1);  // the CDib's own
  EXPECT_EQ(after.files, before.files);
}

}  // namespace
}  // namespace trendel
