// Filled shapes: Rectangle and Ellipse.
//
// Pixel rules, measured with the GDI oracle (scripts in tests/platform/reference/):
// Rectangle (rectangle.txt)
//  - With a one-pixel pen, Rectangle(l, t, r, b) paints columns l..r-1 and
//    rows t..b-1: right and bottom are exclusive. The frame is the outermost
//    ring of that area; the brush fills [l+1, r-1) x [t+1, b-1).
//  - A pen of width w covers, around a path coordinate c, the pixels
//    c - w/2 .. c - w/2 + w - 1; the frame's path runs along l..r-1 and
//    t..b-1. A width-2 frame therefore moves out by one pixel on the top and
//    left only, and the brush fills what is left inside.
//  - The frame's corners take the shape of the pen's footprint (see Lines.cpp):
//    square up to width 2, cut by one pixel for widths 3 to 5.
//  - Coordinates given in reverse order are swapped first.
// Ellipse (ellipse-sizes.txt, ellipse-large.txt, ellipse-thin.txt, ellipse-markers.txt)
//  - Ellipse(l, t, r, b) stays inside columns l..r-1 and rows t..b-1, and
//    reversed coordinates are swapped, as for Rectangle.
//  - The pixels it covers are those of GDI's midpoint walk along the curve
//    through the centres of the box's outermost pixels (EllipseWalk below),
//    each row filled between the walk's pixels. This matches every box in
//    those scripts and every box up to 24 x 24 we measured, save one fault of
//    the oracle we do not copy: above and below some tall narrow ellipses
//    (3 x 14, 3 x 18, 4 x 18, and 3 x 16 after other drawing) it paints a
//    stray row of brush colour, wider than the box, left over from earlier
//    drawing.
//  - The walk stops once it passes the centre column, so a tall narrow box
//    loses its top and bottom rows: 6 x 20 covers rows 1..18 only.
//  - With a one-pixel pen the outline is every covered pixel with an
//    uncovered neighbour above, below, left or right; the brush fills the
//    rest. The 3 x 3 marker Ellipse(x-1, y-1, x+2, y+2) is a plus sign: pen at
//    the four edge centres, brush at (x, y), corners untouched.
//  - A box 1 or 2 pixels wide or high is covered whole, in the pen colour;
//    a 1 x 1 box paints nothing.
//  - A pen of width w (ours; the oracle strokes wide outlines as polygons
//    and differs by a pixel here and there): the covered area grows like
//    Rectangle's frame, to the ellipse of the box l - w/2 .. r - w/2 + w - 1,
//    and the outline is every covered pixel at most w steps (up, down, left,
//    right) from an uncovered one.
//
// Limitations: dotted outlines, pens wider than MAX_PEN_WIDTH and ellipses
// whose covered box is more than MAX_ELLIPSE_SIDE pixels on a side are
// refused (FALSE) rather than drawn approximately; the library draws none.
#include "Shapes.h"

#include "Handles.h"
#include "Surface.h"

#include <algorithm>
#include <utility>

using namespace trendel::portable;

namespace trendel::portable {
namespace {

using Wide = __int128;

// Rows of the entry search below: a start this far before the wanted row has
// always been enough, and each retry starts this many times further back.
constexpr long long SANDWICH_ROWS = 64;

// Ellipse's outline as the midpoint walk GDI takes along it. With a = width - 1
// and b = height - 1, the curve through the centres of the box's outermost
// pixels is f(x, y) = b²(2x - a)² + a²(2y - b)² - a²b² = 0, in pixels from the
// box's top-left corner. The walk covers the lower right quarter:
//  1. It starts at the right end of the middle row, (a, height / 2).
//  2. At each pixel (x, y) it steps left when f(x - 1, y + 1) + f(x, y + 1) >= 0
//     and down when f(x - 1, y + 1) + f(x - 1, y) <= 0; when both hold it
//     steps diagonally.
//  3. It stops as soon as x is left of the centre column width / 2.
// The other quarters are its mirror images. A row is covered between the
// mirror images of its entry, the walk's first and rightmost pixel in that
// row, so entries are all that matter, and each follows from the one above
// in a few tests instead of a step per pixel: within a row the walk goes left
// until it may step down (FlatExit), and it steps left once more if it leaves
// the row diagonally.
class EllipseWalk {
 public:
  EllipseWalk(long long width, long long height)
      : a_(width - 1), b_(height - 1), centre_(width / 2), middle_(height / 2),
        aSquared_(Wide{a_} * a_), bSquared_(Wide{b_} * b_) {}

