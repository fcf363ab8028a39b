// Snapping the pointer to a category, and the texts and frame of the value
// box.
#include "render/Tracking.h"
#include "render/ValueBox.h"

#include "trendel.h"

#include <gtest/gtest.h>

#include <string>

namespace trendel {
namespace {

// Every test leaves the process-wide tracking state as it found it.
class Tracking : public ::testing::Test {
 protected:
  void SetUp() override {
    mode_ = SetTrackingMode(QUERY_TRACKING_MODE);
    index_ = SetTrackedIndex(QUERY_TRACKED_INDEX);
  }
  void TearDown() override {
    SetTrackingMode(mode_);
    SetTrackedIndex(index_);
    TrendelHost_SetActiveWindow(nullptr);
  }
  std::int32_t mode_ = 0;
  std::int32_t index_ = -1;
};

std::string WindowText(HWND window) {
  char text[32] = {};
  TrendelHost_GetWindowText(window, text, sizeof text);
  return text;
}

TEST_F(Tracking, NearestCategoryWinsAndTiesGoLeft) {
  CGraph graph(LINE_GRAPH_KIND);
  graph.xPositions = {160, 260, 360, 410};  // three categories, then the right end
  EXPECT_EQ(FindNearestCategory(graph, 210), 160);  // 50 against 50
  EXPECT_EQ(SetTrackedIndex(QUERY_TRACKED_INDEX), 0);
  EXPECT_EQ(FindNearestCategory(graph, 211), 260);
  EXPECT_EQ(SetTrackedIndex(QUERY_TRACKED_INDEX), 1);
  EXPECT_EQ(FindNearestCategory(graph, 400), 360);  // the right end is nearer
  EXPECT_EQ(SetTrackedIndex(QUERY_TRACKED_INDEX), 2);
  EXPECT_EQ(FindNearestCategory(graph, -2147483647 - 1), 160);  // no overflow
}

TEST_F(Tracking, NothingFoundWritesThePointerIntoTheActiveWindow) {
  HWND active = TrendelHost_CreateWindow(10, 10);
  ASSERT_NE(active, nullptr);
  TrendelHost_SetActiveWindow(active);
  CGraph graph(LINE_GRAPH_KIND);
  graph.xPositions = {350, 590};  // one category
  EXPECT_EQ(FindNearestCategory(graph, 500), 500);
  EXPECT_EQ(SetTrackedIndex(QUERY_TRACKED_INDEX), -1);
  EXPECT_EQ(WindowText(active), "500");
  EXPECT_EQ(FindNearestCategory(graph, 400), 350);
  graph.xPositions.clear();  // no pass yet
  EXPECT_EQ(FindNearestCategory(graph, 0), 0);
  EXPECT_EQ(WindowText(active), "0");
  // Without an active window nothing is written, and nothing breaks.
  TrendelHost_SetActiveWindow(nullptr);
  EXPECT_EQ(FindNearestCategory(graph, 9), 9);
  EXPECT_EQ(WindowText(active), "0");
  TrendelHost_DestroyWindow(active);
}

CGraph &JanuaryGraph(CGraph &graph) {
  auto category = std::make_unique<CGraphCategory>();
  category->SetName("Jan");
  category->AddValue(0, 12.5);
  category->AddValue(1, MISSING_VALUE);
  graph.AddCategory(std::move(category));
  graph.AddSeriesName(0, "A");
  graph.AddSeriesName(1, "B");
  graph.SetLegendFontSize(15);
  graph.leftX = 110;
  graph.plotWidth = 480;
  graph.bottomY = 330;
  return graph;
}

TEST_F(Tracking, ValueBoxListsEveryValueOfTheCategory) {
  CGraph graph(LINE_GRAPH_KIND);
  JanuaryGraph(graph);
  const std::vector<std::string> rows = ValueBoxRows(graph, *graph.categoryList[0]);
  EXPECT_EQ(rows, (std::vector<std::string>{"A: 12.5", "B: "}));
  const ValueBoxFrame left = PlaceValueBox(graph, 7, TRACKING_BOX_LEFT);
  EXPECT_EQ(left.right - left.left, 82.75);
  EXPECT_EQ(left.bottom - left.top, 62.0);
  EXPECT_EQ(left.left, 110.0);
  EXPECT_EQ(left.bottom, 330.0);
  const ValueBoxFrame right = PlaceValueBox(graph, 7, TRACKING_BOX_RIGHT);
  EXPECT_EQ(right.right, 590.0);
  EXPECT_EQ(right.left, 590 - 82.75);
}

}  // namespace
}  // namespace trendel
