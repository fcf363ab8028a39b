// Saving charts, and the stages behind GIF: the LZW encoder, the octree and
// the 8-bit conversion.
//   build/<dir>/bench/bench_save --benchmark_filter=Save
// Saves cover rendering, the temporary BMP and the writer; a save to the
// clipboard is the rendering alone, so the difference is what the file costs.
// JPEG compression of the large chart's pixels on their own is the yardstick
// for the JPEG save. The stage benchmarks run on a synthetic chart-like
// picture: white, with axes, a grid and 20 coloured zigzag lines.
#include "export/ConvertDib.h"
#include "export/JpegFile.h"
#include "export/LzwEncoder.h"
#include "export/Octree.h"
#include "export/PackedDib.h"
#include "export/PngFile.h"
#include "trendel.h"

#include <benchmark/benchmark.h>

#include <unistd.h>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

using namespace trendel;

struct ChartSize {
  int width;
  int height;
  int seriesCount;
  int categoryCount;
};

constexpr ChartSize SMALL{600, 400, 5, 100};
constexpr ChartSize LARGE{1920, 1080, 20, 2000};

std::string OutputPath(const char *name) {
  static const std::string directory = [] {
    std::string pattern = "/tmp/trendel-bench-XXXXXX";
    return mkdtemp(pattern.data()) != nullptr ? pattern : std::string("/tmp");
  }();
  return directory + "/" + name;
}

// A window with a graph of the size's series and categories.
HWND LoadedWindow(const ChartSize &size) {
  HWND window = TrendelHost_CreateWindow(size.width, size.height);
  std::vector<std::string> seriesNames, categoryNames;
  for (int i = 0; i < size.seriesCount; ++i) seriesNames.push_back("Series " + std::to_string(i));
  for (int i = 0; i < size.categoryCount; ++i) categoryNames.push_back("C" + std::to_string(i));
  std::vector<const char *> series, categories;
  for (const std::string &name : seriesNames) series.push_back(name.c_str());
  for (const std::string &name : categoryNames) categories.push_back(name.c_str());
  std::vector<double> values;
  for (int row = 0; row < size.seriesCount; ++row) {
    for (int column = 0; column < size.categoryCount; ++column) {
      values.push_back(100.0 + 50.0 * std::sin(column * 0.05 + row) + row * 10.0);
    }
  }
  Trendel_SetValues(window, "LINE_GRAPH", "Benchmark", 0, "Category", "Value", "Series",
                    series.data(), size.seriesCount, nullptr, 0, 0, 0.0, 0.0, 1, "", 0.0, 0, 0,
                    categories.data(), size.categoryCount, values.data(), size.seriesCount,
                    size.categoryCount);
  return window;
}

// An empty name saves to the clipboard.
void Save(benchmark::State &state, const ChartSize &size, const char *name) {
  HWND window = LoadedWindow(size);
  const std::string path = name[0] == '\0' ? std::string() : OutputPath(name);
  for (auto _ : state) {
    Trendel_SaveFile(window, path.c_str(), size.width, size.height);
  }
  Trendel_Destroy(window);
  TrendelHost_DestroyWindow(window);
  if (!path.empty()) unlink(path.c_str());
}

void SaveSmallToClipboard(benchmark::State &state) {
  Save(state, SMALL, "");
}
void SaveLargeToClipboard(benchmark::State &state) {
  Save(state, LARGE, "");
}