  long long middle() const { return middle_; }

  // The entry of rows the walk never reaches: left of every real entry, so
  // that Next keeps the order of its arguments.
  long long Ended() const { return centre_ - 1; }

  // Entries of the quarter rows [firstRow, endRow), middle() <= firstRow.
  std::vector<long long> Entries(long long firstRow, long long endRow) const {
    std::vector<long long> entries;
    entries.reserve(static_cast<std::size_t>(endRow - firstRow));
    long long entry = EntryOf(firstRow);
    for (long long row = firstRow; row < endRow; ++row) {
      if (row > firstRow) entry = Next(entry, row);
      entries.push_back(entry);
    }
    return entries;
  }

  // The entry of a row from the entry of the row above it.
  long long Next(long long previousEntry, long long row) const {
    const long long exitColumn = std::min(previousEntry, FlatExit(row - 1));
    if (exitColumn < centre_) return Ended();
    const long long entry = StepsLeft(exitColumn, row - 1) ? exitColumn - 1 : exitColumn;
    return entry < centre_ ? Ended() : entry;
  }

 private:
  Wide Curve(long long x, long long y) const {
    const Wide dx = 2 * Wide{x} - a_;
    const Wide dy = 2 * Wide{y} - b_;
    return bSquared_ * dx * dx + aSquared_ * dy * dy - aSquared_ * bSquared_;
  }
  bool StepsDown(long long x, long long y) const {
    return Curve(x - 1, y + 1) + Curve(x - 1, y) <= 0;
  }
  bool StepsLeft(long long x, long long y) const {
    return Curve(x - 1, y + 1) + Curve(x, y + 1) >= 0;
  }

  // The rightmost column from which the walk steps down out of `row`; an
  // entry further right walks left to it first. Right of the centre the
  // test only gets harder going right, and it never passes at column a + 1.
  long long FlatExit(long long row) const {
    if (!StepsDown(centre_ + 1, row)) return Ended();
    long long passes = centre_ + 1, fails = a_ + 1;
    while (fails - passes > 1) {
      const long long probe = passes + (fails - passes) / 2;
      (StepsDown(probe, row) ? passes : fails) = probe;
    }
    return passes;
  }

  // The entry of one quarter row. Rows near the middle follow the walk from
  // its start; for a far row two walks start a few rows earlier, one at the
  // entry the walk would have after crossing the row above it going left
  // (the true entry is never right of it) and one a column further left (the
  // true entry has never been further left than that, in every box measured
  // by the tests). Where they meet, the true walk runs with them.
  long long EntryOf(long long row) const {
    for (long long margin = SANDWICH_ROWS; row - margin > middle_; margin *= SANDWICH_ROWS) {
      long long right = Next(a_, row - margin);
      long long left = std::max(right - 1, Ended());
      for (long long next = row - margin + 1; next <= row; ++next) {
        const long long nextRight = Next(right, next);
        left = left == right ? nextRight : Next(left, next);
        right = nextRight;
      }
      if (left == right) return right;
    }
    long long entry = a_;
    for (long long next = middle_ + 1; next <= row; ++next) entry = Next(entry, next);
    return entry;
  }

  long long a_, b_;
  long long centre_;  // the walk stops left of this column
  long long middle_;  // the walk's first row
  Wide aSquared_, bSquared_;
};

// The quarter row whose mirror image is box row `row`.
long long QuarterRow(long long row, long long height) {
  return row >= height / 2 ? row : height - 1 - row;
}

}  // namespace

std::vector<Span> EllipseRows(long long width, long long height, long long firstRow,
                              long long endRow) {
  std::vector<Span> rows(static_cast<std::size_t>(std::max(0LL, endRow - firstRow)));
  const long long from = std::max(firstRow, 0LL), to = std::min(endRow, height);
  if (from >= to || (width == 1 && height == 1)) return rows;
  if (width <= 2 || height <= 2) {
    for (long long row = from; row < to; ++row) rows[row - firstRow] = {0, width};
    return rows;
  }
  const EllipseWalk walk(width, height);
  long long quarterFirst = QuarterRow(from, height), quarterLast = quarterFirst;
  for (long long row : {to - 1, std::clamp(walk.middle(), from, to - 1)}) {
    quarterFirst = std::min(quarterFirst, QuarterRow(row, height));
    quarterLast = std::max(quarterLast, QuarterRow(row, height));
  }
  const std::vector<long long> entries = walk.Entries(quarterFirst, quarterLast + 1);
  for (long long row = from; row < to; ++row) {
    const long long entry = entries[QuarterRow(row, height) - quarterFirst];
    if (entry != walk.Ended()) rows[row - firstRow] = {width - 1 - entry, entry + 1};
  }
  return rows;
}

}  // namespace trendel::portable

