// Trendel_SaveFile end to end on headless windows, and the texts of the save
// path. The temporary directory is a private one, so that every file a save
// leaves there can be seen.
#include "Decoders.h"
#include "Pictures.h"

#include "export/PathText.h"
#include "platform/portable/Accounting.h"
#include "render/Tracking.h"
#include "support/TestGraphs.h"
#include "trendel.h"

#include <gtest/gtest.h>

#include <algorithm>

#include <sys/stat.h>
#include <unistd.h>
#include <cstdio>
#include <cstdlib>
#include <ctime>

namespace trendel {
namespace {

using namespace testing;

bool IsGif(const std::vector<std::uint8_t> &bytes) {
  return bytes.size() > 6 && std::string(bytes.begin(), bytes.begin() + 6) == "GIF87a";
}
bool IsJpeg(const std::vector<std::uint8_t> &bytes) {
  return bytes.size() > 2 && bytes[0] == 0xFF && bytes[1] == 0xD8;
}
bool IsBmp(const std::vector<std::uint8_t> &bytes) {
  return bytes.size() > 54 && bytes[0] == 'B' && bytes[1] == 'M';
}

class SaveFile : public ::testing::Test {
 protected:
  void SetUp() override {
    static int counter = 0;
    directory_ = ScratchDirectory() + "/save-" + std::to_string(++counter);
    temporary_ = directory_ + "/tmp";
    mkdir(directory_.c_str(), 0777);
    mkdir(temporary_.c_str(), 0777);
    const char *previous = std::getenv("TMPDIR");
    previousTemporary_ = previous != nullptr ? previous : "";
    setenv("TMPDIR", temporary_.c_str(), 1);
    window_ = TrendelHost_CreateWindow(60, 40);
    ASSERT_EQ(GraphArguments().Load(window_), TRENDEL_OK);
    baseline_ = portable::CountLiveObjects();
  }
  void TearDown() override {
    const portable::LiveObjectCounts now = portable::CountLiveObjects();
    EXPECT_EQ(now.gdiObjects, baseline_.gdiObjects);
    EXPECT_EQ(now.deviceContexts, baseline_.deviceContexts);
    EXPECT_EQ(now.globalBlocks, baseline_.globalBlocks);
    EXPECT_EQ(now.files, baseline_.files);
    Trendel_Destroy(window_);
    TrendelHost_DestroyWindow(window_);
    setenv("TMPDIR", previousTemporary_.c_str(), 1);
  }

  std::string Path(const std::string &name) const { return directory_ + "/" + name; }
  std::int32_t Save(const std::string &name, std::int32_t width = 30, std::int32_t height = 20) {
    return Trendel_SaveFile(window_, Path(name).c_str(), width, height);
  }
  std::vector<std::string> TemporaryFiles() const { return ListDirectory(temporary_); }

