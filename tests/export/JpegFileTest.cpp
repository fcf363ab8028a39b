// JPEG files, decoded again by djpeg and Pillow.
#include "Decoders.h"
#include "Pictures.h"

#include "export/JpegFile.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace trendel {
namespace {

using namespace testing;

std::string Path(const std::string &name) {
  return ScratchDirectory() + "/" + name;
}

// The largest difference of one colour component between two pixels.
int Distance(std::uint32_t first, std::uint32_t second) {
  int largest = 0;
  for (int shift = 0; shift <= 16; shift += 8) {
    const int difference = std::abs(static_cast<int>((first >> shift) & 0xFF) -
                                    static_cast<int>((second >> shift) & 0xFF));
    largest = std::max(largest, difference);
  }
  return largest;
}

// Quadrants of four colours: flat areas survive quality 100 almost exactly,
// and the top-left one shows where the first scan line starts.
Image Quadrants(int width, int height) {
  Image image;
  image.width = width;
  image.height = height;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const bool left = x < width / 2, top = y < height / 2;
      image.pixels.push_back(top ? (left ? RED : 0x00C000) : (left ? BLUE : 0xFFFFFF));
    }
  }
  return image;
}

TEST(JpegFile, QualityHundredDecodesCloseToThePicture) {
  const Image picture = Quadrants(16, 16);
  CDib dib;
  ASSERT_TRUE(dib.Attach(PackedBlock(picture, 32)));
  JpegFile writer;
  ASSERT_EQ(writer.WriteFromDib(Path("quadrants.jpg").c_str(), &dib, 100), 1);
  EXPECT_EQ(dib.BitCount(), 32);
  Image decoded;
  ASSERT_TRUE(DecodeWithDjpeg(Path("quadrants.jpg"), decoded));
  ASSERT_EQ(decoded.width, 16);
  ASSERT_EQ(decoded.height, 16);
  // Chroma subsampling at the colour edges costs more than flat areas; the
  // pixels two away from every edge must be nearly exact.
  for (int y = 0; y < 16; ++y) {
    for (int x = 0; x < 16; ++x) {
      const bool nearEdge =
          std::abs(x - 8) <= 2 || std::abs(y - 8) <= 2 || x < 2 || y < 2 || x > 13 || y > 13;
      if (!nearEdge) {
        EXPECT_LE(Distance(decoded.At(x, y), picture.At(x, y)), 4) << x << "," << y;
      }
    }
  }
  EXPECT_LE(Distance(decoded.At(0, 0), RED), 8);
  ASSERT_TRUE(DecodeWithPillow(Path("quadrants.jpg"), decoded));
  EXPECT_LE(Distance(decoded.At(3, 3), RED), 4);
  EXPECT_LE(Distance(decoded.At(12, 12), 0xFFFFFF), 4);

  // Three components, baseline: a start-of-frame 0 marker with 3 components.
  const std::vector<std::uint8_t> bytes = ReadBytes(Path("quadrants.jpg"));
  bool baseline = false;
  for (std::size_t i = 0; i + 9 < bytes.size(); ++i) {
    if (bytes[i] == 0xFF && bytes[i + 1] == 0xC0) baseline = bytes[i + 9] == 3;
  }
  EXPECT_TRUE(baseline);
}

TEST(JpegFile, ThirtyTwoAnd24BitPicturesGiveTheSameFile) {
  const Image picture = LetterF();
  CDib wide, narrow;
  ASSERT_TRUE(wide.Attach(PackedBlock(picture, 32)));
  ASSERT_TRUE(narrow.Attach(PackedBlock(picture, 24)));
  JpegFile writer;
  ASSERT_EQ(writer.WriteFromDib(Path("wide.jpg").c_str(), &wide, 90), 1);
  ASSERT_EQ(writer.WriteFromDib(Path("narrow.jpg").c_str(), &narrow, 90), 1);
  EXPECT_EQ(ReadBytes(Path("wide.jpg")), ReadBytes(Path("narrow.jpg")));
}

TEST(JpegFile, FailuresGiveZeroAndTheStatusSaysWhichFile) {
  JpegFile writer;
  EXPECT_EQ(writer.StatusText(), "No Error");
  EXPECT_EQ(writer.WriteFromDib(Path("none.jpg").c_str(), nullptr, 100), 0);
  const std::uint8_t rgb[3] = {1, 2, 3};
  EXPECT_EQ(writer.WriteRgb(Path("none.jpg").c_str(), rgb, 0, 1, 100), 0);
  EXPECT_EQ(writer.StatusText(), "No Error");
  const std::string missing = Path("missing/out.jpg");
  EXPECT_EQ(writer.WriteRgb(missing.c_str(), rgb, 1, 1, 100), 0);
  EXPECT_EQ(writer.StatusText(), "JpegFile :\nCan't open " + missing + "\n");

  // The library refuses sides above 65,500 with a fatal error, which must
  // come back here as a result; the status text stays.
  JpegFile other;
  std::vector<std::uint8_t> row(65501 * 3, 0);
  EXPECT_EQ(other.WriteRgb(Path("wide.jpg").c_str(), row.data(), 65501, 1, 100), 0);
  EXPECT_EQ(other.StatusText(), "No Error");
  EXPECT_EQ(other.WriteRgb("/dev/full", rgb, 1, 1, 100), 0);
  EXPECT_EQ(other.WriteRgb(Path("fine.jpg").c_str(), rgb, 1, 1, 100), 1);
}

}  // namespace
}  // namespace trendel
