// DrawAxes, in order:
//   1. the text colour becomes black (and stays so);
//   2. the two axis lines, 2 pixels wide;
//   3. the axis titles: the value title upwards along the left edge, the
//      category title centred under the plot, both in one fitted height;
//   4. the value scale from the bottom up: a tick into the plot, a dotted
//      grid line (not on the category axis itself), and the label, each label
//      in a font of its own;
//   5. the category ticks and labels from left to right, leaving out labels
//      that would run into the previous drawn one;
//   6. the axis pen and the title fonts are released.
// Ticks are drawn with the pen the DC had when the pass began.
#include "Axes.h"

#include "GdiObjects.h"
#include "Layout.h"
#include "NumberText.h"
#include "Pixel.h"

#include <algorithm>
#include <cmath>

namespace trendel {
namespace {

constexpr COLORREF TEXT_COLOR = RGB(0, 0, 0);
constexpr COLORREF AXIS_COLOR = RGB(0, 0, 0);
constexpr COLORREF GRID_COLOR = RGB(128, 128, 128);
constexpr std::int32_t AXIS_WIDTH = 2;
constexpr std::int32_t AXIS_TITLE_START_HEIGHT = 16;
constexpr std::int32_t VERTICAL = 900;
// The value scale leaves this many pixels free at the top of the plot.
constexpr double SCALE_HEADROOM = 10.0;
// Bounds of the tick thinning: at least this many ticks are always drawn
// one by one, and no pass draws more than the most.
constexpr double FEWEST_TICKS_THINNED = 100.0;
constexpr double MOST_TICKS = 100000.0;
// The crowding test takes every character of a category label as this wide.
constexpr std::int64_t CROWDING_CHARACTER_WIDTH = 8;

// A vertical tick of that height standing on the category axis at x.
void DrawCategoryTick(HDC dc, std::int32_t x, std::int32_t bottomY, double height) {
  DrawSegment(dc, x, ToPixel(bottomY - height), x, bottomY);
}

void DrawAxisLines(const CGraph &graph, HDC dc, const OwnedObject &pen) {
  const Selection selection(dc, pen.get());
  const std::int32_t axisX = ToPixel(graph.leftX);
  DrawSegment(dc, axisX, graph.bottomY, axisX, ToPixel(graph.bottomY - graph.plotHeight));
  DrawSegment(dc, axisX, graph.bottomY, ToPixel(graph.plotWidth + graph.leftX), graph.bottomY);
}

// The value title runs upwards from its start, centred on the middle of the
// value axis; the category title is centred under the plot, 11 pixels above
// availHeight.
void DrawAxisTitles(const CGraph &graph, HDC dc, const OwnedObject &horizontalFont,
                    const OwnedObject &verticalFont) {
  {
    const Selection selection(dc, verticalFont.get());
    const double length = static_cast<double>(graph.valueAxisTitle.size());
    const double y = graph.bottomY - graph.plotHeight * 0.5 + length * AverageCharWidth(dc) * 0.5;
    PutText(dc, 10, ToPixel(y), graph.valueAxisTitle);
  }
  const Selection selection(dc, horizontalFont.get());
  const auto halfLength = static_cast<double>(graph.categoryAxisTitle.size() / 2);
  const double x = graph.plotWidth * 0.5 + graph.leftX - halfLength * AverageCharWidth(dc);
  PutText(dc, ToPixel(x), ToPixel(graph.availHeight - 5 - 6), graph.categoryAxisTitle);
}

// Tick, grid line and label of one value tick. Labels end about 10 pixels
// left of the axis, taking each character as half the font height wide.
void DrawValueTick(const CGraph &graph, HDC dc, double index, double y,
                   const std::string &label) {
  const std::int32_t axisX = ToPixel(graph.leftX);
  const std::int32_t row = ToPixel(y);
  DrawSegment(dc, axisX, row, ToPixel(graph.leftX + 3), row);
  // The grid line of the bottom tick would lie on the category axis.
  if (graph.showGrid && index != 0.0) {
    const OwnedObject pen(CreatePen(PS_DOT, 1, GRID_COLOR));
    const Selection selection(dc, pen.get());
    DrawSegment(dc, axisX, row, ToPixel(graph.plotWidth + graph.leftX), row);
  }
  const OwnedObject font(CreateArialFont(graph.valueFontSize, FontWeight::Bold));
  const Selection selection(dc, font.get());
  const double labelWidth = static_cast<double>(label.size()) * (graph.valueFontSize / 2);
  PutText(dc, ToPixel(graph.leftX - 10 - labelWidth), ToPixel(y - 9), label);
}

void DrawValueScale(const CGraph &graph, HDC dc) {
  const ValueTicks ticks = PlanValueTicks(graph.tickCount, graph.plotHeight);
  // Every label is known before the first is drawn: they share their decimals.
  const std::vector<std::string> labels = ValueLabels(graph, ticks);
  for (std::int32_t tick = 0; tick < ticks.count; ++tick) {
    const double index = tick * ticks.stride;
    const double y = graph.bottomY - index * ticks.unit;
    DrawValueTick(graph, dc, index, y, labels[static_cast<std::size_t>(tick)]);
  }
}

// The label font is made anew for every drawn label, rotated by labelAngle.
// Returns the right end of the drawn label.
std::int32_t DrawCategoryLabel(const CGraph &graph, HDC dc, double centre,
                               const std::string &label) {
  const OwnedObject font(CreateArialFont(graph.categoryFontSize, FontWeight::Bold,
                                         ToPixel(graph.labelAngle * 10)));
  const Selection selection(dc, font.get());
  const LabelPlacement placement =
      PlaceCategoryLabel(graph, centre, label.size(), AverageCharWidth(dc));
  PutText(dc, placement.x, placement.y, label);
  return placement.right;
}

// Every category gets a tick; one with a drawn label gets three, the middle
// one taller.
void DrawCategoryAxis(const CGraph &graph, HDC dc) {
  const auto categoryCount = static_cast<std::int64_t>(graph.categoryList.size());
  std::int32_t lastRight = -1;
  for (std::int64_t k = 1; k <= categoryCount; ++k) {
    const std::string &label = graph.categoryList[static_cast<std::size_t>(k - 1)]->Name();
    const double centre = SlotCentre(k, categoryCount, graph.plotWidth, graph.leftX);
    if (!LabelHasRoom(lastRight, centre, label.size())) {
      DrawCategoryTick(dc, ToPixel(centre), graph.bottomY, 3);
      continue;
    }
    DrawCategoryTick(dc, ToPixel(centre), graph.bottomY, 5);
    DrawCategoryTick(dc, ToPixel(centre - 1), graph.bottomY, 3);
    DrawCategoryTick(dc, ToPixel(centre + 1), graph.bottomY, 3);
    lastRight = DrawCategoryLabel(graph, dc, centre, label);
  }
}

}  // namespace

ValueTicks PlanValueTicks(double tickCount, double plotHeight) {
  ValueTicks ticks;
  if (tickCount < 0) return ticks;
  const double steps = std::isfinite(tickCount) ? tickCount : 0.0;
  const double scaleRows = std::floor(std::fabs(plotHeight - SCALE_HEADROOM));
  const double mostTicks = std::clamp(scaleRows, FEWEST_TICKS_THINNED, MOST_TICKS);
  if (std::floor(steps) > mostTicks) ticks.stride = std::ceil(steps / mostTicks);
  ticks.count = ToPixel(std::floor(steps / ticks.stride)) + 1;
  // With a single tick there is no distance to divide, and a tickCount
  // near 0 would make it infinite.
  if (ticks.count > 1) ticks.unit = (plotHeight - SCALE_HEADROOM) / steps;
  return ticks;
}

std::vector<std::string> ValueLabels(const CGraph &graph, const ValueTicks &ticks) {
  std::vector<std::string> labels;
  std::size_t mostDecimals = 0;
  for (std::int32_t tick = 0; tick < ticks.count; ++tick) {
    const double value = tick * ticks.stride * graph.valueStep + graph.valueMin;
    labels.push_back(FormatNumber(value, TrailingZeros::Remove));
    const std::size_t point = labels.back().find('.');
    if (point != std::string::npos) {
      mostDecimals = std::max(mostDecimals, labels.back().size() - point - 1);
    }
  }
  if (mostDecimals == 0) return labels;
  const auto decimals = static_cast<std::int32_t>(mostDecimals);
  for (std::string &label : labels) {
    const std::size_t point = label.find('.');
    if (point == std::string::npos) {
      label += "." + RepeatString("0", decimals);
    } else {
      label += RepeatString("0", decimals - static_cast<std::int32_t>(label.size() - point - 1));
    }
  }
  return labels;
}

bool LabelHasRoom(std::int32_t lastRight, double centre, std::size_t length) {
  const auto halfWidth = static_cast<std::int64_t>(length) * CROWDING_CHARACTER_WIDTH / 2;
  return lastRight < centre - static_cast<double>(halfWidth);
}

LabelPlacement PlaceCategoryLabel(const CGraph &graph, double centre, std::size_t length,
                                  std::int32_t averageCharWidth) {
  const double width = static_cast<double>(static_cast<std::int64_t>(length) * averageCharWidth);
  if (graph.labelAngle == 0.0) {
    const double left =
        centre - static_cast<double>(static_cast<std::int64_t>(length) * averageCharWidth / 2);
    return {ToPixel(left), ToPixel(graph.bottomY + 8.0), ToPixel(left + width)};
  }
  if (graph.labelAngle < 180.0) {
    // Turned labels hang as deep below the axis as the category axis title
    // is long, the depth the layout reserved for them.
    const double depth = averageCharWidth * graph.categoryTitleLength;
    return {ToPixel(centre - 8), ToPixel(depth + graph.bottomY), ToPixel(width + centre - 8)};
  }
  return {ToPixel(centre + 2), graph.bottomY, ToPixel(width + centre + 2)};
}

std::int32_t AxisTitleHeight(const CGraph &graph) {
  if (graph.availWidth > graph.availHeight) {
    return FitTitleHeight(AXIS_TITLE_START_HEIGHT, graph.valueAxisTitle.size(), graph.availHeight);
  }
  return FitTitleHeight(AXIS_TITLE_START_HEIGHT, graph.categoryAxisTitle.size(), graph.availWidth);
}

void DrawAxes(const CGraph &graph, HDC dc) {
  SetTextColor(dc, TEXT_COLOR);
  OwnedObject axisPen(CreatePen(PS_SOLID, AXIS_WIDTH, AXIS_COLOR));
  DrawAxisLines(graph, dc, axisPen);

  const std::int32_t titleHeight = AxisTitleHeight(graph);
  OwnedObject horizontalFont(CreateArialFont(titleHeight, FontWeight::Bold));
  OwnedObject verticalFont(CreateArialFont(titleHeight, FontWeight::Bold, VERTICAL));
  DrawAxisTitles(graph, dc, horizontalFont, verticalFont);

  DrawValueScale(graph, dc);
  DrawCategoryAxis(graph, dc);

  axisPen.Delete();
  horizontalFont.Delete();
  verticalFont.Delete();
}

}  // namespace trendel
