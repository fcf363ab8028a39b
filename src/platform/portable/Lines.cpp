// Straight lines: MoveToEx and LineTo.
//
// Pixel rules, measured with the GDI oracle (scripts in tests/platform/reference/):
//  - A one-pixel line (PS_SOLID, width 0 or 1) takes one pixel per step
//    along its major axis, the one with the larger extent. It paints its start
//    pixel and not its end pixel, in every direction; a zero-length line
//    paints nothing. In a polyline each corner is painted as the start of the
//    next segment (lines-width1.txt).
//  - At step i the minor coordinate is the ideal line's, rounded to the
//    nearest pixel; a tie goes to the smaller coordinate in all eight
//    directions (lines-ties.txt). A line and its reverse can differ.
//  - Clipping changes nothing: a line from far outside paints exactly the
//    pixels of its visible part (lines-far.txt). The oracle keeps to this for
//    lines shorter than 2^28 pixels; longer ones overflow its arithmetic, and
//    we keep the exact line.
//  - PS_DOT with width 0 or 1 paints 3 pixels on, 3 off, counted in steps
//    from the start of every LineTo, also inside a polyline and whatever the
//    direction. In OPAQUE background mode the off pixels get the background
//    colour; otherwise they are left alone (lines-dot.txt).
//  - A pen of width w >= 2 paints, at every pixel of the one-pixel path and
//    at its end pixel too, the pixels Ellipse covers in the w x w box whose
//    top-left corner is (x - w/2, y - w/2): a 2 x 2 block for width 2, a plus
//    sign for width 3. PS_DOT wider than 1 draws solid. For horizontal and
//    vertical lines that is the oracle's shape pixel for pixel: width 2
//    covers rows y-1 and y and columns x1-1..x2, whatever the direction, and a
//    zero-length line paints a 2 x 2 dot (lines-wide.txt). Sloped wide lines
//    are ours: the oracle strokes them as polygons, a pixel wider or narrower
//    here and there.
//
// Limitations: pens wider than MAX_PEN_WIDTH are refused (FALSE); the
// library's widest pen is 2.
#include "Handles.h"
#include "Shapes.h"
#include "Surface.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <vector>

using namespace trendel::portable;

namespace {

using Wide = __int128;

constexpr long long DOT_RUN = 3;  // PS_DOT: pixels on, then as many off

// How far ahead a solid line's walk asks for the memory it will write
// (PaintSolidLineOn); the best of 3, 6 and 12 on the large chart.
constexpr std::intptr_t PREFETCH_STEPS = 12;

// Lines shorter than this many steps keep every product of MinorAt below
// 2^62, so that plain 64-bit arithmetic gives the exact result: a series
// segment, for one, is a few pixels long and should not pay for a 128-bit
// division. Longer lines, up to the int32 range end to end, take 128 bits.
constexpr long long SHORT_LINE_STEPS = 1LL << 30;

template <typename Integer>
Integer FloorDivide(Integer numerator, Integer denominator) {
  const Integer quotient = numerator / denominator;
  return quotient * denominator > numerator ? quotient - 1 : quotient;
}

// The pixels of a one-pixel line, step by step. Step i lies i pixels from the
// start along the major axis; its minor coordinate is the ideal one rounded
// to nearest with ties to the smaller, which is
// minorStart + floor((2 * minorDelta * i + length - 1) / (2 * length)).
struct LinePath {
  LinePath(long long fromX, long long fromY, long long toX, long long toY) {
    const long long deltaX = toX - fromX, deltaY = toY - fromY;
    xMajor = std::llabs(deltaX) >= std::llabs(deltaY);
    majorStart = xMajor ? fromX : fromY;
    minorStart = xMajor ? fromY : fromX;
    const long long majorDelta = xMajor ? deltaX : deltaY;
    majorDirection = majorDelta < 0 ? -1 : 1;
    length = std::llabs(majorDelta);
    minorDelta = xMajor ? deltaY : deltaX;
  }

