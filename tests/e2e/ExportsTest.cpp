// The six exports end to end, as a host calls them: result codes, what lands
// in the window, mouse tracking with the capture and the active window's
// title, and windows that keep their own graphs. Pixel checks stay on
// geometry (frames, axes, swatches, lines, the tracking overlay), which both
// builds must draw identically; text is left to the cross-check of the builds.
#include "CheckedExports.h"
#include "TestWindow.h"
#include "support/TestGraphs.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <vector>

namespace trendel::testing {
namespace {

constexpr std::uint32_t BLACK = 0x000000;
constexpr std::uint32_t WHITE = 0xFFFFFF;
constexpr std::uint32_t TRACKING_GREY = 0xE1E1E1;
constexpr std::uint32_t FIRST_COLOR = 0x0080C0;  // host colour 0x00C08000 as 0x00RRGGBB
constexpr std::uint32_t DEFAULT_RED = 0xFF0000;  // first entry of the default colours

// A graph whose layout in a 600 x 400 window is worked out by hand: the scale
// runs 0 to 100 (leftX 110, bottomY 330, plotHeight 290, 2.8 pixels per
// unit); the two 8-character names make a legend box from x 499 to 590 and
// y 159 to 221 (legend font 15), which narrows the plot to 379 pixels, so
// plotRight is 489 and the three categories sit at x 173, 299 and 425.
// Series 0 has a host colour; series 1 takes the first default colour and
// lacks its February value.
GraphArguments WorkedGraph() {
  GraphArguments graph;
  graph.seriesNames = {"Revenues", "Expenses"};
  graph.seriesColors = {0x00C08000};
  graph.rangeMax = 100.0;
  graph.values = {20, 50, 80, 60, TRENDEL_MISSING_VALUE, 30};
  return graph;
}
constexpr int WIDTH = 600;
constexpr int HEIGHT = 400;
constexpr int LEFT_X = 110;
constexpr int BOTTOM_Y = 330;
constexpr int PLOT_TOP = 40;
constexpr int PLOT_RIGHT = 489;
constexpr int CATEGORY_X[] = {173, 299, 425};
// y of a value: bottomY - value x 2.8.
constexpr int SERIES_0_Y[] = {274, 190, 106};
constexpr int SERIES_1_Y[] = {162, -1, 246};

int CountInColumn(const Image &image, int x, int top, int bottom, std::uint32_t color) {
  int count = 0;
  for (int y = top; y < bottom; ++y) count += image.At(x, y) == color ? 1 : 0;
  return count;
}

int CountColor(const Image &image, std::uint32_t color) {
  return static_cast<int>(std::count(image.pixels.begin(), image.pixels.end(), color));
}

// Pixels of the tracking line's grey inside the plot, which holds no text
// while no value box is shown; antialiased text elsewhere may use that grey.
int TrackingLinePixels(const Image &image, int plotRight) {
  int count = 0;
  for (int x = LEFT_X + 4; x < plotRight; ++x) {
    count += CountInColumn(image, x, PLOT_TOP, BOTTOM_Y - 5, TRACKING_GREY);
  }
  return count;
}

class Exports : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_NE(window_.Handle(), nullptr); }
  void TearDown() override { checked::Destroy(window_.Handle()); }

  HWND Window() const { return window_.Handle(); }
  // Leaves the pointer inside the window but outside the plot: no overlay.
  void StopTracking() { checked::MouseMove(Window(), 0, 1, 1); }

  TestWindow window_{WIDTH, HEIGHT};
};

