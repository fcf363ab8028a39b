// What Shapes.cpp and Lines.cpp share: the pen widths they accept, and the
// ellipse rows that Ellipse fills and that wide pens use as their footprint.
#pragma once

#include "Objects.h"
#include "Surface.h"

#include <vector>

namespace trendel::portable {

// Widths 0 and 1 both draw one pixel wide.
inline long long PenWidth(const Pen &pen) { return pen.width < 1 ? 1 : pen.width; }

// The widest pen Ellipse and LineTo draw with. A wide pen costs its width in
// spans for every pixel of a line; the library's widest pen is 2.
constexpr long long MAX_PEN_WIDTH = 1000;

// Columns [left, right) of one row; empty when left >= right.
struct Span {
  long long left = 0;
  long long right = 0;
  bool IsEmpty() const { return left >= right; }
};

// The largest box side EllipseRows accepts. Its integer curve needs about
// four times as many bits as a side, and 128-bit arithmetic holds sides up to
// this one.
constexpr long long MAX_ELLIPSE_SIDE = 1LL << 30;

// The pixels an ellipse with a one-pixel pen covers (outline and inside
// together) in a width x height box, 1 <= width, height <= MAX_ELLIPSE_SIDE:
// the spans of the box rows [firstRow, endRow), relative to the box's left
// column. Rows outside the box are empty. The cost grows with the number of
// rows asked for, not with the size of the box.
std::vector<Span> EllipseRows(long long width, long long height, long long firstRow,
                              long long endRow);

// Paints an ellipse whose covered area fills the box [left, right) x [top,
// bottom), with an outline penWidth pixels thick, by the rows of EllipseRows.
// Ellipse takes this path for every box but the 3 x 3 marker with a one-pixel
// pen given left to right and top to bottom.
void PaintEllipse(const Surface &surface, long long left, long long top, long long right,
                  long long bottom, long long penWidth, std::uint32_t penPixel,
                  std::uint32_t brushPixel);

}  // namespace trendel::portable
