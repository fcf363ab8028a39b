// Instructions of one drawing pass, counted by callgrind: repeatable where
// timings on a shared machine are not. Loads bench_draw's charts into a
// headless window, draws (and moves) twice uncounted (fonts, caches, storage),
// then counts RUNS draws, or RUNS mouse moves that each redraw with the
// tracking line, between callgrind's collection toggles. Run it through
// bench/draw-instructions.sh, which divides the count by RUNS.
//   draw_instructions WIDTH HEIGHT SERIES CATEGORIES [mouse]
#include "trendel.h"

#include <valgrind/callgrind.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

namespace {

constexpr int RUNS = 4;

// bench_draw's smooth, overlapping waves.
std::vector<double> WaveValues(int seriesCount, int categoryCount) {
  std::vector<double> values;
  for (int series = 0; series < seriesCount; ++series) {
    for (int category = 0; category < categoryCount; ++category) {
      values.push_back(50 + 40 * std::sin(category * 0.05 + series));
    }
  }
  return values;
}

std::vector<std::string> Names(const char *prefix, int count) {
  std::vector<std::string> names;
  for (int index = 1; index <= count; ++index) names.push_back(prefix + std::to_string(index));
  return names;
}

std::vector<const char *> Pointers(const std::vector<std::string> &texts) {
  std::vector<const char *> pointers;
  for (const std::string &text : texts) pointers.push_back(text.c_str());
  return pointers;
}

}  // namespace

int main(int argc, char **argv) {
  if (argc < 5) {
    std::fprintf(stderr, "usage: draw_instructions WIDTH HEIGHT SERIES CATEGORIES [mouse]\n");
    return 2;
  }
  const int width = std::atoi(argv[1]), height = std::atoi(argv[2]);
  const int seriesCount = std::atoi(argv[3]), categoryCount = std::atoi(argv[4]);
  const bool mouse = argc > 5 && std::string_view(argv[5]) == "mouse";
  const std::vector<double> values = WaveValues(seriesCount, categoryCount);
  const std::vector<std::string> seriesNames = Names("Series ", seriesCount);
  const std::vector<std::string> categoryNames = Names("Day ", categoryCount);
  const std::vector<const char *> series = Pointers(seriesNames);
  const std::vector<const char *> categories = Pointers(categoryNames);

  HWND window = TrendelHost_CreateWindow(width, height);
  if (window == nullptr ||
      Trendel_SetValues(window, "LINE_GRAPH", "Benchmark", 0, "Day", "Value", "Series",
                        series.data(), seriesCount, nullptr, 0, 0, 0.0, 0.0, 1, "", 0.0, 0, 1,
                        categories.data(), categoryCount, values.data(), seriesCount,
                        categoryCount) != TRENDEL_OK) {
    std::fprintf(stderr, "draw_instructions: the graph could not be loaded\n");
    return 1;
  }
  // As bench_draw's MouseMove: to and fro over the plot, a few categories a
  // step, so that every move snaps to another category and redraws.
  int step = 0;
  const auto move = [&] {
    Trendel_MouseMove(window, 0, width / 4 + (step++ % 64) * (width / 128), height / 2);
  };
  for (int warmUp = 0; warmUp < 2; ++warmUp) {
    Trendel_DrawGraph(window);
    if (mouse) move();
  }
  CALLGRIND_TOGGLE_COLLECT;
  for (int run = 0; run < RUNS; ++run) mouse ? move() : (void)Trendel_DrawGraph(window);
  CALLGRIND_TOGGLE_COLLECT;
  std::printf("runs %d\n", RUNS);
  Trendel_Destroy(window);
  TrendelHost_DestroyWindow(window);
  return 0;
}