namespace {

// Paints a frame around the path through columns l..r-1 and rows t..b-1: the
// pen's footprint at every pixel of the path, so that its corners take the
// footprint's shape. The brush fills what the frame leaves inside.
void PaintRectangle(const Surface &surface, long long l, long long t, long long r, long long b,
                    long long penWidth, std::uint32_t penPixel, std::uint32_t brushPixel) {
  const long long before = penWidth / 2;  // pen pixels before the path coordinate
  const long long outerLeft = l - before, outerRight = r - 1 - before + penWidth;
  const long long innerLeft = outerLeft + penWidth, innerRight = outerRight - penWidth;
  const long long innerTop = t - before + penWidth, innerBottom = b - 1 - before;
  const std::vector<Span> footprint = EllipseRows(penWidth, penWidth, 0, penWidth);
  const long long firstRow = std::max(t - before, 0LL);
  const long long endRow = std::min(b - 1 - before + penWidth, 0LL + surface.height);
  for (long long y = firstRow; y < endRow; ++y) {
    if (y >= innerTop && y < innerBottom) {
      surface.FillSpan(y, outerLeft, innerLeft, penPixel);
      surface.FillSpan(y, innerLeft, innerRight, brushPixel);
      surface.FillSpan(y, innerRight, outerRight, penPixel);
      continue;
    }
    // A row of the top or bottom edge: the footprint rows that reach it from
    // the path's corners decide how far its ends are cut back.
    long long cut = penWidth;
    const long long lastFootprintRow = std::min(penWidth - 1, y - t + before);
    for (long long row = std::max(0LL, y - (b - 1) + before); row <= lastFootprintRow; ++row) {
      cut = std::min(cut, footprint[static_cast<std::size_t>(row)].left);
    }
    surface.FillSpan(y, outerLeft + cut, outerRight - cut, penPixel);
  }
}

// Special case: the 3 x 3 point marker with a one-pixel pen, which a line
// series paints at every point. It is the plus sign the walk makes of a 3 x 3
// box: outline at the four edge centres round one brush pixel (GeometryTest
// compares it with the walk at every clipping).
void PaintMarker(const Surface &surface, long long left, long long top, std::uint32_t penPixel,
                 std::uint32_t brushPixel) {
  // Special case: a marker wholly on the surface, as nearly all are, is
  // written without testing each pixel.
  if (surface.Contains(left, top) && surface.Contains(left + 2, top + 2)) {
    std::uint32_t *row = surface.Row(static_cast<int>(top)) + left;
    row[1] = penPixel;
    row += surface.pitch;
    row[0] = penPixel;
    row[1] = brushPixel;
    row[2] = penPixel;
    row += surface.pitch;
    row[1] = penPixel;
    return;
  }
  surface.Put(left + 1, top, penPixel);
  surface.Put(left, top + 1, penPixel);
  surface.Put(left + 1, top + 1, brushPixel);
  surface.Put(left + 2, top + 1, penPixel);
  surface.Put(left + 1, top + 2, penPixel);
}

// A one-pixel solid frame round the brush paints every pixel of its box, so
// when the box holds the whole target its unwritten black would only be
// covered: the bitmap's background fill at the start of a drawing pass.
void SkipUnwrittenBlackUnder(const DeviceContext &context, const Pen &pen, long long left,
                             long long top, long long right, long long bottom) {
  const Bitmap *target = TargetBitmapOf(context);
  if (target == nullptr || pen.style != PS_SOLID || PenWidth(pen) != 1) return;
  if (std::min(left, right) <= 0 && std::min(top, bottom) <= 0 &&
      std::max(left, right) >= target->width && std::max(top, bottom) >= target->height) {
    target->blackUnwritten = false;
  }
}

}  // namespace

