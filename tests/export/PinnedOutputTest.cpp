// Pins what whole charts produce: the window's pixels after a drawing pass
// and after a tracking redraw, the pixels a save puts on the clipboard, and
// the bytes of the BMP and GIF files, for the example charts and for the
// large charts the benchmarks draw. The drawing and saving paths are tuned
// for speed; these hashes prove that no tuning changes a single pixel or
// byte. A hash only says that something changed: the focused tests beside
// each stage say what. When a change of output is intended, print the new
// hashes with TRENDEL_PRINT_PINS=1 and look at the pictures before taking
// them over.
#include "ChartDefinition.h"
#include "Decoders.h"

#include "support/Ppm.h"
#include "support/DefinitionArguments.h"
#include "support/TestGraphs.h"
#include "trendel.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <ostream>
#include <string>
#include <vector>

namespace trendel {
namespace {

using namespace testing;

// FNV-1a, 64 bits: enough to tell outputs apart, and simple to repeat.
std::uint64_t Hash(const std::uint8_t *bytes, std::size_t count) {
  std::uint64_t hash = 14695981039346656037ULL;
  for (std::size_t i = 0; i < count; ++i) {
    hash ^= bytes[i];
    hash *= 1099511628211ULL;
  }
  return hash;
}

std::uint64_t HashPixels(const Image &image) {
  return Hash(reinterpret_cast<const std::uint8_t *>(image.pixels.data()),
              image.pixels.size() * sizeof(std::uint32_t));
}

std::uint64_t HashFile(const std::string &path) {
  const std::vector<std::uint8_t> bytes = ReadBytes(path);
  return bytes.empty() ? 0 : Hash(bytes.data(), bytes.size());
}

GraphArguments ExampleChart(const std::string &name) {
  const std::vector<std::uint8_t> bytes =
      ReadBytes(std::string(TRENDEL_EXAMPLE_CHARTS) + "/" + name + ".json");
  return ArgumentsFromDefinition(cli::ParseDefinition(std::string(bytes.begin(), bytes.end())));
}

// The benchmarks' chart: smooth overlapping waves, grid, markers and legend.
GraphArguments WaveChart(int seriesCount, int categoryCount) {
  GraphArguments arguments;
  arguments.title = "Benchmark";
  arguments.categoryAxisTitle = "Day";
  arguments.valueAxisTitle = "Value";
  arguments.legendTitle = "Series";
  arguments.showGrid = 1;
  arguments.seriesNames.clear();
  arguments.categoryNames.clear();
  arguments.values.clear();
  for (int series = 0; series < seriesCount; ++series) {
    arguments.seriesNames.push_back("Series " + std::to_string(series + 1));
    for (int category = 0; category < categoryCount; ++category) {
      arguments.values.push_back(50 + 40 * std::sin(category * 0.05 + series));
    }
  }
  for (int category = 0; category < categoryCount; ++category) {
    arguments.categoryNames.push_back("Day " + std::to_string(category + 1));
  }
  arguments.rowCount = seriesCount;
  arguments.columnCount = categoryCount;
  return arguments;
}

struct Pins {
  std::uint64_t drawn;
  std::uint64_t tracked;
  std::uint64_t clipboard;
  std::uint64_t bmp;
  std::uint64_t gif;
};

struct PinnedChart {
  const char *name;
  int width;
  int height;
  Pins pins;
};

// The example charts at the chart command's default size, and the large and
// extra-large benchmark charts.
const PinnedChart CHARTS[] = {
    {"gaps", 800, 600,
     {0xc9a9440c4be4b5f2ULL, 0x0c7a4420b4165898ULL, 0xc9a9440c4be4b5f2ULL,
      0xc46e3ebf88de9cd8ULL, 0xafac81458c3e9aeaULL}},
    {"many-categories", 800, 600,
     {0xc3376bedbefe5460ULL, 0xeea9994968f49640ULL, 0xc3376bedbefe5460ULL,
      0x3c574b9d3a5930d6ULL, 0x71f332e135ff34f3ULL}},
    {"monthly-sales", 800, 600,
     {0x4a3b80c73d52d11eULL, 0xe0a819b4940b5adeULL, 0x4a3b80c73d52d11eULL,
      0xcb50355c35e02348ULL, 0x3a5345378795722dULL}},
    {"negative-range", 800, 600,
     {0x7d896b604d62fce6ULL, 0x9e1b4261215a6ecaULL, 0x7d896b604d62fce6ULL,
      0x77c07ae73097b390ULL, 0x99a85709f8180a29ULL}},
    {"rotated-labels", 800, 600,
     {0xe9414109ac248838ULL, 0x6ab9976369fb791aULL, 0xe9414109ac248838ULL,
      0x976c954746865caaULL, 0x51f562e37f6a5233ULL}},
    {"wave-20x2000", 1920, 1080,
     {0x059cb6b8eb4b4bf8ULL, 0x930b210380c70da0ULL, 0x059cb6b8eb4b4bf8ULL,
      0xb7eeb9bc6038b483ULL, 0x4281f20c66cc6c23ULL}},
    {"wave-10x15000", 1920, 1080,
     {0x49ac7ef8928baaa1ULL, 0xf7e3325dc1558a8aULL, 0x49ac7ef8928baaa1ULL,
      0xd3c6e0c879db6036ULL, 0xdea5be7e29f102b7ULL}},
};

GraphArguments ChartArguments(const std::string &name) {
  if (name == "wave-20x2000") return WaveChart(20, 2000);
  if (name == "wave-10x15000") return WaveChart(10, 15000);
  return ExampleChart(name);
}

Image WindowPixels(HWND window, int width, int height) {
  Image image;
  image.width = width;
  image.height = height;
  image.pixels.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
  if (TrendelHost_ReadPixels(window, image.pixels.data(), width, height) != 0) return Image{};
  return image;
}

Image ClipboardPixels() {
  Image image;
  std::int32_t width = 0;
  std::int32_t height = 0;
  if (TrendelHost_GetClipboardSize(&width, &height) != 0) return image;
  image.width = width;
  image.height = height;
  image.pixels.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
  if (TrendelHost_ReadClipboard(image.pixels.data(), width, height) != 0) return Image{};
  return image;
}

Pins Produce(const PinnedChart &chart) {
  HWND window = TrendelHost_CreateWindow(chart.width, chart.height);
  Pins pins{};
  if (ChartArguments(chart.name).Load(window) != TRENDEL_OK) return pins;
  Trendel_DrawGraph(window);
  pins.drawn = HashPixels(WindowPixels(window, chart.width, chart.height));
  // The middle of the window lies over the plot of every pinned chart.
  Trendel_MouseMove(window, 0, chart.width / 2, chart.height / 2);
  pins.tracked = HashPixels(WindowPixels(window, chart.width, chart.height));
  Trendel_MouseMove(window, 0, -1, -1);
  Trendel_SaveFile(window, "", chart.width, chart.height);
  pins.clipboard = HashPixels(ClipboardPixels());
  const std::string stem = ScratchDirectory() + "/" + chart.name;
  Trendel_SaveFile(window, (stem + ".bmp").c_str(), chart.width, chart.height);
  Trendel_SaveFile(window, (stem + ".gif").c_str(), chart.width, chart.height);
  pins.bmp = HashFile(stem + ".bmp");
  pins.gif = HashFile(stem + ".gif");
  Trendel_Destroy(window);
  TrendelHost_DestroyWindow(window);
  return pins;
}

void PrintTo(const PinnedChart &chart, std::ostream *out) { *out << chart.name; }

class PinnedOutput : public ::testing::TestWithParam<PinnedChart> {};

TEST_P(PinnedOutput, MatchesItsHashes) {
  const PinnedChart &chart = GetParam();
  const Pins pins = Produce(chart);
  if (std::getenv("TRENDEL_PRINT_PINS") != nullptr) {
    std::printf("    {\"%s\", %d, %d, {0x%016llxULL, 0x%016llxULL, 0x%016llxULL, 0x%016llxULL, "
                "0x%016llxULL}},\n",
                chart.name, chart.width, chart.height,
                static_cast<unsigned long long>(pins.drawn),
                static_cast<unsigned long long>(pins.tracked),
                static_cast<unsigned long long>(pins.clipboard),
                static_cast<unsigned long long>(pins.bmp), static_cast<unsigned long long>(pins.gif));
  }
  EXPECT_EQ(pins.drawn, chart.pins.drawn) << "window pixels after a drawing pass";
  EXPECT_EQ(pins.tracked, chart.pins.tracked) << "window pixels after a tracking redraw";
  EXPECT_EQ(pins.clipboard, chart.pins.clipboard) << "pixels of a save to the clipboard";
  EXPECT_EQ(pins.bmp, chart.pins.bmp) << "bytes of the BMP file";
  EXPECT_EQ(pins.gif, chart.pins.gif) << "bytes of the GIF file";
}

std::string TestName(const ::testing::TestParamInfo<PinnedChart> &parameter) {
  std::string name = parameter.param.name;
  for (char &character : name) {
    if (character == '-') character = '_';
  }
  return name;
}

INSTANTIATE_TEST_SUITE_P(Charts, PinnedOutput, ::testing::ValuesIn(CHARTS), TestName);

}  // namespace
}  // namespace trendel
