// Whole drawing passes through the exports, on headless windows, checked at
// the pixels a user looks at. The chart: 600 x 400, scale 0 to 100 in steps
// of 10, a grid, markers, two series with 20-character names (the legend
// box then starts at x = 400 and the plot spans 110 to 390) over four
// categories at x = 145, 215, 285 and 355:
//   series 0, red:   45, 45, missing, 45   (y = 204)
//   series 1, green: 70, 20, 60, 80
// Value ticks stand at y = 330 - 28 i; the category axis is at y = 330.
#include "trendel.h"

#include "platform/portable/Accounting.h"
#include "render/Tracking.h"
#include "support/TestGraphs.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

namespace trendel {
namespace {

using testing::GraphArguments;

constexpr std::uint32_t BLACK = 0x000000;
constexpr std::uint32_t WHITE = 0xFFFFFF;
constexpr std::uint32_t RED = 0xFF0000;
constexpr std::uint32_t GREEN = 0x00FF00;
constexpr std::uint32_t GRID_GREY = 0x808080;
constexpr std::uint32_t TRACKING_GREY = 0xE1E1E1;

GraphArguments ChartArguments() {
  GraphArguments arguments;
  arguments.title = "Sales";
  arguments.seriesNames = {"Northern territories", "Southern territories"};
  arguments.categoryNames = {"Jan", "Feb", "Mar", "Apr"};
  arguments.values = {45, 45, TRENDEL_MISSING_VALUE, 45, 70, 20, 60, 80};
  arguments.rowCount = 2;
  arguments.columnCount = 4;
  arguments.rangeMin = 0;
  arguments.rangeMax = 100;
  arguments.showGrid = 1;
  arguments.pointMarkers = 1;
  return arguments;
}

class Pixels {
 public:
  explicit Pixels(HWND window) {
    TrendelHost_GetWindowSize(window, &width_, &height_);
    pixels_.resize(static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_));
    EXPECT_EQ(TrendelHost_ReadPixels(window, pixels_.data(), width_, height_), 0);
  }
  std::uint32_t operator()(int x, int y) const {
    return pixels_[static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) +
                   static_cast<std::size_t>(x)];
  }
  // Pixels in [left, right) x [top, bottom) that are not white.
  int InkIn(int left, int top, int right, int bottom) const {
    int ink = 0;
    for (int y = top; y < bottom; ++y) {
      for (int x = left; x < right; ++x) ink += (*this)(x, y) != WHITE ? 1 : 0;
    }
    return ink;
  }

 private:
  std::int32_t width_ = 0;
  std::int32_t height_ = 0;
  std::vector<std::uint32_t> pixels_;
};

// A 600 x 400 window holding the chart. Every test ends with the portable
// layer's object counts back where they started and the process-wide
// tracking state reset.
class Chart : public ::testing::Test {
 protected:
  void SetUp() override {
    SetTrackingMode(TRACKING_OFF);
    SetTrackedIndex(-1);
    window_ = TrendelHost_CreateWindow(600, 400);
    ASSERT_NE(window_, nullptr);
    baseline_ = portable::CountLiveObjects();
  }
  void TearDown() override {
    Trendel_Destroy(window_);
    TrendelHost_DestroyWindow(window_);
    SetTrackingMode(TRACKING_OFF);
    SetTrackedIndex(-1);
    TrendelHost_SetActiveWindow(nullptr);
  }
  // The binding keeps one window DC; nothing else may outlive an export.
  void ExpectBaseline() const {
    const portable::LiveObjectCounts now = portable::CountLiveObjects();
    EXPECT_EQ(now.gdiObjects, baseline_.gdiObjects);
    EXPECT_LE(now.deviceContexts, baseline_.deviceContexts + 1);
  }
  void Draw(const GraphArguments &arguments) {
    ASSERT_EQ(arguments.Load(window_), TRENDEL_OK);
    ASSERT_EQ(Trendel_DrawGraph(window_), TRENDEL_OK);
    ExpectBaseline();
  }

  HWND window_ = nullptr;
  portable::LiveObjectCounts baseline_;
};

