// The legend: a framed box at the right edge of the image, vertically
// centred, with a heading and one row per series (colour swatch and name).
#pragma once

#include "model/CGraph.h"
#include "platform/win32.h"

#include <cstdint>
#include <string_view>

namespace trendel {

// Rows of the legend and of the value box share these measures.
constexpr double ROW_PITCH = 18.0;
constexpr double FIRST_ROW_OFFSET = 25.0;
constexpr double SWATCH_LEFT = 5.0;
constexpr double SWATCH_RIGHT = 17.0;
constexpr double SWATCH_HEIGHT = 12.0;
constexpr double ROW_TEXT_OFFSET = 22.0;
constexpr std::int32_t HEADING_FONT_HEIGHT = 16;

// Height of a box with a heading line and one row per series.
double SeriesBoxHeight(double seriesCount);

// Width of a box whose longest line has that many characters, each taken as
// 0.55 times the font height wide.
double SeriesBoxWidth(double longestLine, std::int32_t fontSize);

struct LegendBox {
  double left;
  double top;
  double right;
  double bottom;
};

// Where the legend goes for the graph's current availWidth and availHeight.
LegendBox PlaceLegend(const CGraph &graph);

// Draws the legend, stores its width in legendWidth and returns its left
// edge, truncated. The frame uses the DC's current pen and brush.
std::int32_t DrawLegend(CGraph &graph, HDC dc);

// Draws one row of a series box: the text at (left + 22, top) in a new
// normal-weight font, then a swatch in the series colour.
void DrawSeriesRow(const CGraph &graph, HDC dc, std::int32_t series, double left, double top,
                   std::string_view text);

}  // namespace trendel