  long long MajorAt(long long step) const { return majorStart + majorDirection * step; }
  long long MinorAt(long long step) const {
    if (length == 0) return minorStart;
    if (length < SHORT_LINE_STEPS) {
      return minorStart + FloorDivide(2 * minorDelta * step + length - 1, 2 * length);
    }
    return minorStart + static_cast<long long>(FloorDivide(
                            2 * Wide{minorDelta} * step + length - 1, 2 * Wide{length}));
  }

  bool xMajor = true;
  long long majorStart = 0, minorStart = 0;
  long long majorDirection = 1;
  long long length = 0;  // steps along the major axis
  long long minorDelta = 0;
};

// An inclusive range of steps.
struct Steps {
  long long first;
  long long last;
};

// The steps of `path` in [first, last] whose pixels lie in the inclusive box
// [low, high] on both axes (given as major and minor bounds). The major
// coordinate moves one pixel a step; the minor one never turns back, so its
// bounds are found by bisection.
std::optional<Steps> StepsInside(const LinePath &path, Steps steps, long long majorLow,
                                 long long majorHigh, long long minorLow, long long minorHigh) {
  // Steps whose major coordinate is inside.
  const long long stepsToLow = (majorLow - path.majorStart) * path.majorDirection;
  const long long stepsToHigh = (majorHigh - path.majorStart) * path.majorDirection;
  steps.first = std::max(steps.first, std::min(stepsToLow, stepsToHigh));
  steps.last = std::min(steps.last, std::max(stepsToLow, stepsToHigh));
  if (steps.first > steps.last) return std::nullopt;

  const bool rising = path.minorDelta >= 0;
  // The first step at or after `from` whose minor coordinate passes the
  // test, or last + 1.
  const auto firstPassing = [&](long long from, auto test) {
    long long before = from - 1, after = steps.last + 1;
    while (after - before > 1) {
      const long long probe = before + (after - before) / 2;
      (test(path.MinorAt(probe)) ? after : before) = probe;
    }
    return after;
  };
  const auto reached = [&](long long minor) { return rising ? minor >= minorLow : minor <= minorHigh; };
  const auto passed = [&](long long minor) { return rising ? minor > minorHigh : minor < minorLow; };
  if (!reached(path.MinorAt(steps.first))) steps.first = firstPassing(steps.first, reached);
  if (passed(path.MinorAt(steps.last))) steps.last = firstPassing(steps.first, passed) - 1;
  if (steps.first > steps.last) return std::nullopt;
  return steps;
}

// Calls paint(step, x, y) for every step in `steps`, keeping the minor
// coordinate with an error term instead of dividing at every step.
template <typename Paint>
void WalkSteps(const LinePath &path, Steps steps, Paint paint) {
  if (path.length == 0) {
    paint(0, path.majorStart, path.minorStart);  // a wide pen's dot; zero-length paths are x-major
    return;
  }
  const long long twiceLength = 2 * path.length;
  const long long twiceDelta = 2 * path.minorDelta;
  long long minor = path.MinorAt(steps.first);
  // 2 * minorDelta * step + length - 1 - 2 * length * (minor - minorStart), in [0, twiceLength).
  long long remainder = static_cast<long long>(
      2 * Wide{path.minorDelta} * steps.first + path.length - 1 -
      Wide{twiceLength} * (minor - path.minorStart));
  for (long long step = steps.first; step <= steps.last; ++step) {
    const long long major = path.MajorAt(step);
    paint(step, path.xMajor ? major : minor, path.xMajor ? minor : major);
    remainder += twiceDelta;
    if (remainder >= twiceLength) {
      remainder -= twiceLength;
      ++minor;
    } else if (remainder < 0) {
      remainder += twiceLength;
      --minor;
    }
  }
}

std::optional<Steps> VisibleSteps(const LinePath &path, Steps steps, const Surface &surface,
                                  long long margin) {
  const long long xHigh = surface.width - 1 + margin, yHigh = surface.height - 1 + margin;
  return path.xMajor ? StepsInside(path, steps, -margin, xHigh, -margin, yHigh)
                     : StepsInside(path, steps, -margin, yHigh, -margin, xHigh);
}

// What a dotted line paints between its dots: the background colour in
// OPAQUE mode, nothing otherwise.
std::optional<std::uint32_t> GapPixel(const DeviceContext &context) {
  if (context.backgroundMode != OPAQUE) return std::nullopt;
  return PixelFromColor(context.backgroundColor);
}

// Special case: a solid one-pixel line whose ends lie on the surface, as
// nearly every series segment does; every pixel between them does too, since
// a minor coordinate never leaves the range of its ends. It needs no
// clipping, and its set-up works on the two points directly, not through a
// LinePath: a series segment is a dozen pixels, and the general set-up cost
// as much as its walk. The walk moves a pointer, a row or column a step. Its
// error term is WalkSteps' from step 0 on, mirrored for a falling minor
// coordinate (2 * length - 1 - remainder), so that it only ever grows and
// one test a step finds the minor moves. The pointer ends on the end pixel,
// which is on the surface too and which no earlier step reaches, so the walk
// runs until the pointer gets there.
//
// A steep segment writes each pixel in another row, so nearly every write
// misses the first-level cache, and the writes waited on each other in turn.
// Each step therefore asks for the row PREFETCH_STEPS further on (give or
// take a column) ahead of its write. The address is worked out as an integer
// because it may lie past the line, or past the surface, where a prefetch
// touches nothing.
void PaintSolidLineOn(const Surface &surface, POINT from, POINT to, std::uint32_t pixel) {
  const std::ptrdiff_t deltaX = to.x - from.x, deltaY = to.y - from.y;
  const std::ptrdiff_t lengthX = deltaX < 0 ? -deltaX : deltaX;
  const std::ptrdiff_t lengthY = deltaY < 0 ? -deltaY : deltaY;
  const std::ptrdiff_t stepX = deltaX < 0 ? -1 : 1;
  const std::ptrdiff_t stepY = deltaY < 0 ? -surface.pitch : surface.pitch;
  const bool xMajor = lengthX >= lengthY;
  const std::ptrdiff_t length = xMajor ? lengthX : lengthY;
  const std::ptrdiff_t majorStride = xMajor ? stepX : stepY;
  const std::ptrdiff_t minorStride = xMajor ? stepY : stepX;
  const bool falling = (xMajor ? deltaY : deltaX) < 0;
  const std::ptrdiff_t twiceLength = 2 * length;
  const std::ptrdiff_t twiceRise = 2 * (xMajor ? lengthY : lengthX);
  std::ptrdiff_t remainder = falling ? length : length - 1;
  std::uint32_t *target = surface.Row(from.y) + from.x;
  std::uint32_t *const end = surface.Row(to.y) + to.x;
  const std::intptr_t prefetchAhead =
      PREFETCH_STEPS * majorStride * static_cast<std::intptr_t>(sizeof *target);
  while (target != end) {
    __builtin_prefetch(
        reinterpret_cast<const void *>(reinterpret_cast<std::intptr_t>(target) + prefetchAhead), 1);
    *target = pixel;
    target += majorStride;
    remainder += twiceRise;
    if (remainder >= twiceLength) {
      remainder -= twiceLength;
      target += minorStride;
    }
  }
}

// Special case: a dotted one-pixel line whose ends lie on the surface, as
// every grid line does. Its walk is PaintSolidLineOn's, with a phase counter
// in place of the general walk's division per step to place the dots. It
// keeps its own copy of that walk, out of line, so that the solid walk, which
// the series segments spend their time in, keeps its code and its layout.
[[gnu::noinline]] void PaintDottedLineOn(const Surface &surface, POINT from, POINT to,
                                         std::uint32_t penPixel,
                                         std::optional<std::uint32_t> gapPixel) {
  const std::ptrdiff_t deltaX = to.x - from.x, deltaY = to.y - from.y;
  const std::ptrdiff_t lengthX = deltaX < 0 ? -deltaX : deltaX;
  const std::ptrdiff_t lengthY = deltaY < 0 ? -deltaY : deltaY;
  const std::ptrdiff_t stepX = deltaX < 0 ? -1 : 1;
  const std::ptrdiff_t stepY = deltaY < 0 ? -surface.pitch : surface.pitch;
  const bool xMajor = lengthX >= lengthY;
  const std::ptrdiff_t length = xMajor ? lengthX : lengthY;
  const std::ptrdiff_t majorStride = xMajor ? stepX : stepY;
  const std::ptrdiff_t minorStride = xMajor ? stepY : stepX;
  const bool falling = (xMajor ? deltaY : deltaX) < 0;
  const std::ptrdiff_t twiceLength = 2 * length;
  const std::ptrdiff_t twiceRise = 2 * (xMajor ? lengthY : lengthX);
  std::ptrdiff_t remainder = falling ? length : length - 1;
  std::uint32_t *target = surface.Row(from.y) + from.x;
  std::uint32_t *const end = surface.Row(to.y) + to.x;
  long long phase = 0;  // steps since the last dot began
  while (target != end) {
    if (phase < DOT_RUN) {
      *target = penPixel;
    } else if (gapPixel) {
      *target = *gapPixel;
    }
    if (++phase == 2 * DOT_RUN) phase = 0;
    target += majorStride;
    remainder += twiceRise;
    if (remainder >= twiceLength) {
      remainder -= twiceLength;
      target += minorStride;
    }
  }
}

// A one-pixel line, solid or dotted: the start pixel and every pixel up to,
// not including, the end pixel.
void PaintThinLine(const Surface &surface, const LinePath &path, const Pen &pen,
                   const DeviceContext &context) {
  const std::uint32_t penPixel = PixelFromColor(pen.color);
  const std::optional<Steps> visible = VisibleSteps(path, {0, path.length - 1}, surface, 0);
  if (!visible) return;
  if (pen.style == PS_SOLID) {
    WalkSteps(path, *visible, [&](long long, long long x, long long y) { surface.Put(x, y, penPixel); });
    return;
  }
  const std::optional<std::uint32_t> gapPixel = GapPixel(context);
  WalkSteps(path, *visible, [&](long long step, long long x, long long y) {
    if (step % (2 * DOT_RUN) < DOT_RUN) {
      surface.Put(x, y, penPixel);
    } else if (gapPixel) {
      surface.Put(x, y, *gapPixel);
    }
  });
}

// A wide line: the pen's footprint at every pixel of the path, end included.
void PaintWideLine(const Surface &surface, const LinePath &path, const Pen &pen) {
  const long long width = PenWidth(pen), before = width / 2;
  const std::optional<Steps> visible = VisibleSteps(path, {0, path.length}, surface, width);
  if (!visible) return;
  const std::vector<Span> footprint = EllipseRows(width, width, 0, width);
  const std::uint32_t penPixel = PixelFromColor(pen.color);
  WalkSteps(path, *visible, [&](long long, long long x, long long y) {
    for (long long row = 0; row < width; ++row) {
      const Span &span = footprint[static_cast<std::size_t>(row)];
      surface.FillSpan(y - before + row, x - before + span.left, x - before + span.right, penPixel);
    }
  });
}

}  // namespace