  std::string directory_;
  std::string temporary_;
  std::string previousTemporary_;
  HWND window_ = nullptr;
  portable::LiveObjectCounts baseline_;
};

// The framed white background: a black one-pixel frame around white. In
// pictures this small the legend box is wider than the picture and covers
// the frame's left corners, so the right ones are looked at.
void ExpectFramedBackground(const Image &image, int width, int height, int tolerance = 0) {
  ASSERT_EQ(image.width, width);
  ASSERT_EQ(image.height, height);
  const auto near = [tolerance](std::uint32_t pixel, int level) {
    for (int shift = 0; shift <= 16; shift += 8) {
      if (std::abs(static_cast<int>((pixel >> shift) & 0xFF) - level) > tolerance) return false;
    }
    return true;
  };
  EXPECT_TRUE(near(image.At(width - 1, 0), 0)) << std::hex << image.At(width - 1, 0);
  EXPECT_TRUE(near(image.At(width - 1, height - 1), 0));
  EXPECT_TRUE(near(image.At(width / 2, height / 2), 255))
      << std::hex << image.At(width / 2, height / 2);
}

// A JPEG at quality 100 decodes close to what was rendered: sharp coloured
// edges (text, lines) lose some chroma to subsampling, flat areas nothing.
void ExpectCloseToRendering(const Image &decoded, const Image &rendering) {
  ASSERT_EQ(decoded.width, rendering.width);
  ASSERT_EQ(decoded.height, rendering.height);
  long long totalError = 0;
  int largestError = 0;
  for (std::size_t i = 0; i < decoded.pixels.size(); ++i) {
    for (int shift = 0; shift <= 16; shift += 8) {
      const int error = std::abs(static_cast<int>((decoded.pixels[i] >> shift) & 0xFF) -
                                 static_cast<int>((rendering.pixels[i] >> shift) & 0xFF));
      totalError += error;
      largestError = std::max(largestError, error);
    }
  }
  EXPECT_LE(static_cast<double>(totalError) / (3.0 * static_cast<double>(decoded.pixels.size())), 4.0);
  EXPECT_LE(largestError, 160);
  // The first pixel of the first scan line is the rendering's top-left one.
  for (int shift = 0; shift <= 16; shift += 8) {
    EXPECT_NEAR((decoded.At(0, 0) >> shift) & 0xFF, (rendering.At(0, 0) >> shift) & 0xFF, 48);
  }
}

TEST_F(SaveFile, SizesBelowOneBecomeTenAndBmpComesStraightFromTheBitmap) {
  EXPECT_EQ(Save("small.bmp", 0, -5), TRENDEL_OK);
  const std::vector<std::uint8_t> bytes = ReadBytes(Path("small.bmp"));
  EXPECT_EQ(bytes.size(), 54u + 10 * 10 * 4);
  CDib dib;
  ASSERT_TRUE(dib.LoadFromFile(Path("small.bmp").c_str()));
  EXPECT_EQ(dib.BitCount(), 32);
  ExpectFramedBackground(PixelsOf(dib), 10, 10);
  EXPECT_TRUE(TemporaryFiles().empty());
}

TEST_F(SaveFile, TheExtensionChoosesTheFormatInAnyCase) {
  ASSERT_EQ(Save("chart.GIF"), TRENDEL_OK);
  ASSERT_EQ(Save("chart.gif"), TRENDEL_OK);
  ASSERT_EQ(Save("chart.JPEG"), TRENDEL_OK);
  ASSERT_EQ(Save("chart.Jpg"), TRENDEL_OK);
  ASSERT_EQ(Save("chart.png"), TRENDEL_OK);
  ASSERT_EQ(Save("chart.jpe"), TRENDEL_OK);
  ASSERT_EQ(Save("chart"), TRENDEL_OK);
  EXPECT_TRUE(IsGif(ReadBytes(Path("chart.GIF"))));
  EXPECT_TRUE(IsGif(ReadBytes(Path("chart.gif"))));
  EXPECT_TRUE(IsJpeg(ReadBytes(Path("chart.JPEG"))));
  EXPECT_TRUE(IsJpeg(ReadBytes(Path("chart.Jpg"))));
  EXPECT_TRUE(IsBmp(ReadBytes(Path("chart.png"))));
  EXPECT_TRUE(IsBmp(ReadBytes(Path("chart.jpe"))));
  EXPECT_TRUE(IsBmp(ReadBytes(Path("chart"))));
  // A dot in a directory name is no extension, with either separator.
  ASSERT_EQ(Trendel_SaveFile(window_, (directory_ + "\\my.gif\\chart").c_str(), 12, 12),
            TRENDEL_OK);
  EXPECT_TRUE(IsBmp(ReadBytes(Path("my.gif/chart"))));
  // A name that starts with its dot has no extension.
  char previous[4096];
  ASSERT_NE(getcwd(previous, sizeof previous), nullptr);
  ASSERT_EQ(chdir(directory_.c_str()), 0);
  EXPECT_EQ(Trendel_SaveFile(window_, ".gif", 12, 12), TRENDEL_OK);
  ASSERT_EQ(chdir(previous), 0);
  EXPECT_TRUE(IsBmp(ReadBytes(Path(".gif"))));
  EXPECT_TRUE(TemporaryFiles().empty());
}

TEST_F(SaveFile, GifAndJpegDecodeToTheRendering) {
  ASSERT_EQ(Save("chart.bmp", 50, 30), TRENDEL_OK);
  ASSERT_EQ(Save("chart.gif", 50, 30), TRENDEL_OK);
  ASSERT_EQ(Save("chart.jpg", 50, 30), TRENDEL_OK);
  CDib rendering;
  ASSERT_TRUE(rendering.LoadFromFile(Path("chart.bmp").c_str()));
  const Image expected = PixelsOf(rendering);
  Image decoded;
  ASSERT_TRUE(DecodeWithPillow(Path("chart.gif"), decoded));
  EXPECT_EQ(decoded.pixels, expected.pixels);
  ASSERT_TRUE(DecodeWithGif2Rgb(Path("chart.gif"), 50, 30, decoded));
  EXPECT_EQ(decoded.pixels, expected.pixels);
  ASSERT_TRUE(DecodeWithDjpeg(Path("chart.jpg"), decoded));
  ExpectCloseToRendering(decoded, expected);
  EXPECT_TRUE(TemporaryFiles().empty());
}

// A save draws its own pass at its own size, so a host that only saves (the
// chart command, the Python binding) may hold the graph in a one-pixel
// window it never paints: every format comes out byte for byte as from a
// window of the picture's size that was drawn first.
TEST_F(SaveFile, TheWindowsSizeAndAnEarlierDrawChangeNoSavedByte) {
  HWND drawn = TrendelHost_CreateWindow(50, 30);
  HWND tiny = TrendelHost_CreateWindow(1, 1);
  ASSERT_EQ(GraphArguments().Load(drawn), TRENDEL_OK);
  ASSERT_EQ(GraphArguments().Load(tiny), TRENDEL_OK);
  ASSERT_EQ(Trendel_DrawGraph(drawn), TRENDEL_OK);
  for (const std::string extension : {"bmp", "gif", "jpg", "png"}) {
    SCOPED_TRACE(extension);
    const std::string fromDrawn = Path("drawn." + extension), fromTiny = Path("tiny." + extension);
    if (extension == "png") {
      ASSERT_EQ(TrendelHost_SavePng(drawn, fromDrawn.c_str(), 50, 30), TRENDEL_OK);
      ASSERT_EQ(TrendelHost_SavePng(tiny, fromTiny.c_str(), 50, 30), TRENDEL_OK);
    } else {
      ASSERT_EQ(Trendel_SaveFile(drawn, fromDrawn.c_str(), 50, 30), TRENDEL_OK);
      ASSERT_EQ(Trendel_SaveFile(tiny, fromTiny.c_str(), 50, 30), TRENDEL_OK);
    }
    const std::vector<std::uint8_t> bytes = ReadBytes(fromTiny);
    EXPECT_GT(bytes.size(), 54u);
    EXPECT_EQ(bytes, ReadBytes(fromDrawn));
  }
  for (HWND window : {drawn, tiny}) {
    Trendel_Destroy(window);
    TrendelHost_DestroyWindow(window);
  }
}

TEST_F(SaveFile, MissingDirectoriesAreCreatedWithEitherSeparator) {
  ASSERT_EQ(Save("a/b/c.bmp", 12, 12), TRENDEL_OK);
  EXPECT_TRUE(IsBmp(ReadBytes(Path("a/b/c.bmp"))));
  ASSERT_EQ(Trendel_SaveFile(window_, (directory_ + "\\d\\e\\f.gif").c_str(), 12, 12), TRENDEL_OK);
  EXPECT_TRUE(IsGif(ReadBytes(Path("d/e/f.gif"))));
  // A file where a directory should be: directory creation fails quietly,
  // the write fails and says so, and nothing is left.
  ASSERT_EQ(Save("plain.bmp", 12, 12), TRENDEL_OK);
  EXPECT_EQ(Save("plain.bmp/inner.gif", 12, 12), TRENDEL_SAVE_FAILED);
  EXPECT_EQ(Save("plain.bmp/inner.bmp", 12, 12), TRENDEL_SAVE_FAILED);
  EXPECT_TRUE(IsBmp(ReadBytes(Path("plain.bmp"))));
  EXPECT_TRUE(TemporaryFiles().empty());
}

TEST_F(SaveFile, AnEmptyOrNullNameGoesToTheClipboard) {
  ASSERT_EQ(Save("same-size.bmp", 14, 9), TRENDEL_OK);
  CDib rendering;
  ASSERT_TRUE(rendering.LoadFromFile(Path("same-size.bmp").c_str()));
  DeleteFileA(Path("same-size.bmp").c_str());
  for (const char *name : {"", static_cast<const char *>(nullptr)}) {
    ASSERT_EQ(Trendel_SaveFile(window_, name, 14, 9), TRENDEL_OK);
    std::int32_t width = 0, height = 0;
    ASSERT_EQ(TrendelHost_GetClipboardSize(&width, &height), 0);
    EXPECT_EQ(width, 14);
    EXPECT_EQ(height, 9);
    Image image;
    image.width = 14;
    image.height = 9;
    image.pixels.resize(14 * 9);
    ASSERT_EQ(TrendelHost_ReadClipboard(image.pixels.data(), 14, 9), 0);
    EXPECT_EQ(image.pixels, PixelsOf(rendering).pixels);
  }
  // The clipboard holds the bitmap; emptying it gives it back to nobody.
  ASSERT_TRUE(OpenClipboard(nullptr));
  EmptyClipboard();
  CloseClipboard();
  EXPECT_TRUE(ListDirectory(directory_).size() == 1);  // just the temporary directory
  EXPECT_TRUE(TemporaryFiles().empty());
}

TEST_F(SaveFile, TrackingIsOffForTheSaveAndBackAfterIt) {
  ASSERT_EQ(Save("plain.gif"), TRENDEL_OK);
  SetTrackingMode(TRACKING_BOX_LEFT);
  ASSERT_EQ(Save("tracked.gif"), TRENDEL_OK);
  EXPECT_EQ(SetTrackingMode(QUERY_TRACKING_MODE), TRACKING_BOX_LEFT);
  SetTrackingMode(TRACKING_OFF);
  EXPECT_EQ(ReadBytes(Path("tracked.gif")), ReadBytes(Path("plain.gif")));
}

TEST_F(SaveFile, TemporaryNamesInUseAreLeftAloneAndNoneSurvives) {
  // Another save holds this second's name and the next few.
  const std::time_t now = std::time(nullptr);
  std::vector<std::string> held;
  for (int second = 0; second < 4; ++second) {
    held.push_back(temporary_ + "/" + FormatTime(now + second, "yyyymmddhhmmss") + ".tmp");
    std::FILE *file = std::fopen(held.back().c_str(), "wb");
    std::fputs("theirs", file);
    std::fclose(file);
  }
  ASSERT_EQ(Save("chart.jpg"), TRENDEL_OK);
  ASSERT_EQ(Save("chart.gif"), TRENDEL_OK);
  EXPECT_TRUE(IsJpeg(ReadBytes(Path("chart.jpg"))));
  EXPECT_TRUE(IsGif(ReadBytes(Path("chart.gif"))));
  EXPECT_EQ(TemporaryFiles().size(), held.size());
  for (const std::string &path : held) {
    const std::vector<std::uint8_t> bytes = ReadBytes(path);
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), "theirs");
  }
}

