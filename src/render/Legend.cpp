#include "Legend.h"

#include "GdiObjects.h"
#include "Pixel.h"

namespace trendel {
namespace {

constexpr double LEGEND_RIGHT_MARGIN = 5.0;
constexpr double HEADING_TOP = 3.0;

// The heading is centred on the box by the heading font's average character
// width plus one, an allowance for the bold face. A heading wider than the
// box starts left of it and is not clipped.
void DrawHeading(const CGraph &graph, HDC dc, const LegendBox &box, const OwnedObject &font) {
  const Selection selection(dc, font.get());
  const double characterWidth = AverageCharWidth(dc) + 1.0;
  const auto length = static_cast<double>(graph.legendTitle.size());
  const double x = (graph.legendWidth - characterWidth * length) * 0.5 + box.left;
  PutText(dc, ToPixel(x), ToPixel(box.top + HEADING_TOP), graph.legendTitle);
}

}  // namespace

double SeriesBoxHeight(double seriesCount) { return seriesCount * ROW_PITCH + 26.0; }

double SeriesBoxWidth(double longestLine, std::int32_t fontSize) {
  return longestLine * (fontSize * 0.55) + 25.0;
}

LegendBox PlaceLegend(const CGraph &graph) {
  LegendBox box{};
  const double height = SeriesBoxHeight(graph.seriesCount);
  box.top = graph.availHeight * 0.5 - height * 0.5;
  box.bottom = box.top + height;
  box.right = graph.availWidth - LEGEND_RIGHT_MARGIN;
  box.left = box.right - SeriesBoxWidth(graph.seriesNames.GetMaxNameLength(), graph.legendFontSize);
  return box;
}

void DrawSeriesRow(const CGraph &graph, HDC dc, std::int32_t series, double left, double top,
                   std::string_view text) {
  const OwnedObject font(CreateArialFont(graph.legendFontSize, FontWeight::Normal));
  {
    const Selection selection(dc, font.get());
    PutText(dc, ToPixel(left + ROW_TEXT_OFFSET), ToPixel(top), text);
  }
  const OwnedObject swatch(CreateSolidBrush(graph.GetSeriesColor(series)));
  const Selection selection(dc, swatch.get());
  Rectangle(dc, ToPixel(left + SWATCH_LEFT), ToPixel(top), ToPixel(left + SWATCH_RIGHT),
            ToPixel(top + SWATCH_HEIGHT));
}

std::int32_t DrawLegend(CGraph &graph, HDC dc) {
  const LegendBox box = PlaceLegend(graph);
  graph.legendWidth = box.right - box.left;
  Rectangle(dc, ToPixel(box.left), ToPixel(box.top), ToPixel(box.right), ToPixel(box.bottom));

  const OwnedObject headingFont(CreateArialFont(HEADING_FONT_HEIGHT, FontWeight::Bold));
  DrawHeading(graph, dc, box, headingFont);
  for (std::int32_t series = 0; series < graph.seriesCount; ++series) {
    const double rowTop = box.top + FIRST_ROW_OFFSET + ROW_PITCH * series;
    DrawSeriesRow(graph, dc, series, box.left, rowTop, graph.seriesNames.GetName(series));
  }
  return ToPixel(box.left);
}

}  // namespace trendel