TEST_F(Exports, ResultCodesFollowTheCallOrder) {
  EXPECT_EQ(checked::DrawGraph(Window()), TRENDEL_NO_GRAPH);
  EXPECT_EQ(checked::SaveFile(Window(), "", 10, 10), TRENDEL_NO_GRAPH);
  EXPECT_EQ(checked::SetRedraw(Window(), 0), TRENDEL_OK);
  EXPECT_EQ(checked::MouseMove(Window(), 12345, -1, -1), TRENDEL_OK);

  GraphArguments graph = WorkedGraph();
  graph.kind = "line_graph";
  graph.seriesNames.clear();
  EXPECT_EQ(checked::SetValues(Window(), graph), TRENDEL_NO_GRAPH);  // the kind is checked first
  graph.kind = "LINE_GRAPH";
  EXPECT_EQ(checked::SetValues(Window(), graph), TRENDEL_NO_SERIES_NAMES);
  graph.seriesNames = {"A"};
  graph.categoryNames.clear();
  graph.rowCount = 0;
  EXPECT_EQ(checked::SetValues(Window(), graph), TRENDEL_NO_CATEGORIES);
  graph.categoryNames = {"Jan"};
  EXPECT_EQ(checked::SetValues(Window(), graph), TRENDEL_EMPTY_MATRIX);
  graph.rowCount = 1;
  graph.columnCount = 0;
  EXPECT_EQ(checked::SetValues(Window(), graph), TRENDEL_EMPTY_MATRIX);
  // None of these loaded a graph, and drawing is still switched off.
  EXPECT_EQ(checked::DrawGraph(Window()), TRENDEL_NO_GRAPH);
  EXPECT_EQ(checked::SetRedraw(Window(), 1), TRENDEL_OK);
  EXPECT_EQ(checked::DrawGraph(Window()), TRENDEL_NO_GRAPH);

  EXPECT_EQ(checked::Destroy(Window()), TRENDEL_OK);
  EXPECT_EQ(checked::Destroy(Window()), TRENDEL_OK);
}

TEST_F(Exports, DrawGraphPaintsTheWorkedLayout) {
  ASSERT_EQ(checked::SetValues(Window(), WorkedGraph()), TRENDEL_OK);
  StopTracking();
  ASSERT_EQ(checked::DrawGraph(Window()), TRENDEL_OK);
  const Image image = window_.Pixels();
  ASSERT_EQ(image.width, WIDTH);
  ASSERT_EQ(image.height, HEIGHT);

  // The background's one-pixel frame around a white page.
  EXPECT_EQ(image.At(0, 0), BLACK);
  EXPECT_EQ(image.At(WIDTH - 1, HEIGHT - 1), BLACK);
  EXPECT_EQ(image.At(WIDTH / 2, HEIGHT - 1), BLACK);
  EXPECT_EQ(image.At(3, 3), WHITE);
  // The axes, two pixels wide, the extra pixel left of and above the path.
  for (int y : {60, 200, 320}) {
    EXPECT_EQ(image.At(LEFT_X - 1, y), BLACK) << "value axis at y " << y;
    EXPECT_EQ(image.At(LEFT_X, y), BLACK) << "value axis at y " << y;
    EXPECT_NE(image.At(LEFT_X + 1, y), BLACK) << "value axis at y " << y;
  }
  for (int x : {240, 360}) {
    EXPECT_EQ(image.At(x, BOTTOM_Y - 1), BLACK) << "category axis at x " << x;
    EXPECT_EQ(image.At(x, BOTTOM_Y), BLACK) << "category axis at x " << x;
    EXPECT_EQ(image.At(x, BOTTOM_Y + 1), WHITE) << "category axis at x " << x;
  }
  // The legend's frame, and a swatch per series in its colour.
  EXPECT_EQ(image.At(499, 190), BLACK);
  EXPECT_EQ(image.At(589, 190), BLACK);
  EXPECT_EQ(image.At(540, 159), BLACK);
  EXPECT_EQ(image.At(540, 220), BLACK);
  EXPECT_EQ(image.At(590, 190), WHITE);
  EXPECT_EQ(image.At(510, 190), FIRST_COLOR);
  EXPECT_EQ(image.At(510, 208), DEFAULT_RED);
  // Series 0 runs through all three points.
  const int between01 = (CATEGORY_X[0] + CATEGORY_X[1]) / 2;
  const int between12 = (CATEGORY_X[1] + CATEGORY_X[2]) / 2;
  EXPECT_GT(CountInColumn(image, between01, SERIES_0_Y[1], SERIES_0_Y[0], FIRST_COLOR), 0);
  EXPECT_GT(CountInColumn(image, between12, SERIES_0_Y[2], SERIES_0_Y[1], FIRST_COLOR), 0);
  // Series 1 misses February: its two points are markers with no line.
  EXPECT_EQ(CountInColumn(image, between01, PLOT_TOP, BOTTOM_Y, DEFAULT_RED), 0);
  EXPECT_EQ(CountInColumn(image, between12, PLOT_TOP, BOTTOM_Y, DEFAULT_RED), 0);
  for (int category : {0, 2}) {
    const int x = CATEGORY_X[category];
    const int y = SERIES_1_Y[category];
    EXPECT_EQ(image.At(x, y), DEFAULT_RED) << "marker centre of category " << category;
    EXPECT_EQ(image.At(x - 1, y), BLACK) << "marker outline of category " << category;
    EXPECT_EQ(image.At(x, y + 1), BLACK) << "marker outline of category " << category;
  }
  EXPECT_EQ(TrackingLinePixels(image, PLOT_RIGHT), 0);
}