TEST_F(SaveFile, ImpossibleSavesWriteNothingAndSaySo) {
  // A temporary path that cannot fit 260 bytes.
  const std::string longDirectory = temporary_ + "/" + std::string(240, 'x');
  mkdir(longDirectory.c_str(), 0777);
  setenv("TMPDIR", longDirectory.c_str(), 1);
  EXPECT_EQ(Save("long.gif"), TRENDEL_SAVE_FAILED);
  EXPECT_FALSE(FileExists(Path("long.gif")));
  EXPECT_TRUE(ListDirectory(longDirectory).empty());
  setenv("TMPDIR", temporary_.c_str(), 1);
  // A picture too large to allocate.
  EXPECT_EQ(Save("huge.bmp", 200000, 200000), TRENDEL_SAVE_FAILED);
  EXPECT_EQ(Save("huge.gif", 200000, 200000), TRENDEL_SAVE_FAILED);
  EXPECT_FALSE(FileExists(Path("huge.bmp")));
  EXPECT_FALSE(FileExists(Path("huge.gif")));
  // A picture wider than a GIF can say: the temporary file still goes.
  EXPECT_EQ(Save("wide.gif", 70000, 1), TRENDEL_SAVE_FAILED);
  EXPECT_FALSE(FileExists(Path("wide.gif")));
  EXPECT_EQ(TemporaryFiles().size(), 1u);  // the long directory
}

