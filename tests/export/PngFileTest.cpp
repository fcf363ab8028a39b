// The PNG encoder and the TrendelHost_SavePng and TrendelHost_EncodePng
// exports. Files are decoded with Pillow and ImageMagick; the colour type is
// read from the IHDR chunk, so that a palette picture is proven to be one.
#include "Decoders.h"
#include "Pictures.h"

#include "export/PngFile.h"
#include "platform/portable/Accounting.h"
#include "support/TestGraphs.h"
#include "trendel.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>

namespace trendel {
namespace {

using namespace testing;

constexpr std::uint8_t PNG_PALETTE = 3;
constexpr std::uint8_t PNG_TRUE_COLOR = 2;
// Signature (8) + IHDR length and type (8) + width, height, bit depth (9).
constexpr std::size_t IHDR_COLOR_TYPE_OFFSET = 25;

std::uint8_t ColorTypeOf(const std::vector<std::uint8_t> &png) {
  return png.size() > IHDR_COLOR_TYPE_OFFSET ? png[IHDR_COLOR_TYPE_OFFSET] : 0;
}

bool WriteBytes(const std::string &path, const std::uint8_t *bytes, std::size_t count) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char *>(bytes), static_cast<std::streamsize>(count));
  return static_cast<bool>(out);
}

// A picture of `colors` distinct colours, one per pixel in turn, then the
// last one repeated: 20 pixels wide, enough rows for all of them.
Image ManyColors(int colors) {
  Image picture;
  picture.width = 20;
  picture.height = (colors + 19) / 20 + 1;
  picture.pixels.assign(static_cast<std::size_t>(picture.width * picture.height), 0);
  for (std::size_t i = 0; i < picture.pixels.size(); ++i) {
    const auto color = static_cast<std::uint32_t>(std::min<std::size_t>(i, colors - 1));
    picture.pixels[i] = color * 0x010203u & 0xFFFFFF;
  }
  return picture;
}

struct EncoderCase {
  const char *name;
  Image picture;
  PngColorType expectedType;
};

// Every picture decodes to exactly its pixels with both decoders, in the
// colour type its colour count calls for; the top byte of a pixel is noise.
TEST(PngEncoder, DecodesToThePictureInTheRightColorType) {
  Image noisyTopByte = LetterF();
  for (std::uint32_t &pixel : noisyTopByte.pixels) pixel |= 0xAB000000;
  const EncoderCase cases[] = {
      {"letter F", LetterF(), PngColorType::Palette},
      {"noisy top byte", noisyTopByte, PngColorType::Palette},
      {"one black pixel", Image{1, 1, {0}}, PngColorType::Palette},
      {"256 colours", ManyColors(256), PngColorType::Palette},
      {"257 colours", ManyColors(257), PngColorType::TrueColor},
  };
  for (const EncoderCase &test : cases) {
    SCOPED_TRACE(test.name);
    PixelRows rows;
    rows.topRow = test.picture.pixels.data();
    rows.rowStep = test.picture.width;
    rows.width = test.picture.width;
    rows.height = test.picture.height;
    PngBytes png;
    PngColorType type = PngColorType::TrueColor;
    ASSERT_TRUE(EncodePng(rows, png, &type));
    EXPECT_EQ(type, test.expectedType);
    const std::vector<std::uint8_t> bytes(png.Data(), png.Data() + png.Size());
    EXPECT_EQ(ColorTypeOf(bytes),
              test.expectedType == PngColorType::Palette ? PNG_PALETTE : PNG_TRUE_COLOR);

    const std::string path = ScratchDirectory() + "/encoded.png";
    ASSERT_TRUE(WriteBytes(path, png.Data(), png.Size()));
    Image expected = test.picture;
    for (std::uint32_t &pixel : expected.pixels) pixel &= 0xFFFFFF;
    Image pillow, magick;
    ASSERT_TRUE(DecodeWithPillow(path, pillow));
    ASSERT_TRUE(DecodeWithImageMagick(path, magick));
    EXPECT_EQ(pillow.pixels, expected.pixels);
    EXPECT_EQ(magick.pixels, expected.pixels);
  }
}

