// Saving as a host does. These tests check what each file name gives (the
// format by its leading bytes, the size by its header) and what the clipboard
// receives; the pictures in the files are decoded afterwards by independent
// decoders (check-saved-images.py), against a reference written beside each
// file: the same graph drawn into a window of the picture's size.
#include "CheckedExports.h"
#include "TestWindow.h"
#include "support/TestGraphs.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace trendel::testing {
namespace {

namespace fs = std::filesystem;

constexpr char OUTPUT_FOLDER[] = "e2e-output/saved";
constexpr std::uint32_t TRACKING_GREY = 0xE1E1E1;

GraphArguments SavedGraph() {
  GraphArguments graph;
  graph.title = "Saved chart";
  graph.legendTitle = "Regions";
  graph.seriesColors = {0x00C08000, 0x004060E0};
  graph.showGrid = 1;
  graph.categoryNames = {"Jan", "Feb", "Mar", "Apr", "May"};
  graph.values = {12, 18, 9, 22, 17, 7, 11, 15, 13, 20};
  graph.columnCount = 5;
  return graph;
}

std::vector<unsigned char> ReadBytes(const fs::path &path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::uint32_t LittleEndian(const std::vector<unsigned char> &bytes, std::size_t offset,
                           std::size_t size) {
  std::uint32_t value = 0;
  for (std::size_t i = size; i-- > 0;) value = (value << 8) | bytes.at(offset + i);
  return value;
}

enum class Format { Bmp, Gif, Jpeg };

const char *FormatName(Format format) {
  switch (format) {
    case Format::Bmp:
      return "bmp";
    case Format::Gif:
      return "gif";
    case Format::Jpeg:
      return "jpeg";
  }
  return "";
}

// The picture size a file's header states, after checking its signature.
struct Header {
  bool valid = false;
  int width = 0;
  int height = 0;
};

Header ReadHeader(const std::vector<unsigned char> &bytes, Format format) {
  Header header;
  switch (format) {
    case Format::Bmp:
      if (bytes.size() < 54 || bytes[0] != 'B' || bytes[1] != 'M') return header;
      header.width = static_cast<int>(LittleEndian(bytes, 18, 4));
      header.height = static_cast<int>(LittleEndian(bytes, 22, 4));
      header.valid = LittleEndian(bytes, 10, 4) == 54 && LittleEndian(bytes, 2, 4) == bytes.size();
      return header;
    case Format::Gif:
      if (bytes.size() < 13 || std::string(bytes.begin(), bytes.begin() + 6) != "GIF87a") {
        return header;
      }
      header.width = static_cast<int>(LittleEndian(bytes, 6, 2));
      header.height = static_cast<int>(LittleEndian(bytes, 8, 2));
      header.valid = bytes.back() == 0x3B;
      return header;
    case Format::Jpeg: {
      if (bytes.size() < 4 || bytes[0] != 0xFF || bytes[1] != 0xD8) return header;
      // The baseline frame header: FF C0, length, precision, height, width.
      for (std::size_t i = 2; i + 9 < bytes.size(); ++i) {
        if (bytes[i] == 0xFF && bytes[i + 1] == 0xC0) {
          header.height = (bytes[i + 5] << 8) | bytes[i + 6];
          header.width = (bytes[i + 7] << 8) | bytes[i + 8];
          header.valid = bytes[bytes.size() - 2] == 0xFF && bytes.back() == 0xD9;
          break;
        }
      }
      return header;
    }
  }
  return header;
}

int CountColor(const Image &image, std::uint32_t color) {
  int count = 0;
  for (std::uint32_t pixel : image.pixels) count += pixel == color ? 1 : 0;
  return count;
}

// A 32-bit BMP's pixels, top row first, for the checks made here.
Image DecodeBitmap32(const std::vector<unsigned char> &bytes) {
  Image image;
  if (bytes.size() < 54 || LittleEndian(bytes, 28, 2) != 32) return image;
  image.width = static_cast<int>(LittleEndian(bytes, 18, 4));
  image.height = static_cast<int>(LittleEndian(bytes, 22, 4));
  image.pixels.resize(static_cast<std::size_t>(image.width) * image.height);
  for (int y = 0; y < image.height; ++y) {
    const std::size_t row = 54 + static_cast<std::size_t>(image.height - 1 - y) * image.width * 4;
    for (int x = 0; x < image.width; ++x) {
      image.pixels[static_cast<std::size_t>(y) * image.width + x] = LittleEndian(bytes, row + x * 4u, 3);
    }
  }
  return image;
}

class SaveFile : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    fs::remove_all(OUTPUT_FOLDER);
    fs::create_directories(OUTPUT_FOLDER);
  }
  void SetUp() override {
    ASSERT_EQ(checked::SetValues(Window(), SavedGraph()), TRENDEL_OK);
    checked::MouseMove(Window(), 0, 1, 1);  // no tracking overlay
  }
  void TearDown() override { checked::Destroy(Window()); }

