#include "support/DefinitionArguments.h"

namespace trendel::testing {

GraphArguments ArgumentsFromDefinition(const cli::ChartDefinition &definition) {
  GraphArguments arguments;
  arguments.kind = definition.kind;
  arguments.title = definition.title;
  arguments.labelAngle = definition.labelAngle;
  arguments.categoryAxisTitle = definition.categoryAxisTitle;
  arguments.valueAxisTitle = definition.valueAxisTitle;
  arguments.legendTitle = definition.legendTitle;
  arguments.seriesNames = definition.seriesNames;
  arguments.seriesColors = definition.seriesColors;
  arguments.sortCategories = definition.sortCategories ? 1 : 0;
  arguments.rangeMin = definition.rangeMin;
  arguments.rangeMax = definition.rangeMax;
  arguments.showGrid = definition.showGrid ? 1 : 0;
  arguments.scaleMode = definition.scaleMode;
  arguments.step = definition.step;
  arguments.stepCount = definition.stepCount;
  arguments.pointMarkers = definition.pointMarkers ? 1 : 0;
  arguments.categoryNames = definition.categoryNames;
  arguments.values.clear();
  for (const auto &row : definition.values) {
    arguments.values.insert(arguments.values.end(), row.begin(), row.end());
  }
  arguments.rowCount = static_cast<std::int32_t>(definition.values.size());
  arguments.columnCount = static_cast<std::int32_t>(definition.categoryNames.size());
  return arguments;
}

}  // namespace trendel::testing
