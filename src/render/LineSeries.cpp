// Series are drawn in index order, category by category, so higher series
// paint over lower ones. At each point: the segment from the previous point
// (when both have a value), then the marker, which the next segment may
// partly cover. A missing value breaks the line on both sides.
//
// A brush is made for every point and a pen for every segment: nothing is
// cached from one point to the next.
#include "LineSeries.h"

#include "GdiObjects.h"
#include "Layout.h"
#include "Pixel.h"
#include "model/PointMarkers.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace trendel {
namespace {

// No previous point: the previous category had no value, or there was none.
constexpr double NO_POINT = -1.0;
constexpr std::int32_t QUERY_POINT_MARKERS = -1;

struct Point {
  double x;
  double y;
};

// The marker is a 3 x 3 circle around the point, filled with the point's
// brush and outlined with the DC's default black pen, not the series pen.
void DrawMarker(HDC dc, const Point &point) {
  Ellipse(dc, ToPixel(point.x - 1), ToPixel(point.y - 1), ToPixel(point.x + 2),
          ToPixel(point.y + 2));
}

void DrawSeriesSegment(HDC dc, COLORREF color, const Point &from, const Point &to) {
  const OwnedObject pen(CreateSolidPen(color));
  const Selection selection(dc, pen.get());
  DrawSegment(dc, ToPixel(from.x), ToPixel(from.y), ToPixel(to.x), ToPixel(to.y));
}

// The most values one gathering holds (4 MB): every series of a large chart
// at once, and of a larger one as many series as fit.
constexpr std::size_t GATHERED_VALUES_LIMIT = std::size_t{1} << 19;

// The values of up to `groupSize` series from `firstSeries` on, series by
// series: values[row * categoryCount + k - 1] for series firstSeries + row.
// They are read category by category in a loop of their own before any is
// drawn, so that a category's points come from memory once for the whole
// group. Read for one series at a time, each value was two pointers away in
// its category and waited on memory in turn, once for every series.
void GatherValues(const CGraph &graph, std::int32_t firstSeries, std::int32_t groupSize,
                  std::vector<double> &values) {
  std::int32_t rows = 0;
  while (rows < groupSize && firstSeries + rows < graph.seriesCount) ++rows;
  const std::size_t categoryCount = graph.categoryList.size();
  values.resize(static_cast<std::size_t>(rows) * categoryCount);
  for (std::size_t k = 0; k < categoryCount; ++k) {
    const CGraphCategory &category = *graph.categoryList[k];
    for (std::int32_t row = 0; row < rows; ++row) {
      values[static_cast<std::size_t>(row) * categoryCount + k] =
          category.GetValue(firstSeries + row);
    }
  }
}

void DrawOneSeries(const CGraph &graph, HDC dc, std::int32_t series, bool markersShown,
                   std::vector<std::int32_t> &positions, const double *values) {
  const auto categoryCount = static_cast<std::int64_t>(graph.categoryList.size());
  const COLORREF color = graph.GetSeriesColor(series);
  const double spacing = SlotSpacing(categoryCount, graph.plotWidth);
  const PointScale scale(graph);
  Point previous{0.0, 0.0};
  for (std::int64_t k = 1; k <= categoryCount; ++k) {
    const double value = values[k - 1];
    const bool present = value != MISSING_VALUE;
    const Point point{SlotCentreAt(k, spacing, graph.leftX), scale.Y(value)};
    if (series == 0) positions.push_back(ToPixel(point.x));

    const OwnedObject brush(CreateSolidBrush(color));
    const Selection selection(dc, brush.get());
    if (k > 1 && previous.y >= 0 && present) DrawSeriesSegment(dc, color, previous, point);
    if (markersShown && present) DrawMarker(dc, point);
    previous = present ? point : Point{NO_POINT, NO_POINT};
  }
}

}  // namespace

PointScale::PointScale(const CGraph &graph) : bottomY_(graph.bottomY) {
  low_ = graph.valueMin;
  double high = graph.valueMax;
  halved_ = std::isinf(high - low_);
  if (halved_) {
    low_ *= 0.5;
    high *= 0.5;
  }
  range_ = high == low_ ? 1.0 : high - low_;
  scale_ = (graph.plotHeight - 10) / range_;
}

double PointScale::Y(double value) const {
  if (halved_) value *= 0.5;
  double height = (value - low_) * scale_;
  if (value - low_ > 0 && height < 1) height = scale_;
  if (height > bottomY_) height = range_ * scale_ + 5;
  return bottomY_ - height;
}

double PointY(const CGraph &graph, double value) { return PointScale(graph).Y(value); }

// The category positions are gathered aside and replace the graph's when
// the series are drawn, so that a pass that runs out of memory half way
// leaves mouse tracking the positions of the last whole pass.
void DrawLineSeries(CGraph &graph, HDC dc) {
  std::vector<std::int32_t> positions;
  std::vector<double> values;
  const bool markersShown = SetPointMarkers(QUERY_POINT_MARKERS) != 0;
  const std::size_t categoryCount = graph.categoryList.size();
  const auto groupSize = static_cast<std::int32_t>(std::clamp<std::size_t>(
      GATHERED_VALUES_LIMIT / std::max<std::size_t>(categoryCount, 1), 1, GATHERED_VALUES_LIMIT));
  for (std::int32_t series = 0; series < graph.seriesCount; ++series) {
    const std::int32_t row = series % groupSize;
    if (row == 0) GatherValues(graph, series, groupSize, values);
    DrawOneSeries(graph, dc, series, markersShown, positions,
                  values.data() + static_cast<std::size_t>(row) * categoryCount);
    if (series == 0) positions.push_back(ToPixel(graph.leftX + graph.plotWidth));
  }
  graph.xPositions.swap(positions);
}

}  // namespace trendel
