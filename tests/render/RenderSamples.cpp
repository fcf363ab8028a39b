// Renders one sample chart per drawing feature into PPM files, for a person
// to look at (render-samples.sh turns them into the PNG files of samples/).
// Usage: render_samples OUTPUT_DIRECTORY
#include "trendel.h"

#include "support/Ppm.h"
#include "support/TestGraphs.h"

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

namespace {

using trendel::testing::GraphArguments;

// Four series over twelve months, scale 0 to 100.
GraphArguments MonthlyChart() {
  GraphArguments chart;
  chart.title = "Monthly sales by region";
  chart.categoryAxisTitle = "Month";
  chart.valueAxisTitle = "Units sold";
  chart.legendTitle = "Region";
  chart.seriesNames = {"North", "South", "East", "West"};
  chart.categoryNames = {"January", "February", "March",     "April",   "May",      "June",
                         "July",    "August",   "September", "October", "November", "December"};
  chart.rowCount = 4;
  chart.columnCount = 12;
  chart.values.clear();
  for (int series = 0; series < 4; ++series) {
    for (int month = 0; month < 12; ++month) {
      chart.values.push_back(std::round(50 + 35 * std::sin(month * 0.5 + series * 1.3)));
    }
  }
  chart.rangeMin = 0;
  chart.rangeMax = 100;
  chart.pointMarkers = 0;
  return chart;
}

struct Sample {
  std::string name;
  GraphArguments chart;
};

std::vector<Sample> Samples() {
  std::vector<Sample> samples;
  GraphArguments chart = MonthlyChart();
  chart.showGrid = 1;
  samples.push_back({"grid", chart});

  chart = MonthlyChart();
  chart.pointMarkers = 1;
  samples.push_back({"markers", chart});

  for (const auto &[angle, name] : std::vector<std::pair<int, std::string>>{
           {45, "labels-45"}, {90, "labels-90"}, {270, "labels-270"}, {-30, "labels-minus-30"}}) {
    chart = MonthlyChart();
    chart.labelAngle = angle;
    chart.categoryAxisTitle = "Month of the year";
    samples.push_back({name, chart});
  }

  chart = MonthlyChart();
  chart.legendTitle = "Sales regions";
  chart.seriesNames = {"North and mountains", "South coast", "East", "West and islands"};
  chart.seriesColors = {0x00804000, 0x000080FF};  // the first two from the host, 0x00BBGGRR
  samples.push_back({"legend", chart});

  chart = MonthlyChart();
  chart.pointMarkers = 1;
  for (const int missing : {2, 3, 7, 13, 20, 30, 31, 45}) chart.values[missing] = TRENDEL_MISSING_VALUE;
  samples.push_back({"missing-values", chart});

  chart = MonthlyChart();
  chart.seriesNames = {"Daily visitors", "Returning visitors"};
  chart.rowCount = 2;
  chart.columnCount = 120;
  chart.categoryNames.clear();
  chart.values.clear();
  for (int day = 0; day < 120; ++day) chart.categoryNames.push_back("Day " + std::to_string(day + 1));
  for (int series = 0; series < 2; ++series) {
    for (int day = 0; day < 120; ++day) {
      chart.values.push_back(std::round(45 + 30 * std::sin(day * 0.11 + series) + (day * 7 % 13)));
    }
  }
  chart.title = "Visitors over 120 days";
  chart.categoryAxisTitle = "Day";
  chart.showGrid = 1;
  samples.push_back({"many-categories", chart});
  return samples;
}

bool Render(const Sample &sample, const std::string &directory) {
  constexpr int WIDTH = 640;
  constexpr int HEIGHT = 420;
  HWND window = TrendelHost_CreateWindow(WIDTH, HEIGHT);
  if (window == nullptr) return false;
  trendel::testing::Image image;
  image.width = WIDTH;
  image.height = HEIGHT;
  image.pixels.resize(static_cast<std::size_t>(WIDTH) * HEIGHT);
  const bool drawn = sample.chart.Load(window) == TRENDEL_OK &&
                     Trendel_DrawGraph(window) == TRENDEL_OK &&
                     TrendelHost_ReadPixels(window, image.pixels.data(), WIDTH, HEIGHT) == 0;
  Trendel_Destroy(window);
  TrendelHost_DestroyWindow(window);
  return drawn && trendel::testing::WritePpm(directory + "/" + sample.name + ".ppm", image);
}

}  // namespace

int main(int argumentCount, char **arguments) {
  if (argumentCount != 2) {
    std::fprintf(stderr, "usage: render_samples OUTPUT_DIRECTORY\n");
    return 2;
  }
  int failures = 0;
  for (const Sample &sample : Samples()) {
    if (!Render(sample, arguments[1])) {
      std::fprintf(stderr, "render_samples: %s failed\n", sample.name.c_str());
      ++failures;
    }
  }
  return failures == 0 ? 0 : 1;
}
