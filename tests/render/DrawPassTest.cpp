// Draw called directly on a small memory DC, for targets and graphs the
// exports cannot easily make: a 20,000-pixel target, a graph of another
// kind, a graph without categories, a rectangle given in reverse.
#include "render/Draw.h"

#include "trendel.h"

#include "platform/Canvas.h"
#include "platform/portable/Accounting.h"

#include <gtest/gtest.h>

#include <string>

namespace trendel {
namespace {

void AddCategory(CGraph &graph, const std::string &name, double first, double second) {
  auto category = std::make_unique<CGraphCategory>();
  category->SetName(name);
  category->AddValue(0, first);
  category->AddValue(1, second);
  graph.AddCategory(std::move(category));
}

class DrawPass : public ::testing::Test {
 protected:
  void SetUp() override { baseline_ = portable::CountLiveObjects().gdiObjects; }
  void TearDown() override { EXPECT_EQ(portable::CountLiveObjects().gdiObjects, baseline_); }
  int baseline_ = 0;
};

TEST_F(DrawPass, HugeTargetIsLaidOutAndClippedToTheBitmap) {
  CGraph graph(LINE_GRAPH_KIND);
  AddCategory(graph, "Jan", 10, 20);
  AddCategory(graph, "Feb", 30, 40);
  graph.AddSeriesName(0, "North");
  graph.AddSeriesName(1, "South");
  testing::Canvas canvas(64, 64);
  const RECT target{0, 0, 20000, 20000};
  Draw(graph, canvas.dc(), &target);
  // Beside a legend of 5-character names in the default 12-pixel font: 58 wide.
  EXPECT_EQ(graph.plotRight, 20000 - 5 - 5 - 58 - 10);
  EXPECT_EQ(graph.bottomY, 20000 - 70);
  EXPECT_EQ(graph.xPositions.size(), 3u);
  EXPECT_EQ(canvas.At(0, 0), 0x000000u);
  EXPECT_EQ(canvas.At(1, 1), 0xFFFFFFu);
  // A rectangle given in reverse is an empty target.
  const RECT reversed{0, 0, -2147483647 - 1, -5};
  Draw(graph, canvas.dc(), &reversed);
  EXPECT_EQ(graph.availWidth, -5.0);
  EXPECT_EQ(graph.availHeight, -20.0);
}

TEST_F(DrawPass, OtherGraphKindsDrawNoSeriesAndSaySo) {
  static std::string message;
  TrendelHost_SetMessageHandler([](const char *text) { message = text; });
  CGraph graph(2);
  AddCategory(graph, "Jan", 10, 20);
  testing::Canvas canvas(100, 100);
  const RECT target{0, 0, 100, 100};
  Draw(graph, canvas.dc(), &target);
  TrendelHost_SetMessageHandler(nullptr);
  EXPECT_EQ(message, "No graph type to display");
  EXPECT_TRUE(graph.xPositions.empty());
}

TEST_F(DrawPass, GraphWithoutCategoriesDrawsItsAxes) {
  CGraph graph(LINE_GRAPH_KIND);
  testing::Canvas canvas(600, 400);
  const RECT target{0, 0, 600, 400};
  Draw(graph, canvas.dc(), &target);
  EXPECT_EQ(canvas.At(110, 200), 0x000000u);  // value axis
  EXPECT_EQ(canvas.At(300, 330), 0x000000u);  // category axis
  EXPECT_EQ(canvas.At(350, 327), 0xFFFFFFu);  // no category tick in the middle
  EXPECT_TRUE(graph.xPositions.empty());
}

}  // namespace
}  // namespace trendel
