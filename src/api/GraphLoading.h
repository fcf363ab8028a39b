// Turning a host's graph definition into the window's CGraph.
#pragma once

#include "GraphBinding.h"

#include <cstdint>
#include <string>
#include <vector>

namespace trendel {

// The arguments of Trendel_SetValues, as the host passed them.
struct GraphDefinition {
  const char *kind = nullptr;
  const char *title = nullptr;
  std::int32_t labelAngle = 0;
  const char *categoryAxisTitle = nullptr;
  const char *valueAxisTitle = nullptr;
  const char *legendTitle = nullptr;
  const char *const *seriesNames = nullptr;
  std::int32_t seriesNameCount = 0;
  const std::uint32_t *seriesColors = nullptr;
  std::int32_t seriesColorCount = 0;
  std::int32_t sortCategories = 0;
  double rangeMin = 0.0;
  double rangeMax = 0.0;
  std::int32_t showGrid = 0;
  const char *scaleMode = nullptr;
  double step = 0.0;
  std::int32_t stepCount = 0;
  std::int32_t pointMarkers = 0;
  const char *const *categoryNames = nullptr;
  std::int32_t categoryNameCount = 0;
  const double *values = nullptr;
  std::int32_t rowCount = 0;
  std::int32_t columnCount = 0;
};

// Replaces the binding's graph with one built from the definition and returns
// the export's result code. Throws std::bad_alloc when memory runs out, and
// then leaves the binding as it was.
std::int32_t LoadGraph(GraphBinding &binding, const GraphDefinition &definition);

// The display order of the categories: host order, or sorted by label in the
// process code page with equal labels keeping their host order.
std::vector<std::int32_t> CategoryOrder(const std::vector<std::string> &labels, bool sortByLabel);

// The colour of series j: a host colour, then the default colours from entry
// 0 for as many series as there are names, then black.
std::uint32_t SeriesColor(std::int64_t series, const std::uint32_t *hostColors,
                          std::int32_t hostColorCount, std::int32_t seriesNameCount);

}  // namespace trendel
