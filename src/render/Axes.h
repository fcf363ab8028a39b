// The frame of a line graph: the two axis lines, the value scale along the
// vertical axis (ticks, labels, optional dotted grid), the category ticks and
// labels along the horizontal axis, and the two axis titles.
#pragma once

#include "model/CGraph.h"
#include "platform/win32.h"

#include <cstdint>
#include <string>
#include <vector>

namespace trendel {

// Which value ticks a pass draws. Tick j (0 .. count - 1) has the index
// i = j x stride, stands i x unit pixels above the category axis and is
// labelled i x valueStep + valueMin.
//  - A negative tickCount (a negative step) gives no tick at all.
//  - A tickCount that is not a finite number is taken as 0, and a tickCount
//    below 1 gives the one tick at the bottom of the scale.
//  - Ticks are drawn at every whole index up to tickCount, until they would
//    number more than the scale has pixel rows (and more than 100): then
//    only every stride-th index is drawn, so that a step of 1e-300 still
//    gives a readable scale in a bounded number of ticks.
struct ValueTicks {
  double unit = 0.0;
  double stride = 1.0;
  std::int32_t count = 0;
};

ValueTicks PlanValueTicks(double tickCount, double plotHeight);

// The labels of the value ticks, all with the same number of decimals: the
// most any label needs after its trailing zeros are removed.
std::vector<std::string> ValueLabels(const CGraph &graph, const ValueTicks &ticks);

// A category label's text origin and the right end that the crowding test
// of the next labels measures against.
struct LabelPlacement {
  std::int32_t x;
  std::int32_t y;
  std::int32_t right;
};

// A label of length characters is drawn only when the previous drawn label
// ended left of its centre minus 4 pixels per character.
bool LabelHasRoom(std::int32_t lastRight, double centre, std::size_t length);

// Where a label of length characters goes under the category centred at
// centre, for the label font's average character width.
LabelPlacement PlaceCategoryLabel(const CGraph &graph, double centre, std::size_t length,
                                  std::int32_t averageCharWidth);

// The height of both axis title fonts, decided by the title along the
// longer side of the target.
std::int32_t AxisTitleHeight(const CGraph &graph);

// Draws the frame of the graph with the layout of the current pass. The text
// colour is left black.
void DrawAxes(const CGraph &graph, HDC dc);

}  // namespace trendel