TEST_F(Chart, FrameAxesAndGrid) {
  Draw(ChartArguments());
  const Pixels pixels(window_);
  for (const auto &[x, y] : std::vector<std::pair<int, int>>{{0, 0}, {599, 0}, {0, 399}, {599, 399}}) {
    EXPECT_EQ(pixels(x, y), BLACK) << "frame at " << x << ", " << y;
  }
  EXPECT_EQ(pixels(1, 1), WHITE);
  // The value axis at x = 110 is two pixels wide, the extra one on the left.
  EXPECT_EQ(pixels(108, 120), WHITE);
  EXPECT_EQ(pixels(109, 120), BLACK);
  EXPECT_EQ(pixels(110, 120), BLACK);
  EXPECT_EQ(pixels(111, 120), WHITE);
  // The category axis at y = 330, the extra row above.
  EXPECT_EQ(pixels(250, 328), WHITE);
  EXPECT_EQ(pixels(250, 329), BLACK);
  EXPECT_EQ(pixels(250, 330), BLACK);
  EXPECT_EQ(pixels(250, 331), WHITE);
  // Grid row of the value 90 (y = 78): three grey, three white, from the axis.
  for (int x = 116; x < 128; ++x) {
    EXPECT_EQ(pixels(x, 78), (x - 110) % 6 < 3 ? GRID_GREY : WHITE) << "x = " << x;
  }
  EXPECT_EQ(pixels(200, 77), WHITE);
  EXPECT_EQ(pixels(200, 79), WHITE);
  // No grid line on the category axis, and none beyond the plot's right end.
  EXPECT_EQ(pixels(392, 78), WHITE);
  // The value tick of 90: 3 pixels into the plot, then the grid.
  EXPECT_EQ(pixels(111, 78), GRID_GREY);
  // The label of 100 is drawn at (82, 41) and ends left of the axis.
  EXPECT_GT(pixels.InkIn(82, 41, 102, 56), 0);
  EXPECT_EQ(pixels.InkIn(102, 41, 108, 56), 0);
  // Every category has a 5-pixel tick flanked by two of 3 pixels.
  EXPECT_EQ(pixels(215, 325), BLACK);
  EXPECT_EQ(pixels(215, 324), WHITE);
  EXPECT_EQ(pixels(214, 327), BLACK);
  EXPECT_EQ(pixels(214, 326), WHITE);
  EXPECT_EQ(pixels(216, 327), BLACK);
}

TEST_F(Chart, SeriesSegmentsMarkersAndGaps) {
  Draw(ChartArguments());
  const Pixels pixels(window_);
  // The red segment from January to February.
  for (int x = 150; x < 210; x += 7) EXPECT_EQ(pixels(x, 204), RED) << "x = " << x;
  // March is missing: no segment into it or out of it.
  for (int x = 220; x < 350; x += 7) EXPECT_NE(pixels(x, 204), RED) << "x = " << x;
  // April stands alone: a marker only, a plus of black around a red centre.
  EXPECT_EQ(pixels(355, 204), RED);
  EXPECT_EQ(pixels(354, 204), BLACK);
  EXPECT_EQ(pixels(356, 204), BLACK);
  EXPECT_EQ(pixels(355, 203), BLACK);
  EXPECT_EQ(pixels(355, 205), BLACK);
  EXPECT_EQ(pixels(354, 203), WHITE);
  // The green series: 80 in April lies at y = 106, a grid row, drawn over it.
  EXPECT_EQ(pixels(355, 106), GREEN);
  // Midway from March (60, y = 162) to April (80, y = 106) the line is green.
  EXPECT_EQ(pixels(320, 134), GREEN);
}

