// Where the series points go: the value scale, the lift of values just
// above the bottom, the cap above the image, the category positions, and
// the scales that have no finite height per value unit.
#include "render/Layout.h"
#include "render/LineSeries.h"
#include "platform/portable/Accounting.h"
#include "platform/Canvas.h"

#include <gtest/gtest.h>

#include <limits>

namespace trendel {
namespace {

// The 600 x 400 layout without a legend: bottomY 330, plotHeight 290.
TEST(PointY, ValuesOnTheDefaultScale) {
  CGraph graph(LINE_GRAPH_KIND);
  LayOutMargins(graph, 600, 400);
  EXPECT_EQ(PointY(graph, 50), 190.0);   // 2.8 pixels per unit
  EXPECT_EQ(PointY(graph, 100), 50.0);   // 10 pixels below the top of the plot
  EXPECT_EQ(PointY(graph, 0), 330.0);    // on the category axis
  // 0.2 would lie 0.56 pixels up; it is lifted by one unit, 2.8 pixels.
  EXPECT_DOUBLE_EQ(PointY(graph, 0.2), 327.2);
  EXPECT_EQ(PointY(graph, -10), 358.0);  // below the axis, nothing clips it
  // 1000 would be 2800 pixels up: drawn 5 pixels above the top of the scale.
  EXPECT_EQ(PointY(graph, 1000), 45.0);
}

TEST(PointY, ScalesWithoutAFiniteHeightPerUnit) {
  CGraph graph(LINE_GRAPH_KIND);
  graph.SetScale(42, 42, 0);  // empty: its values lie on the axis
  LayOutMargins(graph, 600, 400);
  EXPECT_EQ(PointY(graph, 42), 330.0);
  // Wider than the largest double: measured in halves.
  const double largest = std::numeric_limits<double>::max();
  graph.SetScale(-largest * 0.75, largest * 0.75, 1);
  EXPECT_DOUBLE_EQ(PointY(graph, -largest * 0.75), 330.0);
  EXPECT_DOUBLE_EQ(PointY(graph, 0), 330 - 140.0);
  EXPECT_DOUBLE_EQ(PointY(graph, largest * 0.75), 50.0);
}

TEST(LineSeries, CategoryPositionsComeFromTheFirstSeriesOnly) {
  CGraph graph(LINE_GRAPH_KIND);
  for (const double first : {10.0, MISSING_VALUE, 30.0}) {
    auto category = std::make_unique<CGraphCategory>();
    category->AddValue(0, first);
    category->AddValue(1, 20);
    graph.AddCategory(std::move(category));
  }
  graph.leftX = 110;
  graph.plotWidth = 300;
  graph.plotHeight = 290;
  graph.bottomY = 330;
  testing::Canvas canvas(20, 20);
  const int baseline = portable::CountLiveObjects().gdiObjects;
  DrawLineSeries(graph, canvas.dc());
  EXPECT_EQ(graph.xPositions, (std::vector<std::int32_t>{160, 260, 360, 410}));
  DrawLineSeries(graph, canvas.dc());  // a new pass starts afresh
  EXPECT_EQ(graph.xPositions.size(), 4u);
  graph.seriesCount = 0;
  DrawLineSeries(graph, canvas.dc());
  EXPECT_TRUE(graph.xPositions.empty());
  EXPECT_EQ(portable::CountLiveObjects().gdiObjects, baseline);
}

}  // namespace
}  // namespace trendel