// Each cause of a save that writes nothing answers TRENDEL_SAVE_FAILED, and
// the save beside it, which that cause alone kept from working, answers 0.
TEST_F(SaveFile, EachFailureSaysSoAndTheSaveBesideItSucceeds) {
  std::FILE *blocker = std::fopen(Path("blocker").c_str(), "wb");
  ASSERT_NE(blocker, nullptr);
  std::fclose(blocker);
  struct Case {
    const char *what;
    const char *name;
    std::int32_t width;
    std::int32_t height;
    std::int32_t result;
  };
  const Case cases[] = {
      {"an off-screen bitmap too large to make", "huge.gif", 40000, 40000, TRENDEL_SAVE_FAILED},
      {"an off-screen bitmap that can be made", "huge.gif", 600, 400, TRENDEL_OK},
      {"a BMP whose folder is a regular file", "blocker/chart.bmp", 30, 20, TRENDEL_SAVE_FAILED},
      {"a BMP in a folder", "folder/chart.bmp", 30, 20, TRENDEL_OK},
      {"a GIF wider than the format can say", "wide.gif", 70000, 1, TRENDEL_SAVE_FAILED},
      {"a GIF as wide as the format can say", "wide.gif", 65535, 1, TRENDEL_OK},
      {"a JPEG wider than the compressor takes", "wide.jpg", 70000, 1, TRENDEL_SAVE_FAILED},
      {"a JPEG as wide as the compressor takes", "wide.jpg", 65500, 1, TRENDEL_OK},
  };
  for (const Case &save : cases) {
    EXPECT_EQ(Save(save.name, save.width, save.height), save.result) << save.what;
    EXPECT_EQ(FileExists(Path(save.name)), save.result == TRENDEL_OK) << save.what;
  }

  // No temporary BMP can be written: only GIF and JPEG need one.
  setenv("TMPDIR", Path("no/such/folder").c_str(), 1);
  EXPECT_EQ(Save("untemporary.gif"), TRENDEL_SAVE_FAILED);
  EXPECT_EQ(Save("untemporary.jpg"), TRENDEL_SAVE_FAILED);
  EXPECT_EQ(Save("untemporary.bmp"), TRENDEL_OK);
  setenv("TMPDIR", temporary_.c_str(), 1);

  // The clipboard, held open by someone else, cannot be opened.
  ASSERT_TRUE(OpenClipboard(nullptr));
  EXPECT_EQ(Trendel_SaveFile(window_, "", 30, 20), TRENDEL_SAVE_FAILED);
  ASSERT_TRUE(CloseClipboard());
  EXPECT_EQ(Trendel_SaveFile(window_, "", 30, 20), TRENDEL_OK);
  ASSERT_TRUE(OpenClipboard(nullptr));
  EXPECT_TRUE(EmptyClipboard());
  ASSERT_TRUE(CloseClipboard());
  EXPECT_TRUE(TemporaryFiles().empty());
}

