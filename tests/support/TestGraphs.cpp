#include "TestGraphs.h"

namespace trendel::testing {
namespace {

std::vector<const char *> Pointers(const std::vector<std::string> &texts) {
  std::vector<const char *> pointers;
  for (const std::string &text : texts) pointers.push_back(text.c_str());
  return pointers;
}

}  // namespace

std::int32_t GraphArguments::Load(HWND window) const {
  const std::vector<const char *> series = Pointers(seriesNames);
  const std::vector<const char *> categories = Pointers(categoryNames);
  return Trendel_SetValues(
      window, kind.c_str(), title.c_str(), labelAngle, categoryAxisTitle.c_str(),
      valueAxisTitle.c_str(), legendTitle.c_str(), series.data(),
      static_cast<std::int32_t>(series.size()), seriesColors.data(),
      static_cast<std::int32_t>(seriesColors.size()), sortCategories, rangeMin, rangeMax, showGrid,
      scaleMode.c_str(), step, stepCount, pointMarkers, categories.data(),
      static_cast<std::int32_t>(categories.size()), values.data(), rowCount, columnCount);
}

}  // namespace trendel::testing
