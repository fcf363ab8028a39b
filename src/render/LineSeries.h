// The lines of a line graph: each series as a chain of segments from
// category to category, with an optional small circle at every point.
#pragma once

#include "model/CGraph.h"
#include "platform/win32.h"

namespace trendel {

// The y of a value on the graph's scale, in pixels from the DC's top.
//  - A value above the bottom of the scale that would lie less than one
//    pixel above the axis is lifted by the height of one value unit.
//  - A value that would lie above the top of the image is drawn 5 pixels
//    above the top of the scale instead.
// Scales that have no finite height per value unit are made drawable:
//  - an empty range (valueMax equal to valueMin) is taken as one value unit
//    high, so its values, which all equal valueMin, lie on the axis;
//  - a range wider than the largest double (-1e308 to 1e308) is measured in
//    halves of its values, which changes no position by more than rounding.
double PointY(const CGraph &graph, double value);

// PointY with the scale worked out once, for the thousands of points of a
// series; the arithmetic, and so every position, is the same.
class PointScale {
 public:
  explicit PointScale(const CGraph &graph);
  double Y(double value) const;

 private:
  double bottomY_;
  double low_;
  double range_;
  double scale_;
  bool halved_;
};

// Draws every series over the axes and records the x of every category,
// then the plot's right end, in xPositions.
void DrawLineSeries(CGraph &graph, HDC dc);

}  // namespace trendel
