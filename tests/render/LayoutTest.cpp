// The layout of a pass: margins, the legend's share of the width, the hit
// area, and the fitting of title fonts.
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

TEST(Layout, SixHundredByFourHundredWithoutLegend) {
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
}

TEST(Layout, LeftMarginFollowsTheTextOfValueMax) {
  CGraph graph(LINE_GRAPH_KIND);
  graph.SetScale(-20, -5, 1);  // "-5.000000", nine characters
  LayOutMargins(graph, 600, 400);
  EXPECT_EQ(graph.leftX, 104.0);
  graph.valueFontSize = 13;  // 13 / 2 is 6 in integers
  LayOutMargins(graph, 600, 400);
  EXPECT_EQ(graph.leftX, 104.0);
  graph.SetScale(0, 1e308, 1e307);  // 309 digits and six decimals
  LayOutMargins(graph, 600, 400);
  EXPECT_EQ(graph.leftX, 6.0 * 316 + 50);
}

TEST(Layout, RotatedLabelsDeepenTheBottomMarginByTheAxisTitle) {
  CGraph graph(LINE_GRAPH_KIND);
  graph.SetLabelAngle(45);
  LayOutMargins(graph, 600, 400);
  EXPECT_EQ(graph.bottomY, 380 - 15);  // empty category axis title
  graph.SetCategoryAxisTitle("Month");
  LayOutMargins(graph, 600, 400);
  EXPECT_EQ(graph.bottomY, 380 - 5 - 6 * 5 - 10);
  EXPECT_EQ(graph.plotHeight, graph.bottomY - 40.0);
}

TEST(Layout, LegendNarrowsThePlot) {
  CGraph graph(LINE_GRAPH_KIND);
  graph.SetLegendFontSize(15);
  graph.AddSeriesName(0, "Northern");  // 8 characters
  graph.AddSeriesName(1, "South");
  graph.seriesCount = 2;
  LayOutMargins(graph, 600, 400);
  const LegendBox box = PlaceLegend(graph);
  EXPECT_DOUBLE_EQ(box.right - box.left, 91.0);
  EXPECT_EQ(ToPixel(box.left), 499);
  EXPECT_EQ(box.right, 590.0);
  EXPECT_EQ(box.top, 159.0);
  EXPECT_EQ(box.bottom, 221.0);
  FitPlotBesideLegend(graph, 480);
  LayOutHitArea(graph);
  EXPECT_EQ(graph.plotWidth, 480 - 10 - 110.0);
  EXPECT_EQ(graph.plotRight, 470);
}

TEST(Layout, LegendBoxFollowsSeriesCountAndLongestName) {
  CGraph graph(LINE_GRAPH_KIND);
  graph.AddSeriesName(0, "");
  graph.seriesCount = 5;  // more series than names
  LayOutMargins(graph, 600, 400);
  const LegendBox box = PlaceLegend(graph);
  EXPECT_EQ(box.bottom - box.top, 5 * 18 + 26.0);
  EXPECT_EQ(box.right - box.left, 25.0);
  // A box taller than the image reaches above it; nothing moves it.
  graph.seriesCount = 30;
  EXPECT_LT(PlaceLegend(graph).top, 0.0);
}

TEST(TitleHeight, StepsDownUntilTheEstimateFits) {
  // 20 x 12 = 240 > 200, then 22 and 20 (20 x 20 x 0.5 = 200 fits).
  EXPECT_EQ(TitleFontHeight(20, 200.0), 20);
  EXPECT_EQ(TitleFontHeight(16, 192.0), 24);
  EXPECT_EQ(TitleFontHeight(16, 191.0), 22);
  // Axis titles start at 16: 20 x 8 = 160 > 150, then 14 fits (140).
  EXPECT_EQ(FitTitleHeight(16, 20, 150.0), 14);
}

TEST(TitleHeight, EmptyTitleInNegativeRoomEnds) {
  EXPECT_EQ(TitleFontHeight(0, -5.0), 24);
  EXPECT_EQ(FitTitleHeight(16, 0, -20.0), 16);
  // A non-empty title in negative room ends at a negative height.
  EXPECT_EQ(TitleFontHeight(1, -5.0), -10);
  EXPECT_EQ(FitTitleHeight(16, 3, -20.0), -14);
}

TEST(TitleHeight, AxisTitlesAreFittedByTheTitleAlongTheLongerSide) {
  CGraph graph(LINE_GRAPH_KIND);
  graph.SetValueAxisTitle(std::string(20, 'v'));
  graph.SetCategoryAxisTitle(std::string(60, 'c'));
  graph.availWidth = 400;
  graph.availHeight = 150;
  EXPECT_EQ(AxisTitleHeight(graph), 14);
  graph.availWidth = 150;  // not wider than high: the category title decides
  EXPECT_EQ(AxisTitleHeight(graph), 4);
}

TEST(HitArea, TinyAndHugeTargetsStayInRange) {
  CGraph graph(LINE_GRAPH_KIND);
  LayOutMargins(graph, 1, 1);
  LayOutHitArea(graph);
  EXPECT_EQ(graph.availWidth, -4.0);
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
  EXPECT_EQ(graph.bottomY, std::numeric_limits<std::int32_t>::min());
  EXPECT_EQ(graph.plotTop, 40);
}

TEST(Pixel, TruncatesTowardZeroAndClamps) {
  EXPECT_EQ(ToPixel(327.2), 327);
  EXPECT_EQ(ToPixel(-0.5), 0);
  EXPECT_EQ(ToPixel(-1.9), -1);
  EXPECT_EQ(ToPixel(1e300), std::numeric_limits<std::int32_t>::max());
  EXPECT_EQ(ToPixel(-1e300), std::numeric_limits<std::int32_t>::min());
  EXPECT_EQ(ToPixel(std::numeric_limits<double>::infinity()),
            std::numeric_limits<std::int32_t>::max());
  EXPECT_EQ(ToPixel(2147483647.9), std::numeric_limits<std::int32_t>::max());
  EXPECT_EQ(ToPixel(-2147483648.9), std::numeric_limits<std::int32_t>::min());
  EXPECT_EQ(ToPixel(std::nan("")), 0);
}

}  // namespace
}  // namespace trendel