TEST_F(Exports, MouseMovesDriveTheTrackingOverlayAndTheCapture) {
  ASSERT_EQ(checked::SetValues(Window(), WorkedGraph()), TRENDEL_OK);
  StopTracking();
  ASSERT_EQ(checked::DrawGraph(Window()), TRENDEL_OK);

  // Nearest to February, which is not right of the plot's middle (x 299):
  // the value box goes to the right end of the plot.
  EXPECT_EQ(checked::MouseMove(Window(), 0, 300, 200), TRENDEL_OK);
  EXPECT_EQ(CapturedWindow(), Window());
  Image image = window_.Pixels();
  EXPECT_GT(CountInColumn(image, CATEGORY_X[1], PLOT_TOP, 150, TRACKING_GREY), 80);
  EXPECT_EQ(image.At(PLOT_RIGHT - 1, 300), BLACK);  // the box's right edge
  EXPECT_EQ(CountInColumn(image, LEFT_X + 123, 268, BOTTOM_Y - 1, BLACK), 0);

  // Nearest to March: the box goes to the left end, 124 pixels wide for
  // the 12 characters of "Revenues: 80" at 0.55 x 15 each, plus 25.
  EXPECT_EQ(checked::MouseMove(Window(), 0, 400, 200), TRENDEL_OK);
  image = window_.Pixels();
  EXPECT_GT(CountInColumn(image, CATEGORY_X[2], PLOT_TOP, 100, TRACKING_GREY), 50);
  EXPECT_EQ(CountInColumn(image, CATEGORY_X[1], PLOT_TOP, 150, TRACKING_GREY), 0);
  EXPECT_EQ(CountInColumn(image, LEFT_X + 123, 268, 330, BLACK), 330 - 268);
  EXPECT_EQ(image.At(LEFT_X + 124, 300), WHITE);

  // Inside the window but left of the plot: the overlay goes, the capture stays.
  EXPECT_EQ(checked::MouseMove(Window(), 0, 50, 200), TRENDEL_OK);
  EXPECT_EQ(TrackingLinePixels(window_.Pixels(), PLOT_RIGHT), 0);
  EXPECT_EQ(CapturedWindow(), Window());
  // x equal to the width is inside the window; one more has left it.
  EXPECT_EQ(checked::MouseMove(Window(), 0, WIDTH, 10), TRENDEL_OK);
  EXPECT_EQ(CapturedWindow(), Window());
  EXPECT_EQ(checked::MouseMove(Window(), 0, WIDTH + 1, 10), TRENDEL_OK);
  EXPECT_EQ(CapturedWindow(), nullptr);
}

