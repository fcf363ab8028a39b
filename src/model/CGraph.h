// One line graph: its texts, its categories with the values of every series,
// the series names and colours, the value scale, and the pixel layout that
// the last drawing pass produced.
//
// The data is kept by category: a category is one position along the
// horizontal axis and holds one value for every series. Series colours and
// names are looked up by list position, which equals the series index
// because the loader adds them in series order.
#pragma once

#include "CGraphCategory.h"
#include "CGraphSeries.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace trendel {

// The only graph kind there is.
constexpr std::int32_t LINE_GRAPH_KIND = 1;

class CGraph {
 public:
  explicit CGraph(std::int32_t kind);
  virtual ~CGraph();
  CGraph(const CGraph &) = delete;
  CGraph &operator=(const CGraph &) = delete;

  void SetTitle(std::string text) { title = std::move(text); }
  void SetLabelAngle(std::int32_t degrees) { labelAngle = degrees; }
  void SetCategoryAxisTitle(std::string text);
  void SetValueAxisTitle(std::string text) { valueAxisTitle = std::move(text); }
  void SetLegendTitle(std::string text) { legendTitle = std::move(text); }
  void SetLegendFontSize(std::int32_t size) { legendFontSize = size; }
  void SetShowGrid(bool on) { showGrid = on ? 1 : 0; }

  // Appends the category; seriesCount grows to its value count if that is larger.
  void AddCategory(std::unique_ptr<CGraphCategory> category);
  void AddSeriesName(std::int32_t seriesIndex, std::string name);
  void AddSeriesColor(std::int32_t seriesIndex, std::uint32_t color);

  // Colour of the record at that list position; 0 (black) past the end, and
  // the first record for a negative position.
  std::uint32_t GetSeriesColor(std::int32_t position) const;

  // Sets the value scale. tickCount = (max - min) / step, plus 1.0 when that
  // many steps fall short of the range in double arithmetic. A step or range
  // that gives no finite count (a step of 0, an infinite range) gives a
  // tickCount of 0.0: a single tick at the bottom of the scale.
  void SetScale(double min, double max, double step);

  // Layout of the last drawing pass. The integer hit area is what mouse
  // tracking tests the pointer against.
  std::int32_t plotLeft = 0;
  std::int32_t plotTop = 0;
  std::int32_t plotRight = 0;
  std::int32_t trackHeight = 0;

  std::int32_t graphKind;
  // Pixel x of every category's point in the last pass, then the plot's right end.
  std::vector<std::int32_t> xPositions;
  double valueStep = 10.0;
  std::vector<std::unique_ptr<CGraphCategory>> categoryList;
  double availHeight = 0.0;
  double availWidth = 0.0;
  std::vector<std::unique_ptr<CGraphSeriesColor>> seriesColors;
  std::string valueAxisTitle;
  std::string categoryAxisTitle;
  std::string legendTitle;
  std::int32_t bottomY = 0;
  double leftX = 0.0;
  double plotHeight = 0.0;
  double plotWidth = 0.0;
  std::int32_t valueFontSize = 12;
  std::int32_t categoryFontSize = 12;
  std::int32_t legendFontSize = 12;
  double tickCount = 10.0;
  double valueMin = 0.0;
  double valueMax = 100.0;
  // The largest value count of any category added so far.
  double seriesCount = 0.0;
  CGraphSeriesNames seriesNames;
  std::int32_t legendShown = 0;
  double legendWidth = 0.0;
  double labelAngle = 0.0;
  // Character count of categoryAxisTitle, kept in step with it.
  double categoryTitleLength = 0.0;
  std::string title;
  std::int32_t showGrid = 0;
};

}  // namespace trendel