TEST(PathText, FormatTimeKnowsThreeFormats) {
  std::tm local{};
  local.tm_year = 2027 - 1900;
  local.tm_mon = 1;
  local.tm_mday = 1;
  local.tm_hour = 9;
  local.tm_min = 3;
  local.tm_sec = 5;
  local.tm_isdst = -1;
  const std::time_t time = std::mktime(&local);
  EXPECT_EQ(FormatTime(time, "YYYYMMDDHHMMSS"), "20270201090305");
  EXPECT_EQ(FormatTime(time, "yyyymmddhhmmss"), "20270201090305");
  EXPECT_EQ(FormatTime(time, "YYYY-MM-DD hh:mm:ss"), "2027-02-01 09:03:05");
  EXPECT_EQ(FormatTime(time, "yyyy-mm-dd hh:mm:ss"), "Error TimeFormat yyyy-mm-dd hh:mm:ss");
  EXPECT_EQ(FormatTime(time, "hh:mm"), "Error TimeFormat hh:mm");
}

TEST(PathText, FileNamesAndSeparators) {
  EXPECT_EQ(FormatOfFileName("C:\\my.dir\\chart"), ImageFormat::Bmp);
  EXPECT_EQ(FormatOfFileName("C:\\out\\.gif"), ImageFormat::Gif);
  EXPECT_EQ(FormatOfFileName(".gif"), ImageFormat::Bmp);
  EXPECT_EQ(FormatOfFileName("a.b.JPEG"), ImageFormat::Jpeg);
  EXPECT_EQ(FormatOfFileName("chart."), ImageFormat::Bmp);
  EXPECT_EQ(LastSeparator("\\chart.bmp"), std::optional<std::size_t>(0));
  EXPECT_EQ(LastSeparator("a/b\\c"), std::optional<std::size_t>(3));
  EXPECT_EQ(LastSeparator("chart"), std::nullopt);
  const std::string directory = TempDirectory();
  ASSERT_FALSE(directory.empty());
  EXPECT_TRUE(directory.back() == '/' || directory.back() == '\\');
}

}  // namespace
}  // namespace trendel