TEST_F(Exports, PointerNearerThePlotEndThanTheOnlyCategoryRetitlesTheActiveWindow) {
  GraphArguments graph;
  graph.seriesNames = {""};
  graph.categoryNames = {"Only"};
  graph.values = {5};
  graph.rowCount = 1;
  graph.columnCount = 1;
  graph.rangeMax = 100.0;
  ASSERT_EQ(checked::SetValues(Window(), graph), TRENDEL_OK);
  window_.Activate();
  StopTracking();
  ASSERT_EQ(checked::DrawGraph(Window()), TRENDEL_OK);
  // An empty name makes a legend 25 pixels wide (565 to 590) and the plot
  // 445 wide: the category sits at 332, the plot's end at 555.
  EXPECT_EQ(checked::MouseMove(Window(), 0, 500, 200), TRENDEL_OK);
  EXPECT_EQ(window_.Text(), "500");
  EXPECT_EQ(TrackingLinePixels(window_.Pixels(), 555), 0);
  EXPECT_EQ(checked::MouseMove(Window(), 0, 340, 200), TRENDEL_OK);
  EXPECT_GT(CountInColumn(window_.Pixels(), 332, PLOT_TOP, 150, TRACKING_GREY), 80);
  checked::MouseMove(Window(), 0, -1, -1);
}

// The scale's arithmetic is double arithmetic on every build: 3 x 0.3 falls
// short of 0.9 in doubles, so a scale from 0 to 0.9 by 0.3 has a fourth step.
// Carried out with more precision (the x87 registers of a 32-bit build) the
// product reaches 0.9 and a tick would go missing.
TEST_F(Exports, ScaleStepsFollowDoubleArithmetic) {
  TestWindow window(400, 300);
  GraphArguments graph;
  graph.seriesNames = {"Share"};
  graph.categoryNames = {"a", "b", "c", "d"};
  graph.values = {0.1, 0.45, 0.3, 0.9};
  graph.rowCount = 1;
  graph.columnCount = 4;
  graph.scaleMode = "BY_STEP";
  graph.step = 0.3;
  ASSERT_EQ(checked::SetValues(window.Handle(), graph), TRENDEL_OK);
  StopTracking();
  ASSERT_EQ(checked::DrawGraph(window.Handle()), TRENDEL_OK);
  // "0.900000" puts the value axis at x 98 and the category axis at y 230;
  // four steps over 180 pixels put ticks 45 apart, reaching x 100.
  const Image image = window.Pixels();
  std::vector<int> tickRows;
  for (int y = PLOT_TOP; y < 229; ++y) {
    if (image.At(100, y) == BLACK) tickRows.push_back(y);
  }
  EXPECT_EQ(tickRows, (std::vector<int>{50, 95, 140, 185}));
  checked::Destroy(window.Handle());
}

TEST_F(Exports, RedrawSwitchAndFailedLoadsKeepWhatTheWindowShows) {
  ASSERT_EQ(checked::SetValues(Window(), WorkedGraph()), TRENDEL_OK);
  ASSERT_EQ(checked::SetRedraw(Window(), 0), TRENDEL_OK);
  StopTracking();  // its redraw is switched off as well
  EXPECT_EQ(checked::DrawGraph(Window()), TRENDEL_NO_GRAPH);
  EXPECT_EQ(CountColor(window_.Pixels(), WHITE), WIDTH * HEIGHT);
  ASSERT_EQ(checked::SetRedraw(Window(), -7), TRENDEL_OK);
  EXPECT_EQ(CountColor(window_.Pixels(), WHITE), WIDTH * HEIGHT);  // enabling draws nothing
  ASSERT_EQ(checked::DrawGraph(Window()), TRENDEL_OK);
  EXPECT_EQ(window_.Pixels().At(510, 190), FIRST_COLOR);

  // A wrong kind keeps the previous graph.
  GraphArguments graph = WorkedGraph();
  graph.kind = "LINE_GRAPH ";
  EXPECT_EQ(checked::SetValues(Window(), graph), TRENDEL_NO_GRAPH);
  ASSERT_TRUE(window_.Resize(WIDTH, HEIGHT));
  ASSERT_EQ(checked::DrawGraph(Window()), TRENDEL_OK);
  EXPECT_EQ(window_.Pixels().At(510, 190), FIRST_COLOR);
  // A later fault replaces it with an empty graph, which still draws.
  graph.kind = "LINE_GRAPH";
  graph.categoryNames.clear();
  EXPECT_EQ(checked::SetValues(Window(), graph), TRENDEL_NO_CATEGORIES);
  ASSERT_EQ(checked::DrawGraph(Window()), TRENDEL_OK);
  const Image image = window_.Pixels();
  EXPECT_EQ(image.At(0, 0), BLACK);
  EXPECT_EQ(CountColor(image, FIRST_COLOR), 0);
  EXPECT_EQ(image.At(499, 190), WHITE);  // no legend without series names
}