void SaveSmallBmp(benchmark::State &state) {
  Save(state, SMALL, "small.bmp");
}
void SaveSmallGif(benchmark::State &state) {
  Save(state, SMALL, "small.gif");
}
void SaveSmallJpeg(benchmark::State &state) {
  Save(state, SMALL, "small.jpg");
}
void SaveLargeBmp(benchmark::State &state) {
  Save(state, LARGE, "large.bmp");
}
void SaveLargeGif(benchmark::State &state) {
  Save(state, LARGE, "large.gif");
}
void SaveLargeJpeg(benchmark::State &state) {
  Save(state, LARGE, "large.jpg");
}
BENCHMARK(SaveSmallToClipboard)->Unit(benchmark::kMillisecond);
BENCHMARK(SaveLargeToClipboard)->Unit(benchmark::kMillisecond);
BENCHMARK(SaveSmallBmp)->Unit(benchmark::kMillisecond);
BENCHMARK(SaveSmallGif)->Unit(benchmark::kMillisecond);
BENCHMARK(SaveSmallJpeg)->Unit(benchmark::kMillisecond);
BENCHMARK(SaveLargeBmp)->Unit(benchmark::kMillisecond);
BENCHMARK(SaveLargeGif)->Unit(benchmark::kMillisecond);
BENCHMARK(SaveLargeJpeg)->Unit(benchmark::kMillisecond);

// The large chart rendered as a save renders it, 0x00RRGGBB, top row first.
std::vector<std::uint32_t> LargeChartPixels() {
  HWND window = LoadedWindow(LARGE);
  Trendel_SaveFile(window, "", LARGE.width, LARGE.height);
  std::vector<std::uint32_t> pixels(static_cast<std::size_t>(LARGE.width) * LARGE.height);
  TrendelHost_ReadClipboard(pixels.data(), LARGE.width, LARGE.height);
  Trendel_Destroy(window);
  TrendelHost_DestroyWindow(window);
  return pixels;
}

// The large chart as red, green, blue rows.
std::vector<std::uint8_t> LargeChartRgb() {
  const std::vector<std::uint32_t> pixels = LargeChartPixels();
  std::vector<std::uint8_t> rgb;
  for (const std::uint32_t pixel : pixels) {
    rgb.insert(rgb.end(), {static_cast<std::uint8_t>(pixel >> 16),
                           static_cast<std::uint8_t>(pixel >> 8), static_cast<std::uint8_t>(pixel)});
  }
  return rgb;
}

// What `cjpeg -quality 100` does with the same pixels, without its process.
void CompressLargeJpeg(benchmark::State &state) {
  const std::vector<std::uint8_t> rgb = LargeChartRgb();
  const std::string path = OutputPath("compressed.jpg");
  JpegFile writer;
  for (auto _ : state) writer.WriteRgb(path.c_str(), rgb.data(), LARGE.width, LARGE.height, 100);
  unlink(path.c_str());
}
BENCHMARK(CompressLargeJpeg)->Unit(benchmark::kMillisecond);

// PNG through TrendelHost_SavePng, rendering included like every save:
// SaveLargeToClipboard is the rendering alone.
void SavePng(benchmark::State &state, const ChartSize &size, const char *name) {
  HWND window = LoadedWindow(size);
  const std::string path = OutputPath(name);
  for (auto _ : state) TrendelHost_SavePng(window, path.c_str(), size.width, size.height);
  Trendel_Destroy(window);
  TrendelHost_DestroyWindow(window);
  unlink(path.c_str());
}
void SaveSmallPng(benchmark::State &state) {
  SavePng(state, SMALL, "small.png");
}
void SaveLargePng(benchmark::State &state) {
  SavePng(state, LARGE, "large.png");
}
BENCHMARK(SaveSmallPng)->Unit(benchmark::kMillisecond);
BENCHMARK(SaveLargePng)->Unit(benchmark::kMillisecond);

// The PNG encoder alone on the large chart's pixels (a palette image).
void EncodeLargePng(benchmark::State &state) {
  const std::vector<std::uint32_t> pixels = LargeChartPixels();
  PixelRows rows;
  rows.topRow = pixels.data();
  rows.rowStep = LARGE.width;
  rows.width = LARGE.width;
  rows.height = LARGE.height;
  std::size_t fileBytes = 0;
  for (auto _ : state) {
    PngBytes png;
    EncodePng(rows, png);
    fileBytes = png.Size();
  }
  state.counters["file_bytes"] = static_cast<double>(fileBytes);
}
BENCHMARK(EncodeLargePng)->Unit(benchmark::kMillisecond);