namespace trendel::portable {

// Only the rows on the surface are computed, with penWidth rows around them
// for the outline test.
void PaintEllipse(const Surface &surface, long long left, long long top, long long right,
                  long long bottom, long long penWidth, std::uint32_t penPixel,
                  std::uint32_t brushPixel) {
  const long long firstRow = std::max(top, 0LL), endRow = std::min(bottom, 0LL + surface.height);
  if (firstRow >= endRow || right <= 0 || left >= surface.width) return;
  const long long spanFirst = firstRow - penWidth;
  const std::vector<Span> rows =
      EllipseRows(right - left, bottom - top, spanFirst - top, endRow + penWidth - top);
  for (long long y = firstRow; y < endRow; ++y) {
    const Span covered = rows[y - spanFirst];
    if (covered.IsEmpty()) continue;
    // The inside: pixels whose every neighbour within penWidth steps is covered.
    Span inside = covered;
    for (long long rowOffset = -penWidth; rowOffset <= penWidth; ++rowOffset) {
      const long long reach = penWidth - (rowOffset < 0 ? -rowOffset : rowOffset);
      const Span other = rows[y + rowOffset - spanFirst];
      inside.left = std::max(inside.left, other.left + reach);
      inside.right = std::min(inside.right, other.right - reach);
    }
    if (inside.IsEmpty()) inside = {covered.right, covered.right};
    surface.FillSpan(y, left + covered.left, left + inside.left, penPixel);
    surface.FillSpan(y, left + inside.left, left + inside.right, brushPixel);
    surface.FillSpan(y, left + inside.right, left + covered.right, penPixel);
  }
}

}  // namespace trendel::portable

BOOL Rectangle(HDC dc, int left, int top, int right, int bottom) {
  const DeviceContext *context = FindDeviceContext(dc);
  if (context == nullptr) return FALSE;
  const Pen *pen = context->penRecord;
  const Brush *brush = context->brushRecord;
  if (pen != nullptr && brush != nullptr) {
    SkipUnwrittenBlackUnder(*context, *pen, left, top, right, bottom);
  }
  const std::optional<Surface> surface = SurfaceOf(*context);
  if (pen == nullptr || brush == nullptr || !surface) return FALSE;
  const long long width = PenWidth(*pen);
  // A dotted frame is never drawn by the library; refuse it rather than guess.
  if ((pen->style != PS_SOLID && width == 1) || width > MAX_PEN_WIDTH) return FALSE;

  long long l = left, t = top, r = right, b = bottom;
  if (l > r) std::swap(l, r);
  if (t > b) std::swap(t, b);
  if (l == r || t == b) return TRUE;
  PaintRectangle(*surface, l, t, r, b, width, PixelFromColor(pen->color),
                 PixelFromColor(brush->color));
  return TRUE;
}

BOOL Ellipse(HDC dc, int left, int top, int right, int bottom) {
  const DeviceContext *context = FindDeviceContext(dc);
  if (context == nullptr) return FALSE;
  const Pen *pen = context->penRecord;
  const Brush *brush = context->brushRecord;
  const std::optional<Surface> surface = SurfaceOf(*context);
  if (pen == nullptr || brush == nullptr || !surface) return FALSE;
  // Special case: the point marker, tested before the general set-up below
  // (swapping, growing by the pen, size limits), which leaves such a box as
  // it is.
  if (pen->style == PS_SOLID && pen->width <= 1 && 0LL + right - left == 3 &&
      0LL + bottom - top == 3) {
    PaintMarker(*surface, left, top, PixelFromColor(pen->color), PixelFromColor(brush->color));
    return TRUE;
  }
  const long long width = PenWidth(*pen);
  // A dotted outline is never drawn by the library; refuse it rather than guess.
  if ((pen->style != PS_SOLID && width == 1) || width > MAX_PEN_WIDTH) return FALSE;

  long long l = left, t = top, r = right, b = bottom;
  if (l > r) std::swap(l, r);
  if (t > b) std::swap(t, b);
  if (l == r || t == b) return TRUE;
  // The covered area grows with the pen as Rectangle's frame does.
  const long long before = width / 2;
  l -= before;
  t -= before;
  r += width - 1 - before;
  b += width - 1 - before;
  if (r - l > MAX_ELLIPSE_SIDE || b - t > MAX_ELLIPSE_SIDE) return FALSE;
  const std::uint32_t penPixel = PixelFromColor(pen->color);
  const std::uint32_t brushPixel = PixelFromColor(brush->color);
  PaintEllipse(*surface, l, t, r, b, width, penPixel, brushPixel);
  return TRUE;
}
