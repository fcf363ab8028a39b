// Filled shapes: Rectangle.
//
// Pixel rules, measured with the GDI oracle (script rectangle.txt):
//  - With a one-pixel pen, Rectangle(l, t, r, b) paints columns l..r-1 and
//    rows t..b-1: right and bottom are exclusive. The frame is the outermost
//    ring of that area; the brush fills [l+1, r-1) x [t+1, b-1).
//  - A pen of width w covers, around a path coordinate c, the pixels
//    c - w/2 .. c - w/2 + w - 1; the frame's path runs along l..r-1 and
//    t..b-1. A width-2 frame therefore moves out by one pixel on the top and
//    left only, and the brush fills what is left inside.
//  - Coordinates given in reverse order are swapped first.
#include "Handles.h"
#include "NotYetImplemented.h"
#include "Surface.h"

#include <utility>

using namespace trendel::portable;

namespace {

long long PenWidth(const Pen &pen) { return pen.width < 1 ? 1 : pen.width; }

}  // namespace

BOOL Rectangle(HDC dc, int left, int top, int right, int bottom) {
  const DeviceContext *context = FindDeviceContext(dc);
  if (context == nullptr) return FALSE;
  const Pen *pen = FindObject<Pen>(context->pen, ObjectKind::Pen);
  const Brush *brush = FindObject<Brush>(context->brush, ObjectKind::Brush);
  const std::optional<Surface> surface = SurfaceOf(*context);
  if (pen == nullptr || brush == nullptr || !surface) return FALSE;
  // A dotted frame is never drawn by the library; refuse it rather than guess.
  if (pen->style != PS_SOLID && PenWidth(*pen) == 1) return FALSE;

  long long l = left, t = top, r = right, b = bottom;
  if (l > r) std::swap(l, r);
  if (t > b) std::swap(t, b);
  if (l == r || t == b) return TRUE;

  const long long width = PenWidth(*pen);
  const long long before = width / 2;  // pen pixels before the path coordinate
  // Outer edge of the frame, and the inner area the brush fills.
  const long long outerLeft = l - before, outerTop = t - before;
  const long long outerRight = r - 1 - before + width, outerBottom = b - 1 - before + width;
  const long long innerLeft = outerLeft + width, innerTop = outerTop + width;
  const long long innerRight = outerRight - width, innerBottom = outerBottom - width;

  const std::uint32_t penPixel = PixelFromColor(pen->color);
  surface->FillRect(outerLeft, outerTop, outerRight, innerTop, penPixel);
  surface->FillRect(outerLeft, innerBottom, outerRight, outerBottom, penPixel);
  surface->FillRect(outerLeft, innerTop, innerLeft, innerBottom, penPixel);
  surface->FillRect(innerRight, innerTop, outerRight, innerBottom, penPixel);
  surface->FillRect(innerLeft, innerTop, innerRight, innerBottom, PixelFromColor(brush->color));
  return TRUE;
}

BOOL Ellipse(HDC, int, int, int, int) {
  trendel::portable::ReportNotYetImplemented("Ellipse");
  return FALSE;
}