TEST_F(Chart, LegendFrameAndSwatches) {
  Draw(ChartArguments());
  const Pixels pixels(window_);
  // Box 400 .. 590 by 159 .. 221.
  EXPECT_EQ(pixels(400, 190), BLACK);
  EXPECT_EQ(pixels(589, 190), BLACK);
  EXPECT_EQ(pixels(500, 159), BLACK);
  EXPECT_EQ(pixels(500, 220), BLACK);
  EXPECT_EQ(pixels(590, 190), WHITE);
  EXPECT_EQ(pixels(399, 190), WHITE);
  // Swatches 405 .. 417 at the row tops 184 and 202, black framed.
  EXPECT_EQ(pixels(405, 190), BLACK);
  EXPECT_EQ(pixels(411, 190), RED);
  EXPECT_EQ(pixels(411, 208), GREEN);
  EXPECT_EQ(pixels(416, 208), BLACK);
  EXPECT_EQ(pixels(411, 197), WHITE);
  // The names start at x = 422.
  EXPECT_GT(pixels.InkIn(422, 184, 540, 199), 0);
  EXPECT_EQ(pixels.InkIn(418, 184, 421, 199), 0);
}

TEST_F(Chart, TrackingLineAndValueBoxFollowThePointer) {
  Draw(ChartArguments());
  ASSERT_EQ(Trendel_MouseMove(window_, 0, 220, 100), TRENDEL_OK);
  ExpectBaseline();
  EXPECT_EQ(TrendelHost_GetCapture(), window_);
  EXPECT_EQ(SetTrackedIndex(QUERY_TRACKED_INDEX), 1);
  // February (215) lies left of the middle (250): the box goes right.
  EXPECT_EQ(SetTrackingMode(QUERY_TRACKING_MODE), TRACKING_BOX_RIGHT);
  const Pixels pixels(window_);
  EXPECT_EQ(pixels(215, 41), TRACKING_GREY);
  EXPECT_EQ(pixels(215, 100), TRACKING_GREY);
  EXPECT_EQ(pixels(214, 100), WHITE);
  // "Northern territories: 45" is the longest line (24 characters): the box
  // is 24 x 8.25 + 25 = 223 wide, from 167 to 390, and 62 high above the axis.
  EXPECT_EQ(pixels(167, 300), BLACK);
  EXPECT_EQ(pixels(389, 300), BLACK);
  EXPECT_EQ(pixels(300, 268), BLACK);
  EXPECT_EQ(pixels(300, 267), WHITE);
  EXPECT_EQ(pixels(178, 299), RED);    // swatch of row 0 at 172 .. 184, 293 .. 305
  EXPECT_EQ(pixels(178, 317), GREEN);  // swatch of row 1
  EXPECT_EQ(pixels(172, 299), BLACK);
  EXPECT_GT(pixels.InkIn(192, 273, 230, 289), 0);  // the heading "Feb"
  EXPECT_GT(pixels.InkIn(189, 293, 380, 308), 0);  // the first row

  // Near April the box moves to the left end of the plot.
  ASSERT_EQ(Trendel_MouseMove(window_, 0, 350, 100), TRENDEL_OK);
  EXPECT_EQ(SetTrackingMode(QUERY_TRACKING_MODE), TRACKING_BOX_LEFT);
  const Pixels left(window_);
  EXPECT_EQ(left(110, 300), BLACK);  // on the value axis
  EXPECT_EQ(left(200, 268), BLACK);
  // The line was drawn from the positions of the pass before.
  EXPECT_EQ(left(355, 41), TRACKING_GREY);
  EXPECT_EQ(left(215, 41), WHITE);

  // Out of the plot, still in the window: the overlay goes, the index stays.
  ASSERT_EQ(Trendel_MouseMove(window_, 0, 50, 50), TRENDEL_OK);
  EXPECT_EQ(SetTrackingMode(QUERY_TRACKING_MODE), TRACKING_OFF);
  EXPECT_EQ(SetTrackedIndex(QUERY_TRACKED_INDEX), 3);
  EXPECT_EQ(TrendelHost_GetCapture(), window_);
  const Pixels gone(window_);
  EXPECT_EQ(gone(355, 41), WHITE);
  EXPECT_EQ(gone(200, 268), WHITE);

  // Out of the window: the capture is released.
  ASSERT_EQ(Trendel_MouseMove(window_, 0, 601, 50), TRENDEL_OK);
  EXPECT_EQ(TrendelHost_GetCapture(), nullptr);
  ExpectBaseline();
}