// 0x00RRGGBB pixels of a chart-like picture, top row first.
std::vector<std::uint32_t> ChartPixels(int width, int height) {
  std::vector<std::uint32_t> pixels(static_cast<std::size_t>(width) * height, 0xFFFFFF);
  const auto put = [&](int x, int y, std::uint32_t color) {
    if (x >= 0 && y >= 0 && x < width && y < height)
      pixels[static_cast<std::size_t>(y) * width + x] = color;
  };
  for (int y = 40; y < height - 40; y += 40) {
    for (int x = 60; x < width - 20; x += 2) put(x, y, 0xC0C0C0);
  }
  for (int x = 60; x < width - 20; ++x) put(x, height - 40, 0);
  for (int y = 20; y < height - 40; ++y) put(60, y, 0);
  for (int series = 0; series < 20; ++series) {
    const std::uint32_t color = (static_cast<std::uint32_t>(series * 53 % 256) << 16) |
                                (static_cast<std::uint32_t>(series * 97 % 256) << 8) |
                                static_cast<std::uint32_t>(series * 151 % 256);
    for (int x = 61; x < width - 20; ++x) {
      const int y = 30 + series * (height - 80) / 20 +
                    static_cast<int>((x / 7) % 2 == 0 ? x % 7 : 7 - x % 7) * 3;
      put(x, y, color);
      put(x, y + 1, color);
    }
  }
  return pixels;
}

// A packed 32-bit block of the chart-like picture.
HGLOBAL ChartBlock(int width, int height) {
  const std::vector<std::uint32_t> pixels = ChartPixels(width, height);
  const std::size_t rowBytes = static_cast<std::size_t>(width) * 4;
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, 40 + rowBytes * height);
  auto *bytes = static_cast<std::uint8_t *>(GlobalLock(block));
  const BITMAPINFOHEADER header{40, width, height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  std::memcpy(bytes, &header, sizeof header);
  for (int y = 0; y < height; ++y) {
    std::memcpy(bytes + 40 + rowBytes * (height - 1 - y),
                pixels.data() + static_cast<std::size_t>(y) * width, rowBytes);
  }
  GlobalUnlock(block);
  return block;
}

class NullSink final : public PacketSink {
 public:
  void Write(const std::uint8_t *, std::size_t count) override { written += count; }
  std::size_t written = 0;
};

void LzwEncode(benchmark::State &state) {
  const std::vector<std::uint32_t> pixels = ChartPixels(LARGE.width, LARGE.height);
  std::vector<std::uint8_t> indices(pixels.size());
  for (std::size_t i = 0; i < pixels.size(); ++i)
    indices[i] = static_cast<std::uint8_t>(pixels[i] % 251);
  LzwEncoder encoder;
  NullSink sink;
  for (auto _ : state) encoder.Encode(indices.data(), indices.size(), sink);
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * indices.size()));
}
BENCHMARK(LzwEncode)->Unit(benchmark::kMillisecond);

void OctreePalette(benchmark::State &state) {
  HGLOBAL block = ChartBlock(LARGE.width, LARGE.height);
  for (auto _ : state) {
    HPALETTE palette = BuildOctreePalette(block, 256, 8);
    DeleteObject(palette);
  }
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()) * LARGE.width *
                          LARGE.height);
  GlobalFree(block);
}
BENCHMARK(OctreePalette)->Unit(benchmark::kMillisecond);

void ConvertTo8Bits(benchmark::State &state) {
  HGLOBAL block = ChartBlock(LARGE.width, LARGE.height);
  HPALETTE palette = BuildOctreePalette(block, 256, 8);
  for (auto _ : state) GlobalFree(ConvertPackedDib(block, 8, palette));
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()) * LARGE.width *
                          LARGE.height);
  DeleteObject(palette);
  GlobalFree(block);
}
BENCHMARK(ConvertTo8Bits)->Unit(benchmark::kMillisecond);

}  // namespace
