// The training run of the profile-guided build: the work the library is
// measured by, so that the counts describe it. Draws, mouse moves with the
// tracking line and the value box, and saves in every format, of the
// benchmarks' small, large and extra-large charts, plus small charts with
// gaps, rotated labels, their own colours, a stepped scale below zero and
// no grid. The pictures go to the folder given; any failure fails the run,
// and with it the build, rather than leave counts of an error path.
#include "trendel.h"

#include <sys/stat.h>

#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace {

struct ChartShape {
  const char *name;
  int width;
  int height;
  int seriesCount;
  int categoryCount;
  int pointMarkers;
  int gapEvery;  // every gapEvery-th value is missing; 0 for none
  int labelAngle = 0;
  bool ownColors = false;
  bool steppedBelowZero = false;  // values around 0, ticks 25 apart, no grid
};

constexpr ChartShape SHAPES[] = {
    {"small", 600, 400, 5, 100, 1, 0},
    {"gaps", 600, 400, 5, 100, 0, 7},
    {"labels", 800, 600, 3, 24, 1, 0, 45, true, true},
    {"large", 1920, 1080, 20, 2000, 1, 0},
    {"extra-large", 1920, 1080, 10, 15000, 1, 0},
};

constexpr std::uint32_t OWN_COLORS[] = {0x0000C0, 0x00A000, 0xC08000};

std::vector<const char *> Pointers(const std::vector<std::string> &texts) {
  std::vector<const char *> pointers;
  for (const std::string &text : texts) pointers.push_back(text.c_str());
  return pointers;
}

// Smooth, overlapping waves, as in the benchmarks.
bool Load(HWND window, const ChartShape &shape) {
  std::vector<std::string> seriesNames, categoryNames;
  std::vector<double> values;
  for (int series = 0; series < shape.seriesCount; ++series) {
    seriesNames.push_back("Series " + std::to_string(series + 1));
    for (int category = 0; category < shape.categoryCount; ++category) {
      const bool gap = shape.gapEvery > 0 && (category + series) % shape.gapEvery == 0;
      const double wave = 40 * std::sin(category * 0.05 + series);
      values.push_back(gap ? TRENDEL_MISSING_VALUE : (shape.steppedBelowZero ? 0 : 50) + wave);
    }
  }
  for (int category = 0; category < shape.categoryCount; ++category) {
    categoryNames.push_back("Day " + std::to_string(category + 1));
  }
  const std::vector<const char *> series = Pointers(seriesNames);
  const std::vector<const char *> categories = Pointers(categoryNames);
  const bool stepped = shape.steppedBelowZero;
  return Trendel_SetValues(
             window, "LINE_GRAPH", shape.name, shape.labelAngle, "Day", "Value", "Series",
             series.data(), shape.seriesCount, shape.ownColors ? OWN_COLORS : nullptr,
             shape.ownColors ? 3 : 0, 0, stepped ? -50.0 : 0.0, stepped ? 50.0 : 0.0,
             stepped ? 0 : 1, stepped ? "BY_STEP" : "", stepped ? 25.0 : 0.0, 0,
             shape.pointMarkers, categories.data(), shape.categoryCount, values.data(),
             shape.seriesCount, shape.categoryCount) == TRENDEL_OK;
}

bool Exercise(HWND window, const ChartShape &shape, const std::string &folder) {
  constexpr int DRAWS = 3;
  constexpr int MOUSE_STEPS = 8;
  bool good = true;
  for (int i = 0; i < DRAWS; ++i) good = good && Trendel_DrawGraph(window) == TRENDEL_OK;
  for (int step = 1; step <= MOUSE_STEPS; ++step) {
    Trendel_MouseMove(window, 0, shape.width * step / (MOUSE_STEPS + 1), shape.height / 2);
  }
  Trendel_MouseMove(window, 0, -1, -1);
  const std::string stem = folder + "/" + shape.name;
  for (const char *extension : {".bmp", ".gif", ".jpg"}) {
    good = good && Trendel_SaveFile(window, (stem + extension).c_str(), shape.width,
                                    shape.height) == TRENDEL_OK;
  }
  good = good && TrendelHost_SavePng(window, (stem + ".png").c_str(), shape.width,
                                     shape.height) == TRENDEL_OK;
  return good && Trendel_SaveFile(window, "", shape.width, shape.height) == TRENDEL_OK;
}

}  // namespace

int main(int argc, char **argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
    return 2;
  }
  const std::string folder = argv[1];
  if (mkdir(folder.c_str(), 0755) != 0 && errno != EEXIST) {
    std::perror(folder.c_str());
    return 1;
  }
  for (const ChartShape &shape : SHAPES) {
    HWND window = TrendelHost_CreateWindow(shape.width, shape.height);
    const bool good = window != nullptr && Load(window, shape) && Exercise(window, shape, folder);
    Trendel_Destroy(window);
    TrendelHost_DestroyWindow(window);
    if (!good) {
      std::fprintf(stderr, "training failed on the %s chart\n", shape.name);
      return 1;
    }
  }
  return 0;
}
