#include "Layout.h"

#include "NumberText.h"
#include "Pixel.h"

namespace trendel {
namespace {

// Space left free of drawing at the right and bottom of the target.
constexpr double RIGHT_RESERVE = 5.0;
constexpr double BOTTOM_RESERVE = 20.0;
// The plot starts this far below the top of the target, under the title.
constexpr double PLOT_TOP = 40.0;

}  // namespace

void LayOutMargins(CGraph &graph, std::int32_t width, std::int32_t height) {
  graph.availHeight = height - BOTTOM_RESERVE;
  graph.availWidth = width - RIGHT_RESERVE;
  const auto valueMaxLength =
      static_cast<std::int64_t>(FormatNumber(graph.valueMax, TrailingZeros::Keep).size());
  graph.leftX = static_cast<double>(graph.valueFontSize / 2 * valueMaxLength + 50);
  if (graph.labelAngle == 0.0) {
    graph.bottomY = ToPixel(graph.availHeight - 50);
  } else {
    // Rotated labels hang below the axis as deep as the category axis title
    // is long: the same estimate DrawAxes places them by.
    const double labelDepth = (graph.categoryFontSize / 2) * graph.categoryTitleLength;
    graph.bottomY = ToPixel(graph.availHeight - 5 - labelDepth - 10);
  }
  graph.plotHeight = graph.bottomY - PLOT_TOP;
  graph.plotWidth = graph.availWidth - RIGHT_RESERVE - graph.leftX;
}

void FitPlotBesideLegend(CGraph &graph, std::int32_t legendLeft) {
  graph.plotWidth = legendLeft - 10 - graph.leftX;
}

void LayOutHitArea(CGraph &graph) {
  graph.plotLeft = ToPixel(graph.leftX);
  graph.plotRight = ToPixel(graph.plotLeft + graph.plotWidth);
  graph.plotTop = ToPixel(graph.bottomY - graph.plotHeight);
  graph.trackHeight = ToPixel(static_cast<double>(graph.bottomY) - graph.plotTop - 3);
}

std::int32_t FitTitleHeight(std::int32_t startHeight, std::size_t length, double limit) {
  if (length == 0) return startHeight;
  // With a text of at least one character and a limit no lower than the
  // smallest target gives (-20), this ends within a few dozen steps.
  const auto characters = static_cast<double>(length);
  std::int32_t height = startHeight;
  while (characters * height * 0.5 > limit) height -= 2;
  return height;
}

double SlotSpacing(std::int64_t count, double plotWidth) {
  return plotWidth / static_cast<double>(count);
}

double SlotCentreAt(std::int64_t k, double spacing, double leftX) {
  return static_cast<double>(k) * spacing - spacing * 0.5 + leftX;
}

double SlotCentre(std::int64_t k, std::int64_t count, double plotWidth, double leftX) {
  return SlotCentreAt(k, SlotSpacing(count, plotWidth), leftX);
}

}  // namespace trendel
