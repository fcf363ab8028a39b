// One drawing pass of a graph into a device context.
#pragma once

#include "model/CGraph.h"
#include "platform/win32.h"

namespace trendel {

// Paints the whole graph into the device context and stores the layout of
// the pass in the graph. W and H come from the area rectangle, or from the
// client rectangle of the DC's window when there is none; positions are
// measured from the DC's origin. A rectangle given in reverse counts as
// empty.
void Draw(CGraph &graph, HDC dc, const RECT *area);

// Draws the series of the graph's kind: the lines of a line graph. Any other
// kind has nothing to draw and says so in a message box.
void DrawSeries(CGraph &graph, HDC dc);

// The height of the title font for a title of that many characters.
std::int32_t TitleFontHeight(std::size_t titleLength, double availWidth);

}  // namespace trendel
