// Graph loading, in the order of its checks: kind, series names, category
// names, matrix size. A failure after the kind check still replaces the
// window's graph with an empty one carrying the new texts.
#include "GraphLoading.h"

#include "model/DefaultSeriesColors.h"
#include "model/PointMarkers.h"
#include "platform/CodePage.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <numeric>

namespace trendel {
namespace {

constexpr std::int32_t LOADED = 0;
constexpr std::int32_t WRONG_KIND = -2;
constexpr std::int32_t NO_SERIES_NAMES = -3;
constexpr std::int32_t NO_CATEGORIES = -4;
constexpr std::int32_t EMPTY_MATRIX = -5;
constexpr std::int32_t DEFAULT_STEP_COUNT = 10;

std::string Text(const char *text) { return text != nullptr ? text : ""; }

bool Equals(const char *text, const char *keyword) {
  return text != nullptr && std::strcmp(text, keyword) == 0;
}

// A null array counts as an empty one.
std::int32_t CountOf(const void *array, std::int32_t count) { return array != nullptr ? count : 0; }

std::vector<std::string> Texts(const char *const *array, std::int32_t count) {
  std::vector<std::string> texts;
  texts.reserve(static_cast<std::size_t>(std::max(count, 0)));
  for (std::int32_t i = 0; i < count; ++i) texts.push_back(Text(array[i]));
  return texts;
}

// The host's matrix, read row by row; anything outside it is missing, and so
// is a value that is not a finite number.
class ValueMatrix {
 public:
  ValueMatrix(const double *values, std::int32_t rowCount, std::int32_t columnCount)
      : values_(values), rowCount_(rowCount), columnCount_(columnCount) {}

  double At(std::int64_t row, std::int64_t column) const {
    if (row < 0 || row >= rowCount_ || column < 0 || column >= columnCount_) return MISSING_VALUE;
    const double value = values_[row * columnCount_ + column];
    return std::isfinite(value) ? value : MISSING_VALUE;
  }

 private:
  const double *values_;
  std::int64_t rowCount_;
  std::int64_t columnCount_;
};

// The value range: it starts at the host's bounds and widens to every value
// present. A bound that is not a finite number is left out; with nothing at
// all to go by the range is 0 to 0.
class ValueRange {
 public:
  ValueRange(double rangeMin, double rangeMax)
      : low_(rangeMin), high_(rangeMax), hasLow_(std::isfinite(rangeMin)),
        hasHigh_(std::isfinite(rangeMax)) {}

  void Include(double value) {
    if (!hasLow_ || value < low_) low_ = value;
    if (!hasHigh_ || value > high_) high_ = value;
    hasLow_ = hasHigh_ = true;
  }

  double Low() const { return hasLow_ ? low_ : hasHigh_ ? high_ : 0.0; }
  double High() const { return hasHigh_ ? high_ : hasLow_ ? low_ : 0.0; }

 private:
  double low_;
  double high_;
  bool hasLow_;
  bool hasHigh_;
};

}  // namespace

std::vector<std::int32_t> CategoryOrder(const std::vector<std::string> &labels, bool sortByLabel) {
  std::vector<std::int32_t> order(labels.size());
  std::iota(order.begin(), order.end(), 0);
  if (sortByLabel) {
    // A stable sort gives exactly the order of a pass-by-pass exchange sort
    // that swaps only strictly greater neighbours, in O(m log m).
    std::stable_sort(order.begin(), order.end(), [&labels](std::int32_t a, std::int32_t b) {
      return CompareCodePageText(labels[static_cast<std::size_t>(a)].c_str(),
                                 labels[static_cast<std::size_t>(b)].c_str()) < 0;
    });
  }
  return order;
}

std::uint32_t SeriesColor(std::int64_t series, const std::uint32_t *hostColors,
                          std::int32_t hostColorCount, std::int32_t seriesNameCount) {
  const std::int64_t hostCount = hostColors != nullptr ? std::max(hostColorCount, 0) : 0;
  if (series < hostCount) return hostColors[series];
  if (series < hostCount + seriesNameCount) return DefaultSeriesColor(series - hostCount);
  return 0;
}

std::int32_t LoadGraph(GraphBinding &binding, const GraphDefinition &definition) {
  if (!Equals(definition.kind, "LINE_GRAPH")) return WRONG_KIND;

  // The new graph is built aside and installed once the outcome is known, so
  // that running out of memory leaves the window's previous graph in place.
  auto graph = std::make_unique<CGraph>(LINE_GRAPH_KIND);
  graph->SetLegendFontSize(15);
  graph->SetTitle(Text(definition.title));
  graph->SetLabelAngle(definition.labelAngle % 360);
  graph->SetCategoryAxisTitle(Text(definition.categoryAxisTitle));
  graph->SetValueAxisTitle(Text(definition.valueAxisTitle));
  graph->SetLegendTitle(Text(definition.legendTitle));

  const std::int32_t seriesNameCount = CountOf(definition.seriesNames, definition.seriesNameCount);
  const std::int32_t categoryCount = CountOf(definition.categoryNames, definition.categoryNameCount);
  const bool matrixEmpty =
      definition.values == nullptr || definition.rowCount < 1 || definition.columnCount < 1;
  const std::int32_t failure = seriesNameCount < 1 ? NO_SERIES_NAMES
                               : categoryCount < 1 ? NO_CATEGORIES
                               : matrixEmpty       ? EMPTY_MATRIX
                                                   : LOADED;
  if (failure != LOADED) {
    binding.graph = std::move(graph);
    return failure;
  }

  std::vector<std::string> seriesNames = Texts(definition.seriesNames, seriesNameCount);
  const std::vector<std::string> labels = Texts(definition.categoryNames, categoryCount);
  const std::vector<std::int32_t> order = CategoryOrder(labels, definition.sortCategories != 0);
  // Rows without a name get an empty one; names without a row get no values.
  if (seriesNames.size() < static_cast<std::size_t>(definition.rowCount)) {
    seriesNames.resize(static_cast<std::size_t>(definition.rowCount));
  }
  const auto seriesCount = static_cast<std::int32_t>(seriesNames.size());
  const ValueMatrix matrix(definition.values, definition.rowCount, definition.columnCount);

  ValueRange range(definition.rangeMin, definition.rangeMax);
  for (const std::int32_t hostCategory : order) {
    auto category = std::make_unique<CGraphCategory>();
    category->SetName(labels[static_cast<std::size_t>(hostCategory)]);
    for (std::int32_t series = 0; series < seriesCount; ++series) {
      const double value = matrix.At(series, hostCategory);
      category->AddValue(series, value);
      if (value != MISSING_VALUE) range.Include(value);
    }
    graph->AddCategory(std::move(category));
  }
  for (std::int32_t series = 0; series < seriesCount; ++series) {
    graph->AddSeriesName(series, std::move(seriesNames[static_cast<std::size_t>(series)]));
    graph->AddSeriesColor(series, SeriesColor(series, definition.seriesColors,
                                              definition.seriesColorCount, seriesNameCount));
  }

  const double low = range.Low();
  const double high = range.High();
  const std::int32_t stepCount =
      definition.stepCount < 1 ? DEFAULT_STEP_COUNT : definition.stepCount;
  const double step =
      Equals(definition.scaleMode, "BY_STEP") ? definition.step : (high - low) / stepCount;
  graph->SetScale(low, high, step);
  graph->SetShowGrid(definition.showGrid != 0);
  SetPointMarkers(definition.pointMarkers != 0 ? 1 : 0);

  binding.graph = std::move(graph);
  binding.graphLoaded = true;
  return LOADED;
}

}  // namespace trendel
