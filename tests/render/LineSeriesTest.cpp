// Where the series points go: the value scale, the lift of values just
// above the bottom, the cap above the image, the category positions, and
// the scales that have no finite height per value unit.
#include "render/Layout.h"
#include "render/LineSeries.h"
#include "model/PointMarkers.h"
#include "platform/portable/Accounting.h"
#include "platform/Canvas.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace trendel {
namespace {

// The 600 x 400 layout without a legend: bottomY 330, plotHeight 290.
CGraph &LaidOut(CGraph &graph) {
  LayOutMargins(graph, 600, 400);
  return graph;
}

void AddCategory(CGraph &graph, std::initializer_list<double> values) {
  auto category = std::make_unique<CGraphCategory>();
  std::int32_t series = 0;
  for (const double value : values) category->AddValue(series++, value);
  graph.AddCategory(std::move(category));
}

TEST(PointY, ValuesOnTheDefaultScale) {
  CGraph graph(LINE_GRAPH_KIND);
  LaidOut(graph);
  EXPECT_EQ(PointY(graph, 50), 190.0);   // 2.8 pixels per unit
  EXPECT_EQ(PointY(graph, 100), 50.0);   // 10 pixels below the top of the plot
  EXPECT_EQ(PointY(graph, 0), 330.0);    // on the category axis
  // 0.2 would lie 0.56 pixels up; it is lifted by one unit, 2.8 pixels.
  EXPECT_DOUBLE_EQ(PointY(graph, 0.2), 327.2);
  EXPECT_EQ(PointY(graph, -10), 358.0);  // below the axis, nothing clips it
}

TEST(PointY, ValuesAboveTheImageAreCappedAboveTheScale) {
  CGraph graph(LINE_GRAPH_KIND);
  LaidOut(graph);
  // 1000 would be 2800 pixels up: drawn 5 pixels above the top of the scale.
  EXPECT_EQ(PointY(graph, 1000), 330 - 280 - 5.0);
  EXPECT_EQ(PointY(graph, std::numeric_limits<double>::max()), 45.0);
}

TEST(PointY, EmptyRangeDrawsItsValuesOnTheAxis) {
  CGraph graph(LINE_GRAPH_KIND);
  graph.SetScale(42, 42, 0);
  LaidOut(graph);
  EXPECT_EQ(PointY(graph, 42), 330.0);
  EXPECT_TRUE(std::isfinite(PointY(graph, 43)));
}

TEST(PointY, RangeWiderThanTheLargestDoubleIsMeasuredInHalves) {
  CGraph graph(LINE_GRAPH_KIND);
  const double largest = std::numeric_limits<double>::max();
  graph.SetScale(-largest * 0.75, largest * 0.75, 1);
  LaidOut(graph);
  EXPECT_DOUBLE_EQ(PointY(graph, -largest * 0.75), 330.0);
  EXPECT_DOUBLE_EQ(PointY(graph, 0), 330 - 140.0);
  EXPECT_DOUBLE_EQ(PointY(graph, largest * 0.75), 50.0);
}

class Series : public ::testing::Test {
 protected:
  void SetUp() override {
    markers_ = SetPointMarkers(-1);
    baseline_ = portable::CountLiveObjects().gdiObjects;
  }
  void TearDown() override {
    SetPointMarkers(markers_);
    EXPECT_EQ(portable::CountLiveObjects().gdiObjects, baseline_);
  }
  std::int32_t markers_ = 1;
  int baseline_ = 0;
};

TEST_F(Series, CategoryPositionsComeFromTheFirstSeriesOnly) {
  CGraph graph(LINE_GRAPH_KIND);
  AddCategory(graph, {10, 20});
  AddCategory(graph, {MISSING_VALUE, 30});
  AddCategory(graph, {30, 40});
  graph.leftX = 110;
  graph.plotWidth = 300;
  graph.plotHeight = 290;
  graph.bottomY = 330;
  testing::Canvas canvas(20, 20);
  DrawLineSeries(graph, canvas.dc());
  EXPECT_EQ(graph.xPositions, (std::vector<std::int32_t>{160, 260, 360, 410}));
  // A new pass starts afresh.
  DrawLineSeries(graph, canvas.dc());
  EXPECT_EQ(graph.xPositions.size(), 4u);
  graph.seriesCount = 0;
  DrawLineSeries(graph, canvas.dc());
  EXPECT_TRUE(graph.xPositions.empty());
}

}  // namespace
}  // namespace trendel