  HWND Window() const { return window_.Handle(); }

  // Saves under `name` (with "\" separators, relative to the output folder)
  // and returns the path it should have written.
  fs::path Save(const std::string &name, int width, int height) {
    const std::string hostName = std::string(OUTPUT_FOLDER) + "\\" + name;
    EXPECT_EQ(checked::SaveFile(Window(), hostName.c_str(), width, height), TRENDEL_OK) << name;
    std::string path = std::string(OUTPUT_FOLDER) + "/" + name;
    for (char &c : path) c = c == '\\' ? '/' : c;
    return path;
  }

  // Checks the file's signature and size, and leaves it to the decoders,
  // with the reference picture and a line in the manifest.
  void ExpectSaved(const fs::path &path, Format format, int width, int height) {
    const std::vector<unsigned char> bytes = ReadBytes(path);
    const Header header = ReadHeader(bytes, format);
    EXPECT_TRUE(header.valid) << path << " is no " << FormatName(format) << " file";
    EXPECT_EQ(header.width, width) << path;
    EXPECT_EQ(header.height, height) << path;
    const fs::path reference = fs::path(path).concat(".reference.ppm");
    ASSERT_TRUE(WritePpm(reference.string(), Drawn(width, height)));
    std::ofstream manifest(fs::path(OUTPUT_FOLDER) / "manifest.txt", std::ios::app);
    manifest << fs::relative(path, OUTPUT_FOLDER).generic_string() << ' ' << FormatName(format)
             << ' ' << fs::relative(reference, OUTPUT_FOLDER).generic_string() << '\n';
  }

  // The graph as Trendel_DrawGraph puts it into a window of that size.
  Image Drawn(int width, int height) {
    TestWindow window(width, height);
    EXPECT_EQ(checked::SetValues(window.Handle(), SavedGraph()), TRENDEL_OK);
    checked::MouseMove(window.Handle(), 0, 1, 1);
    EXPECT_EQ(checked::DrawGraph(window.Handle()), TRENDEL_OK);
    Image image = window.Pixels();
    checked::Destroy(window.Handle());
    return image;
  }

  TestWindow window_{640, 360};
};

TEST_F(SaveFile, ExtensionChoosesTheFormatInAnyCase) {
  ExpectSaved(Save("chart.bmp", 640, 360), Format::Bmp, 640, 360);
  ExpectSaved(Save("chart.GIF", 640, 360), Format::Gif, 640, 360);
  ExpectSaved(Save("chart.jpeg", 640, 360), Format::Jpeg, 640, 360);
  ExpectSaved(Save("wide.Jpg", 1000, 300), Format::Jpeg, 1000, 300);
  ExpectSaved(Save("small.gif", 200, 150), Format::Gif, 200, 150);
  // Anything else is BMP data under exactly the name given.
  ExpectSaved(Save("chart.png", 333, 222), Format::Bmp, 333, 222);
  ExpectSaved(Save("chart.jpe", 120, 90), Format::Bmp, 120, 90);
  ExpectSaved(Save("no-extension", 120, 90), Format::Bmp, 120, 90);
}

