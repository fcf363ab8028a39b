// Graph definitions for tests that go through the exports.
#pragma once

#include "trendel.h"

#include <cstdint>
#include <string>
#include <vector>

namespace trendel::testing {

// Everything Trendel_SetValues takes, with a small valid graph as default:
// two series over three categories, no legend title, default scale.
struct GraphArguments {
  std::string kind = "LINE_GRAPH";
  std::string title = "Sales";
  std::int32_t labelAngle = 0;
  std::string categoryAxisTitle = "Month";
  std::string valueAxisTitle = "Units";
  std::string legendTitle;
  std::vector<std::string> seriesNames{"North", "South"};
  std::vector<std::uint32_t> seriesColors;
  std::int32_t sortCategories = 0;
  double rangeMin = 0.0;
  double rangeMax = 0.0;
  std::int32_t showGrid = 0;
  std::string scaleMode;
  double step = 0.0;
  std::int32_t stepCount = 0;
  std::int32_t pointMarkers = 1;
  std::vector<std::string> categoryNames{"Jan", "Feb", "Mar"};
  std::vector<double> values{10, 20, 30, 40, 50, 60};
  std::int32_t rowCount = 2;
  std::int32_t columnCount = 3;

  std::int32_t Load(HWND window) const;
};

}  // namespace trendel::testing