// A negative row step reads a bottom-up picture: the file is the right way up.
TEST(PngEncoder, NegativeRowStepReadsBottomUpRows) {
  const Image picture = LetterF();
  std::vector<std::uint32_t> bottomUp;
  for (int y = picture.height - 1; y >= 0; --y) {
    bottomUp.insert(bottomUp.end(), picture.pixels.begin() + y * picture.width,
                    picture.pixels.begin() + (y + 1) * picture.width);
  }
  PixelRows rows;
  rows.topRow = bottomUp.data() + (picture.height - 1) * picture.width;
  rows.rowStep = -picture.width;
  rows.width = picture.width;
  rows.height = picture.height;
  PngBytes png;
  ASSERT_TRUE(EncodePng(rows, png));
  const std::string path = ScratchDirectory() + "/bottom-up.png";
  ASSERT_TRUE(WriteBytes(path, png.Data(), png.Size()));
  Image decoded;
  ASSERT_TRUE(DecodeWithPillow(path, decoded));
  EXPECT_EQ(decoded.pixels, picture.pixels);
}

TEST(PngEncoder, RefusesEmptyPictures) {
  const std::uint32_t pixel = 0;
  for (const PixelRows rows :
       {PixelRows{nullptr, 1, 1, 1}, PixelRows{&pixel, 1, 0, 1}, PixelRows{&pixel, 1, 1, 0}}) {
    PngBytes png;
    EXPECT_FALSE(EncodePng(rows, png));
  }
}

// The exports on a headless window with the small test graph.
class SavePng : public ::testing::Test {
 protected:
  void SetUp() override {
    static int counter = 0;
    directory_ = ScratchDirectory() + "/png-" + std::to_string(++counter);
    mkdir(directory_.c_str(), 0777);
    window_ = TrendelHost_CreateWindow(60, 40);
    ASSERT_EQ(GraphArguments().Load(window_), TRENDEL_OK);
    baseline_ = portable::CountLiveObjects();
  }
  void TearDown() override {
    const portable::LiveObjectCounts now = portable::CountLiveObjects();
    EXPECT_EQ(now.gdiObjects, baseline_.gdiObjects);
    EXPECT_EQ(now.deviceContexts, baseline_.deviceContexts);
    Trendel_Destroy(window_);
    TrendelHost_DestroyWindow(window_);
  }
  std::string Path(const std::string &name) const { return directory_ + "/" + name; }

  std::string directory_;
  HWND window_ = nullptr;
  portable::LiveObjectCounts baseline_;
};

// The PNG is the picture a BMP save of the same size holds, pixel for pixel,
// and the file and the memory encoding are the same bytes.
TEST_F(SavePng, EqualsTheBitmapSaveAndTheMemoryEncoding) {
  ASSERT_EQ(TrendelHost_SavePng(window_, Path("chart.png").c_str(), 300, 200), TRENDEL_OK);
  ASSERT_EQ(Trendel_SaveFile(window_, Path("chart.bmp").c_str(), 300, 200), TRENDEL_OK);
  Image png, bmp;
  ASSERT_TRUE(DecodeWithPillow(Path("chart.png"), png));
  ASSERT_TRUE(DecodeWithPillow(Path("chart.bmp"), bmp));
  EXPECT_EQ(png.width, 300);
  EXPECT_EQ(png.height, 200);
  EXPECT_EQ(png.pixels, bmp.pixels);

  std::uint8_t *encoded = nullptr;
  std::size_t size = 0;
  ASSERT_EQ(TrendelHost_EncodePng(window_, 300, 200, &encoded, &size), TRENDEL_OK);
  const std::vector<std::uint8_t> memory(encoded, encoded + size);
  TrendelHost_FreePng(encoded);
  EXPECT_EQ(memory, ReadBytes(Path("chart.png")));
  EXPECT_EQ(ColorTypeOf(memory), PNG_PALETTE);
}