TEST_F(SaveFile, NameStartingWithItsOnlyDotIsBitmapData) {
  // Only a name without folders starts with its dot: this one lands in the
  // working folder and moves to the others for the decoders.
  fs::remove(".gif");
  ASSERT_EQ(checked::SaveFile(Window(), ".gif", 120, 90), TRENDEL_OK);
  const fs::path moved = fs::path(OUTPUT_FOLDER) / "leading-dot";
  fs::rename(".gif", moved);
  ExpectSaved(moved, Format::Bmp, 120, 90);
}

TEST_F(SaveFile, MissingFoldersAreCreatedAndOnlyTheLastDotCounts) {
  ExpectSaved(Save("new\\deeper\\chart.gif", 300, 200), Format::Gif, 300, 200);
  ExpectSaved(Save("my.dir\\chart", 300, 200), Format::Bmp, 300, 200);
}

TEST_F(SaveFile, SizesBelowOneMeanTen) {
  ExpectSaved(Save("tiny.bmp", 0, -5), Format::Bmp, 10, 10);
  ExpectSaved(Save("tiny.jpg", -1, 0), Format::Jpeg, 10, 10);
}

TEST_F(SaveFile, WindowsWithoutAGraphSaveNothing) {
  TestWindow fresh(100, 100);
  const std::string name = std::string(OUTPUT_FOLDER) + "\\never.bmp";
  EXPECT_EQ(checked::SaveFile(fresh.Handle(), name.c_str(), 100, 100), TRENDEL_NO_GRAPH);
  EXPECT_EQ(checked::SaveFile(fresh.Handle(), name.c_str(), 100, 100), TRENDEL_NO_GRAPH);
  EXPECT_FALSE(fs::exists(fs::path(OUTPUT_FOLDER) / "never.bmp"));
  checked::Destroy(fresh.Handle());
}

TEST_F(SaveFile, SavedPictureLeavesOutTheOverlayButTrackingGoesOn) {
  ASSERT_EQ(checked::DrawGraph(Window()), TRENDEL_OK);
  checked::MouseMove(Window(), 0, 300, 200);
  const Image tracked = window_.Pixels();
  ASSERT_GT(CountColor(tracked, TRACKING_GREY), 100);

  // Drawing switched off does not stop saving.
  ASSERT_EQ(checked::SetRedraw(Window(), 0), TRENDEL_OK);
  const fs::path path = Save("while-tracking.bmp", 640, 360);
  ASSERT_EQ(checked::SetRedraw(Window(), 1), TRENDEL_OK);
  // The next drawing pass shows the overlay again.
  ASSERT_EQ(checked::DrawGraph(Window()), TRENDEL_OK);
  EXPECT_EQ(window_.Pixels().pixels, tracked.pixels);

  const Image saved = DecodeBitmap32(ReadBytes(path));
  ASSERT_EQ(saved.width, 640);
  // Antialiased text may use the line's grey too, but far less of it.
  EXPECT_GT(CountColor(tracked, TRACKING_GREY) - CountColor(saved, TRACKING_GREY), 100)
      << "the saved picture shows the tracking line";
  ExpectSaved(path, Format::Bmp, 640, 360);  // its reference switches tracking off
}

TEST_F(SaveFile, EmptyOrNullNamePutsThePictureOnTheClipboard) {
  const auto filesBefore =
      std::distance(fs::directory_iterator(OUTPUT_FOLDER), fs::directory_iterator());
  ASSERT_EQ(checked::SaveFile(Window(), "", 320, 200), TRENDEL_OK);
  Image clipboard;
  ASSERT_TRUE(ReadClipboard(clipboard));
  EXPECT_EQ(clipboard.width, 320);
  EXPECT_EQ(clipboard.height, 200);
  EXPECT_EQ(clipboard.pixels, Drawn(320, 200).pixels);

  ASSERT_EQ(checked::SaveFile(Window(), nullptr, 0, 40), TRENDEL_OK);
  ASSERT_TRUE(ReadClipboard(clipboard));
  EXPECT_EQ(clipboard.width, 10);
  EXPECT_EQ(clipboard.height, 40);
  EXPECT_EQ(std::distance(fs::directory_iterator(OUTPUT_FOLDER), fs::directory_iterator()),
            filesBefore);
}

}  // namespace
}  // namespace trendel::testing
