// Draw paints one complete image of a graph, in this order:
//   1. the white background with its one-pixel frame;
//   2. the layout: margins for the value labels and the category labels;
//   3. the title, centred at the top in a bold font fitted to the width;
//   4. the legend at the right edge, which narrows the plot;
//   5. the hit area that mouse tracking tests the pointer against;
//   6. the tracking line, before the axes and series that paint over it;
//   7. the axes with their scale, labels and titles;
//   8. the series;
//   9. the value box of the tracked category.
// The tracking line is drawn from the category positions of the previous
// pass, because the series pass refreshes them only in step 8.
#include "Draw.h"

#include "Axes.h"
#include "GdiObjects.h"
#include "Layout.h"
#include "Legend.h"
#include "LineSeries.h"
#include "Pixel.h"
#include "Tracking.h"
#include "ValueBox.h"

#include <algorithm>
#include <cstdint>
#include <limits>

namespace trendel {
namespace {

constexpr std::int32_t TITLE_START_HEIGHT = 24;
constexpr std::int32_t TITLE_TOP = 10;
constexpr COLORREF BACKGROUND_COLOR = RGB(255, 255, 255);
constexpr COLORREF TRACKING_LINE_COLOR = RGB(225, 225, 225);

struct TargetSize {
  std::int32_t width;
  std::int32_t height;
};

// The differences are taken in 64 bits, so that no rectangle overflows them,
// and kept within 0 .. int32 maximum.
TargetSize SizeOf(const RECT &target) {
  const auto extent = [](LONG low, LONG high) {
    const std::int64_t difference = static_cast<std::int64_t>(high) - low;
    const std::int64_t highest = std::numeric_limits<std::int32_t>::max();
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(difference, 0, highest));
  };
  return {extent(target.left, target.right), extent(target.top, target.bottom)};
}

void DrawTitle(const CGraph &graph, HDC dc, std::int32_t width, const OwnedObject &font) {
  const Selection selection(dc, font.get());
  const std::int32_t characterWidth = AverageCharWidth(dc);
  const auto halfLength = static_cast<double>(graph.title.size() / 2);
  PutText(dc, ToPixel(width / 2 - halfLength * characterWidth), TITLE_TOP, graph.title);
}

// The line follows the category under the pointer. An index past the
// positions of the last pass stands for x = 0.
void DrawTrackingLine(const CGraph &graph, HDC dc) {
  const std::int32_t index = SetTrackedIndex(QUERY_TRACKED_INDEX);
  if (SetTrackingMode(QUERY_TRACKING_MODE) <= TRACKING_OFF || index < 0) return;
  const auto position = static_cast<std::size_t>(index);
  const std::int32_t x = position < graph.xPositions.size() ? graph.xPositions[position] : 0;
  const OwnedObject pen(CreateSolidPen(TRACKING_LINE_COLOR));
  const Selection selection(dc, pen.get());
  DrawSegment(dc, x, graph.plotTop, x, ToPixel(static_cast<double>(graph.plotTop) + graph.trackHeight));
}

}  // namespace

std::int32_t TitleFontHeight(std::size_t titleLength, double availWidth) {
  return FitTitleHeight(TITLE_START_HEIGHT, titleLength, availWidth);
}

void Draw(CGraph &graph, HDC dc, const RECT *area) {
  RECT target{};
  if (area != nullptr) {
    target = *area;
  } else {
    GetClientRect(WindowFromDC(dc), &target);
  }
  const TargetSize size = SizeOf(target);

  const OwnedObject background(CreateSolidBrush(BACKGROUND_COLOR));
  {
    const Selection selection(dc, background.get());
    Rectangle(dc, 0, 0, size.width, size.height);
  }

  LayOutMargins(graph, size.width, size.height);
  const OwnedObject titleFont(CreateArialFont(
      TitleFontHeight(graph.title.size(), graph.availWidth), FontWeight::Bold));
  DrawTitle(graph, dc, size.width, titleFont);

  if (graph.legendShown) FitPlotBesideLegend(graph, DrawLegend(graph, dc));
  LayOutHitArea(graph);

  const bool isLineGraph = graph.graphKind == LINE_GRAPH_KIND;
  if (isLineGraph) DrawTrackingLine(graph, dc);
  DrawAxes(graph, dc);
  DrawSeries(graph, dc);
  if (isLineGraph && SetTrackingMode(QUERY_TRACKING_MODE) > TRACKING_OFF) {
    DrawValueBox(graph, dc, SetTrackedIndex(QUERY_TRACKED_INDEX));
  }
}

void DrawSeries(CGraph &graph, HDC dc) {
  if (graph.graphKind == LINE_GRAPH_KIND) {
    DrawLineSeries(graph, dc);
  } else {
    MessageBoxA(nullptr, "No graph type to display", "", MB_OK);
  }
}

}  // namespace trendel