// A host may destroy its window before the binding, or pass a handle that
// names no window at all: every call then fails cleanly, and the checked
// calls find nothing held that should not be.
TEST_F(Exports, WindowsGoneBeforeTheirBindingFailCleanly) {
  auto gone = std::make_unique<TestWindow>(200, 150);
  const HWND handle = gone->Handle();
  ASSERT_EQ(checked::SetValues(handle, WorkedGraph()), TRENDEL_OK);
  ASSERT_EQ(checked::DrawGraph(handle), TRENDEL_OK);
  ASSERT_EQ(checked::MouseMove(handle, 0, 100, 75), TRENDEL_OK);
  gone.reset();
  EXPECT_EQ(checked::DrawGraph(handle), TRENDEL_NO_BINDING);
  EXPECT_EQ(checked::MouseMove(handle, 0, 100, 75), TRENDEL_OK);
  EXPECT_EQ(CapturedWindow(), nullptr);
  // Neither its device context nor the clipboard takes a window that is gone.
  EXPECT_EQ(checked::SaveFile(handle, "", 30, 20), TRENDEL_SAVE_FAILED);
  EXPECT_EQ(checked::Destroy(handle), TRENDEL_OK);

  EXPECT_EQ(checked::SetValues(nullptr, WorkedGraph()), TRENDEL_OK);
  EXPECT_EQ(checked::DrawGraph(nullptr), TRENDEL_NO_BINDING);
  EXPECT_EQ(checked::MouseMove(nullptr, 0, 10, 10), TRENDEL_OK);
  EXPECT_EQ(checked::Destroy(nullptr), TRENDEL_OK);
}

TEST_F(Exports, WindowsKeepTheirOwnGraphsAndResizes) {
  TestWindow second(300, 200);
  TestWindow third(300, 200);
  GraphArguments blue = WorkedGraph();
  blue.seriesColors = {0x00FF0000};
  GraphArguments green = WorkedGraph();
  green.seriesColors = {0x0000FF00};
  ASSERT_EQ(checked::SetValues(Window(), WorkedGraph()), TRENDEL_OK);
  ASSERT_EQ(checked::SetValues(second.Handle(), blue), TRENDEL_OK);
  ASSERT_EQ(checked::SetValues(third.Handle(), green), TRENDEL_OK);
  StopTracking();
  EXPECT_EQ(checked::Destroy(Window()), TRENDEL_OK);
  EXPECT_EQ(checked::DrawGraph(Window()), TRENDEL_NO_GRAPH);  // bound afresh, no graph

  ASSERT_EQ(checked::DrawGraph(second.Handle()), TRENDEL_OK);
  ASSERT_EQ(checked::DrawGraph(third.Handle()), TRENDEL_OK);
  EXPECT_GT(CountColor(second.Pixels(), 0x0000FF), 0);
  EXPECT_EQ(CountColor(second.Pixels(), 0x00FF00), 0);
  EXPECT_GT(CountColor(third.Pixels(), 0x00FF00), 0);
  EXPECT_EQ(CountColor(third.Pixels(), 0x0000FF), 0);

  // Every pass takes the window's size anew.
  ASSERT_TRUE(third.Resize(420, 260));
  ASSERT_EQ(checked::DrawGraph(third.Handle()), TRENDEL_OK);
  const Image resized = third.Pixels();
  ASSERT_EQ(resized.width, 420);
  EXPECT_EQ(resized.At(419, 259), BLACK);
  EXPECT_EQ(resized.At(0, 259), BLACK);
  checked::Destroy(second.Handle());
  checked::Destroy(third.Handle());
}

}  // namespace
}  // namespace trendel::testing
