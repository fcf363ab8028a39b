// One drawing pass through Trendel_DrawGraph on headless windows: a typical
// window (600 x 400, 5 series of 100 categories), a large one (1920 x 1080,
// 20 series of 2,000 categories) and an extra-large one (1920 x 1080, 10
// series of 15,000 categories: 150,000 points), with grid, markers and
// legend; and a mouse move over the large one, which redraws it with the
// tracking line and the value box.
#include "trendel.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

namespace {

struct Chart {
  std::vector<std::string> seriesNames;
  std::vector<std::string> categoryNames;
  std::vector<double> values;
};

// Smooth, overlapping waves, so that segments run in every direction.
Chart MakeChart(int seriesCount, int categoryCount) {
  Chart chart;
  for (int series = 0; series < seriesCount; ++series) {
    chart.seriesNames.push_back("Series " + std::to_string(series + 1));
    for (int category = 0; category < categoryCount; ++category) {
      chart.values.push_back(50 + 40 * std::sin(category * 0.05 + series));
    }
  }
  for (int category = 0; category < categoryCount; ++category) {
    chart.categoryNames.push_back("Day " + std::to_string(category + 1));
  }
  return chart;
}

std::vector<const char *> Pointers(const std::vector<std::string> &texts) {
  std::vector<const char *> pointers;
  for (const std::string &text : texts) pointers.push_back(text.c_str());
  return pointers;
}

// A window of the benchmark's size holding its chart, or null.
HWND LoadedWindow(const benchmark::State &state) {
  const auto width = static_cast<std::int32_t>(state.range(0));
  const auto height = static_cast<std::int32_t>(state.range(1));
  const auto seriesCount = static_cast<std::int32_t>(state.range(2));
  const auto categoryCount = static_cast<std::int32_t>(state.range(3));
  const Chart chart = MakeChart(seriesCount, categoryCount);
  const std::vector<const char *> series = Pointers(chart.seriesNames);
  const std::vector<const char *> categories = Pointers(chart.categoryNames);

  HWND window = TrendelHost_CreateWindow(width, height);
  if (window != nullptr &&
      Trendel_SetValues(window, "LINE_GRAPH", "Benchmark", 0, "Day", "Value", "Series",
                        series.data(), seriesCount, nullptr, 0, 0, 0.0, 0.0, 1, "", 0.0, 0, 1,
                        categories.data(), categoryCount, chart.values.data(), seriesCount,
                        categoryCount) == TRENDEL_OK) {
    return window;
  }
  TrendelHost_DestroyWindow(window);
  return nullptr;
}

void DrawGraph(benchmark::State &state) {
  HWND window = LoadedWindow(state);
  if (window == nullptr) {
    state.SkipWithError("the graph could not be loaded");
    return;
  }
  for (auto _ : state) {
    benchmark::DoNotOptimize(Trendel_DrawGraph(window));
  }
  state.SetItemsProcessed(state.iterations() * state.range(2) * state.range(3));
  Trendel_Destroy(window);
  TrendelHost_DestroyWindow(window);
}

BENCHMARK(DrawGraph)
    ->Args({600, 400, 5, 100})
    ->Args({1920, 1080, 20, 2000})
    ->Args({1920, 1080, 10, 15000})
    ->Unit(benchmark::kMillisecond);

// The pointer moves to and fro over the plot, a few categories a step, so
// that every move snaps to another category and redraws the window.
void MouseMove(benchmark::State &state) {
  HWND window = LoadedWindow(state);
  if (window == nullptr) {
    state.SkipWithError("the graph could not be loaded");
    return;
  }
  const auto width = static_cast<std::int32_t>(state.range(0));
  const auto height = static_cast<std::int32_t>(state.range(1));
  Trendel_DrawGraph(window);
  std::int32_t step = 0;
  for (auto _ : state) {
    const std::int32_t x = width / 4 + (step++ % 64) * (width / 128);
    benchmark::DoNotOptimize(Trendel_MouseMove(window, 0, x, height / 2));
  }
  Trendel_MouseMove(window, 0, -1, -1);
  Trendel_Destroy(window);
  TrendelHost_DestroyWindow(window);
}

BENCHMARK(MouseMove)->Args({1920, 1080, 20, 2000})->Unit(benchmark::kMillisecond);

}  // namespace