// The name holds the whole new file, no staging name is left, and folders
// on the way are made, as Trendel_SaveFile makes them. A size below one
// means ten, as for every save.
TEST_F(SavePng, ReplacesTheFileWholeAndMakesFolders) {
  {
    std::ofstream old(Path("chart.png"));
    old << "an older file";
  }
  ASSERT_EQ(TrendelHost_SavePng(window_, Path("chart.png").c_str(), 0, -5), TRENDEL_OK);
  Image decoded;
  ASSERT_TRUE(DecodeWithPillow(Path("chart.png"), decoded));
  EXPECT_EQ(decoded.width, 10);
  EXPECT_EQ(decoded.height, 10);
  EXPECT_EQ(ListDirectory(directory_), std::vector<std::string>{"chart.png"});

  ASSERT_EQ(TrendelHost_SavePng(window_, Path("a\\b/chart.PNG").c_str(), 30, 20), TRENDEL_OK);
  EXPECT_TRUE(FileExists(Path("a/b/chart.PNG")));
}

// A device is written, not replaced.
TEST_F(SavePng, WritesIntoADevice) {
  EXPECT_EQ(TrendelHost_SavePng(window_, "/dev/null", 30, 20), TRENDEL_OK);
  struct stat status {};
  ASSERT_EQ(stat("/dev/null", &status), 0);
  EXPECT_TRUE(S_ISCHR(status.st_mode));
}

// Each failure has its code, and a failed save leaves nothing behind.
TEST_F(SavePng, FailuresHaveTheirCodesAndLeaveNothing) {
  {
    std::ofstream blocker(Path("blocker"));
    blocker << "a file where a folder should be";
  }
  EXPECT_EQ(TrendelHost_SavePng(window_, Path("blocker/chart.png").c_str(), 30, 20),
            TRENDEL_SAVE_FAILED);
  mkdir(Path("folder").c_str(), 0777);
  EXPECT_EQ(TrendelHost_SavePng(window_, Path("folder").c_str(), 30, 20), TRENDEL_SAVE_FAILED);
  EXPECT_EQ(TrendelHost_SavePng(window_, "", 30, 20), TRENDEL_SAVE_FAILED);
  EXPECT_EQ(TrendelHost_SavePng(window_, nullptr, 30, 20), TRENDEL_SAVE_FAILED);
  const std::string tooLong = Path(std::string(5000, 'x') + ".png");
  EXPECT_EQ(TrendelHost_SavePng(window_, tooLong.c_str(), 30, 20), TRENDEL_SAVE_FAILED);
  std::vector<std::string> left = ListDirectory(directory_);
  std::sort(left.begin(), left.end());
  EXPECT_EQ(left, (std::vector<std::string>{"blocker", "folder"}));
  EXPECT_TRUE(ListDirectory(Path("folder")).empty());

  std::uint8_t *encoded = reinterpret_cast<std::uint8_t *>(&left);
  std::size_t size = 1;
  EXPECT_EQ(TrendelHost_EncodePng(window_, 30, 20, nullptr, &size), TRENDEL_SAVE_FAILED);
  EXPECT_EQ(TrendelHost_EncodePng(window_, 30, 20, &encoded, nullptr), TRENDEL_SAVE_FAILED);

  HWND empty = TrendelHost_CreateWindow(10, 10);
  EXPECT_EQ(TrendelHost_SavePng(empty, Path("empty.png").c_str(), 30, 20), TRENDEL_NO_GRAPH);
  EXPECT_EQ(TrendelHost_EncodePng(empty, 30, 20, &encoded, &size), TRENDEL_NO_GRAPH);
  EXPECT_EQ(encoded, nullptr);
  EXPECT_EQ(size, 0u);
  EXPECT_FALSE(FileExists(Path("empty.png")));
  Trendel_Destroy(empty);
  TrendelHost_DestroyWindow(empty);
  TrendelHost_FreePng(nullptr);
}

}  // namespace
}  // namespace trendel
