// The layout of a pass: margins, the legend's share of the width, the hit
// area, the fitting of title fonts, and the pixel conversion.
#include "render/Axes.h"
#include "render/Draw.h"
#include "render/Layout.h"
#include "render/Legend.h"
#include "render/Pixel.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace trendel {
namespace {

constexpr std::int32_t INT32_LOWEST = std::numeric_limits<std::int32_t>::min();
constexpr std::int32_t INT32_HIGHEST = std::numeric_limits<std::int32_t>::max();

TEST(Layout, SixHundredByFourHundred) {
  CGraph graph(LINE_GRAPH_KIND);
  LayOutMargins(graph, 600, 400);
  LayOutHitArea(graph);
  EXPECT_EQ(graph.availWidth, 595.0);
  EXPECT_EQ(graph.availHeight, 380.0);
  EXPECT_EQ(graph.leftX, 110.0);  // "100.000000" is 10 characters: 6 x 10 + 50
  EXPECT_EQ(graph.bottomY, 330);
  EXPECT_EQ(graph.plotHeight, 290.0);
  EXPECT_EQ(graph.plotWidth, 480.0);
  EXPECT_EQ(graph.plotLeft, 110);
  EXPECT_EQ(graph.plotRight, 590);
  EXPECT_EQ(graph.plotTop, 40);
  EXPECT_EQ(graph.trackHeight, 287);

  graph.SetScale(-20, -5, 1);  // "-5.000000", nine characters
  graph.SetLabelAngle(45);     // with an empty category axis title
  LayOutMargins(graph, 600, 400);
  EXPECT_EQ(graph.leftX, 104.0);
  EXPECT_EQ(graph.bottomY, 380 - 15);
  graph.SetCategoryAxisTitle("Month");
  LayOutMargins(graph, 600, 400);
  EXPECT_EQ(graph.bottomY, 380 - 5 - 6 * 5 - 10);
}

TEST(Layout, LegendNarrowsThePlot) {
  CGraph graph(LINE_GRAPH_KIND);
  graph.SetLegendFontSize(15);
  graph.AddSeriesName(0, "Northern");  // 8 characters
  graph.AddSeriesName(1, "South");
  graph.seriesCount = 2;
  LayOutMargins(graph, 600, 400);
  const LegendBox box = PlaceLegend(graph);
  EXPECT_EQ(box.right - box.left, 91.0);
  EXPECT_EQ(ToPixel(box.left), 499);
  EXPECT_EQ(box.right, 590.0);
  EXPECT_EQ(box.top, 159.0);
  EXPECT_EQ(box.bottom, 221.0);
  FitPlotBesideLegend(graph, 480);
  LayOutHitArea(graph);
  EXPECT_EQ(graph.plotWidth, 480 - 10 - 110.0);
  EXPECT_EQ(graph.plotRight, 470);
  // The box follows seriesCount, not the names, and may reach above the image.
  graph.seriesCount = 30;
  EXPECT_EQ(PlaceLegend(graph).bottom - PlaceLegend(graph).top, 30 * 18 + 26.0);
  EXPECT_LT(PlaceLegend(graph).top, 0.0);
}

TEST(TitleHeight, StepsDownUntilTheEstimateFits) {
  // 20 x 12 = 240 > 200, then 22 and 20 (20 x 20 x 0.5 = 200 fits).
  EXPECT_EQ(TitleFontHeight(20, 200.0), 20);
  EXPECT_EQ(TitleFontHeight(16, 192.0), 24);
  // Axis titles start at 16, and the title along the longer side decides:
  // 20 x 8 = 160 > 150, then 14 fits (140).
  CGraph graph(LINE_GRAPH_KIND);
  graph.SetValueAxisTitle(std::string(20, 'v'));
  graph.SetCategoryAxisTitle(std::string(60, 'c'));
  graph.availWidth = 400;
  graph.availHeight = 150;
  EXPECT_EQ(AxisTitleHeight(graph), 14);
  graph.availWidth = 150;
  EXPECT_EQ(AxisTitleHeight(graph), 4);
}

TEST(TitleHeight, EmptyTitleInNegativeRoomEnds) {
  EXPECT_EQ(TitleFontHeight(0, -5.0), 24);
  EXPECT_EQ(FitTitleHeight(16, 0, -20.0), 16);
  // A non-empty title in negative room ends at a negative height.
  EXPECT_EQ(TitleFontHeight(1, -5.0), -10);
}

TEST(Layout, TinyAndHugeTargetsStayInRange) {
  CGraph graph(LINE_GRAPH_KIND);
  LayOutMargins(graph, 1, 1);
  LayOutHitArea(graph);
  EXPECT_EQ(graph.bottomY, -69);
  EXPECT_EQ(graph.plotTop, 40);
  EXPECT_EQ(graph.trackHeight, -69 - 40 - 3);
  LayOutMargins(graph, 20000, 20000);
  LayOutHitArea(graph);
  EXPECT_EQ(graph.plotRight, 20000 - 10);
  EXPECT_EQ(graph.bottomY, 20000 - 70);
  // A category axis title as long as a book hangs the axis far above the
  // image; the conversion clamps instead of overflowing.
  graph.SetLabelAngle(90);
  graph.categoryTitleLength = 1e12;
  LayOutMargins(graph, 600, 400);
  LayOutHitArea(graph);
  EXPECT_EQ(graph.bottomY, INT32_LOWEST);
  EXPECT_EQ(graph.plotTop, 40);
}

TEST(Pixel, TruncatesTowardZeroAndClamps) {
  EXPECT_EQ(ToPixel(327.2), 327);
  EXPECT_EQ(ToPixel(-1.9), -1);
  EXPECT_EQ(ToPixel(2147483647.9), INT32_HIGHEST);
  EXPECT_EQ(ToPixel(-2147483648.9), INT32_LOWEST);
  EXPECT_EQ(ToPixel(std::numeric_limits<double>::infinity()), INT32_HIGHEST);
  EXPECT_EQ(ToPixel(-1e300), INT32_LOWEST);
  EXPECT_EQ(ToPixel(std::nan("")), 0);
}

}  // namespace
}  // namespace trendel