BOOL MoveToEx(HDC dc, int x, int y, LPPOINT previous) {
  DeviceContext *context = FindDeviceContext(dc);
  if (context == nullptr) return FALSE;
  if (previous != nullptr) *previous = context->position;
  context->position = {x, y};
  return TRUE;
}

BOOL LineTo(HDC dc, int x, int y) {
  DeviceContext *context = FindDeviceContext(dc);
  if (context == nullptr) return FALSE;
  const Pen *pen = context->penRecord;
  const std::optional<Surface> surface = SurfaceOf(*context);
  if (pen == nullptr || !surface || PenWidth(*pen) > MAX_PEN_WIDTH) return FALSE;
  const POINT from = context->position;
  context->position = {x, y};
  if (PenWidth(*pen) == 1 && surface->Contains(from.x, from.y) && surface->Contains(x, y)) {
    if (pen->style == PS_SOLID) {
      PaintSolidLineOn(*surface, from, {x, y}, PixelFromColor(pen->color));
    } else {
      PaintDottedLineOn(*surface, from, {x, y}, PixelFromColor(pen->color), GapPixel(*context));
    }
    return TRUE;
  }
  const LinePath path(from.x, from.y, x, y);
  if (PenWidth(*pen) == 1) {
    PaintThinLine(*surface, path, *pen, *context);
  } else {
    PaintWideLine(*surface, path, *pen);
  }
  return TRUE;
}
