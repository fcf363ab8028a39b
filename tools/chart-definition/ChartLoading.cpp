#include "ChartLoading.h"

#include <vector>

namespace trendel::cli {

std::int32_t SetChartValues(HWND window, const ChartDefinition &definition) {
  std::vector<const char *> seriesNames, categoryNames;
  for (const auto &name : definition.seriesNames) seriesNames.push_back(name.c_str());
  for (const auto &name : definition.categoryNames) categoryNames.push_back(name.c_str());
  const std::size_t columns = definition.categoryNames.size();
  std::vector<double> matrix;
  for (const auto &row : definition.values) matrix.insert(matrix.end(), row.begin(), row.end());
  return Trendel_SetValues(
      window, definition.kind.c_str(), definition.title.c_str(), definition.labelAngle,
      definition.categoryAxisTitle.c_str(), definition.valueAxisTitle.c_str(),
      definition.legendTitle.c_str(), seriesNames.data(), static_cast<std::int32_t>(seriesNames.size()),
      definition.seriesColors.data(), static_cast<std::int32_t>(definition.seriesColors.size()),
      definition.sortCategories ? 1 : 0, definition.rangeMin, definition.rangeMax,
      definition.showGrid ? 1 : 0, definition.scaleMode.c_str(), definition.step,
      definition.stepCount, definition.pointMarkers ? 1 : 0, categoryNames.data(),
      static_cast<std::int32_t>(categoryNames.size()), matrix.data(),
      static_cast<std::int32_t>(definition.values.size()), static_cast<std::int32_t>(columns));
}

std::string RefusalMessage(std::int32_t code) {
  return "the library refused the definition (code " + std::to_string(code) + ")";
}

}  // namespace trendel::cli