TEST_F(Chart, PointerNearerTheRightEndThanTheOnlyCategoryFindsNothing) {
  HWND active = TrendelHost_CreateWindow(10, 10);
  TrendelHost_SetActiveWindow(active);
  GraphArguments arguments = ChartArguments();
  arguments.categoryNames = {"Jan"};
  arguments.values = {45, 70};
  arguments.columnCount = 1;
  Draw(arguments);  // the category at 250, the right end at 390
  ASSERT_EQ(Trendel_MouseMove(window_, 0, 350, 100), TRENDEL_OK);
  char text[16] = {};
  TrendelHost_GetWindowText(active, text, sizeof text);
  EXPECT_STREQ(text, "350");
  EXPECT_EQ(SetTrackedIndex(QUERY_TRACKED_INDEX), -1);
  EXPECT_EQ(SetTrackingMode(QUERY_TRACKING_MODE), TRACKING_BOX_LEFT);
  const Pixels pixels(window_);
  EXPECT_EQ(pixels(250, 100), WHITE);  // no tracking line
  EXPECT_EQ(pixels(200, 268), WHITE);  // no value box
  ExpectBaseline();
  TrendelHost_DestroyWindow(active);
}

// Scales without a finite distance between ticks, or with too many ticks to
// draw, still give a whole graph and a result.
TEST_F(Chart, DegenerateScalesDrawAndReturn) {
  GraphArguments arguments = ChartArguments();
  arguments.values = {5, 5, 5, 5, 5, 5, 5, 5};
  arguments.rangeMin = std::nan("");
  arguments.rangeMax = std::nan("");
  // The range 5 to 5: one tick, labelled 5, and every point on the axis.
  // "5.000000" narrows the left margin to 98.
  Draw(arguments);
  Pixels pixels(window_);
  EXPECT_EQ(pixels(180, 330), GREEN);
  EXPECT_EQ(pixels(180, 329), BLACK);
  EXPECT_GT(pixels.InkIn(78, 321, 96, 336), 0);
  EXPECT_EQ(pixels.InkIn(78, 40, 96, 318), 0);

  arguments = ChartArguments();
  arguments.scaleMode = "BY_STEP";
  for (const double step : {0.0, 1e-300, -10.0}) {
    SCOPED_TRACE(step);
    arguments.step = step;
    Draw(arguments);
    EXPECT_EQ(Pixels(window_)(160, 204), RED);
  }

  // A range wider than the largest double. Its 316-character value labels
  // push the plot 1946 pixels to the right.
  ASSERT_EQ(TrendelHost_ResizeWindow(window_, 2600, 400), 0);
  arguments = ChartArguments();
  const double largest = std::numeric_limits<double>::max();
  arguments.values = {-largest * 0.9, largest * 0.9, 0, 0, 0, 0, 0, 0};
  Draw(arguments);
  pixels = Pixels(window_);
  EXPECT_EQ(pixels(2001, 330), RED);  // the lowest value on the axis
  EXPECT_EQ(pixels(2112, 50), RED);   // the highest at the top of the scale
}

TEST_F(Chart, TinyWindowsDraw) {
  for (const auto &[width, height] : std::vector<std::pair<int, int>>{{1, 1}, {2, 30}, {30, 2}}) {
    SCOPED_TRACE(std::to_string(width) + " x " + std::to_string(height));
    ASSERT_EQ(TrendelHost_ResizeWindow(window_, width, height), 0);
    Draw(ChartArguments());
    EXPECT_EQ(Trendel_MouseMove(window_, 0, 0, 0), TRENDEL_OK);
    ExpectBaseline();
  }
  EXPECT_EQ(Pixels(window_)(0, 0), WHITE);  // 30 x 2: inside the legend box
  ASSERT_EQ(TrendelHost_ResizeWindow(window_, 1, 1), 0);
  ASSERT_EQ(Trendel_DrawGraph(window_), TRENDEL_OK);
  EXPECT_EQ(Pixels(window_)(0, 0), BLACK);  // the frame
}

}  // namespace
}  // namespace trendel
