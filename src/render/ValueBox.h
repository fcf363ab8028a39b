// The value box of mouse tracking: the tracked category's label and, per
// series, a swatch and "name: value", in a framed box standing on the
// category axis at the end of the plot away from the pointer.
#pragma once

#include "model/CGraph.h"
#include "platform/win32.h"

#include <cstdint>
#include <string>
#include <vector>

namespace trendel {

// The row texts of a category: the series name, ": ", and the value without
// trailing zeros; a missing value leaves the text ending in ": ".
std::vector<std::string> ValueBoxRows(const CGraph &graph, const CGraphCategory &category);

struct ValueBoxFrame {
  double left;
  double top;
  double right;
  double bottom;
};

// The box for a longest line of that many characters (the category label
// counted too, although it is drawn in the larger heading font), at the
// left end of the plot for TRACKING_BOX_LEFT and the right end otherwise.
ValueBoxFrame PlaceValueBox(const CGraph &graph, std::size_t longestLine,
                            std::int32_t trackingMode);

// Draws the box for the category at that index; nothing for an index
// outside the category list, a graph without series, or no tracking.
void DrawValueBox(const CGraph &graph, HDC dc, std::int32_t index);

}  // namespace trendel
