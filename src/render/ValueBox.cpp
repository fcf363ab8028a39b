#include "ValueBox.h"

#include "GdiObjects.h"
#include "Legend.h"
#include "NumberText.h"
#include "Pixel.h"
#include "Tracking.h"

#include <algorithm>

namespace trendel {
namespace {

constexpr double HEADING_LEFT = 25.0;
constexpr double HEADING_TOP = 5.0;

void DrawHeading(HDC dc, const ValueBoxFrame &frame, const std::string &name,
                 const OwnedObject &font) {
  const Selection selection(dc, font.get());
  PutText(dc, ToPixel(frame.left + HEADING_LEFT), ToPixel(frame.top + HEADING_TOP), name);
}

}  // namespace

std::vector<std::string> ValueBoxRows(const CGraph &graph, const CGraphCategory &category) {
  std::vector<std::string> rows;
  for (std::int32_t series = 0; series < graph.seriesCount; ++series) {
    std::string row = graph.seriesNames.GetName(series) + ": ";
    const double value = category.GetValue(series);
    if (value != MISSING_VALUE) row += FormatNumber(value, TrailingZeros::Remove);
    rows.push_back(std::move(row));
  }
  return rows;
}

ValueBoxFrame PlaceValueBox(const CGraph &graph, std::size_t longestLine,
                            std::int32_t trackingMode) {
  ValueBoxFrame frame{};
  const double width = SeriesBoxWidth(static_cast<double>(longestLine), graph.legendFontSize);
  frame.bottom = graph.bottomY;
  frame.top = graph.bottomY - SeriesBoxHeight(graph.seriesCount);
  if (trackingMode == TRACKING_BOX_LEFT) {
    frame.left = graph.leftX;
    frame.right = graph.leftX + width;
  } else {
    frame.right = graph.leftX + graph.plotWidth;
    frame.left = frame.right - width;
  }
  return frame;
}

void DrawValueBox(const CGraph &graph, HDC dc, std::int32_t index) {
  if (index < 0 || static_cast<std::size_t>(index) >= graph.categoryList.size()) return;
  if (ToPixel(graph.seriesCount) < 1) return;
  const std::int32_t trackingMode = SetTrackingMode(QUERY_TRACKING_MODE);
  if (trackingMode != TRACKING_BOX_LEFT && trackingMode != TRACKING_BOX_RIGHT) return;

  const CGraphCategory &category = *graph.categoryList[static_cast<std::size_t>(index)];
  const std::vector<std::string> rows = ValueBoxRows(graph, category);
  std::size_t longestLine = category.Name().size();
  for (const std::string &row : rows) longestLine = std::max(longestLine, row.size());
  const ValueBoxFrame frame = PlaceValueBox(graph, longestLine, trackingMode);

  Rectangle(dc, ToPixel(frame.left), ToPixel(frame.top), ToPixel(frame.right),
            ToPixel(frame.bottom));
  const OwnedObject headingFont(CreateArialFont(HEADING_FONT_HEIGHT, FontWeight::Bold));
  DrawHeading(dc, frame, category.Name(), headingFont);
  for (std::size_t series = 0; series < rows.size(); ++series) {
    const double rowTop = frame.top + FIRST_ROW_OFFSET + ROW_PITCH * static_cast<double>(series);
    DrawSeriesRow(graph, dc, static_cast<std::int32_t>(series), frame.left, rowTop, rows[series]);
  }
}

}  // namespace trendel
