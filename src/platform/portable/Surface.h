// The one pixel writer every drawing primitive goes through. A Surface is a
// view of a 32-bit target (a window's client area, a compatible bitmap or a
// 32-bit DIB section) with its pixels as 0x00RRGGBB values, which is the byte
// order blue, green, red, 0 of a 32-bit DIB. Primitives map their shape to
// device coordinates, clip against the surface, and write spans.
#pragma once

#include "Handles.h"
#include "Objects.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cwchar>
#include <optional>

namespace trendel::portable {

// A COLORREF is 0x00BBGGRR: reversing its bytes gives 0xRRGGBB00, one
// instruction instead of three masks and shifts. Every line, marker and fill
// converts its colours on every call.
constexpr std::uint32_t PixelFromColor(COLORREF color) {
  static_assert(sizeof(COLORREF) == sizeof(std::uint32_t));
  return __builtin_bswap32(color) >> 8;
}

// Writes `count` copies of `pixel` from `first` on, through the C library's
// wide-character fill: wchar_t is 32 bits here, and the library fills with
// the widest stores the processor has, where the plain loop, as compiled at
// -O2, stores one pixel at a time. Every fill of a background, a rectangle or
// a new bitmap goes through here.
inline void FillPixels(std::uint32_t *first, std::size_t count, std::uint32_t pixel) {
  static_assert(sizeof(wchar_t) == sizeof(std::uint32_t), "a pixel fill is a wide-character fill");
  std::wmemset(reinterpret_cast<wchar_t *>(first), static_cast<wchar_t>(pixel), count);
}

struct Surface {
  std::uint32_t *origin = nullptr;  // pixel (0, 0), the top-left corner
  std::ptrdiff_t pitch = 0;         // pixels from one row to the next one down
  int width = 0;
  int height = 0;

  // A negative coordinate, taken as unsigned, is larger than any width or
  // height, which are never negative.
  bool Contains(long long x, long long y) const {
    return static_cast<unsigned long long>(x) < static_cast<unsigned long long>(width) &&
           static_cast<unsigned long long>(y) < static_cast<unsigned long long>(height);
  }
  std::uint32_t *Row(int y) const { return origin + pitch * y; }
  std::uint32_t Get(int x, int y) const { return Row(y)[x]; }

  void Put(long long x, long long y, std::uint32_t pixel) const {
    if (Contains(x, y)) Row(static_cast<int>(y))[x] = pixel;
  }

  // Paints [left, right) on row y; anything outside the surface is skipped.
  void FillSpan(long long y, long long left, long long right, std::uint32_t pixel) const {
    if (y < 0 || y >= height) return;
    const long long from = std::max<long long>(left, 0);
    const long long to = std::min<long long>(right, width);
    if (from >= to) return;
    FillPixels(Row(static_cast<int>(y)) + from, static_cast<std::size_t>(to - from), pixel);
  }

  // Paints [left, right) x [top, bottom), clipped.
  void FillRect(long long left, long long top, long long right, long long bottom,
                std::uint32_t pixel) const {
    const long long from = std::max<long long>(top, 0);
    const long long to = std::min<long long>(bottom, height);
    for (long long y = from; y < to; ++y) FillSpan(y, left, right, pixel);
  }
};

// These three are inline, like the handle look-up: every line, marker and
// fill asks for its surface, tens of thousands of times in one pass.

// The 32-bit view of a bitmap, or nothing for other bit counts.
inline std::optional<Surface> SurfaceOf(const Bitmap &bitmap) {
  // A 32-bit DIB section with other bit fields than 0x00RRGGBB is no surface.
  const bool plainLayout = bitmap.compression == BI_RGB ||
                           (bitmap.colorMasks[0] == 0xFF0000 && bitmap.colorMasks[1] == 0x00FF00 &&
                            bitmap.colorMasks[2] == 0x0000FF);
  if (bitmap.bitCount != 32 || bitmap.bits == nullptr || !plainLayout) return std::nullopt;
  Surface surface;
  surface.width = bitmap.width;
  surface.height = bitmap.height;
  const auto rowPixels = static_cast<std::ptrdiff_t>(bitmap.stride / 4);
  surface.origin = reinterpret_cast<std::uint32_t *>(bitmap.Row(0));
  surface.pitch = bitmap.topDown ? rowPixels : -rowPixels;
  return surface;
}

// The bitmap a device context draws into: a window's client area or the
// bitmap selected into a memory DC. Null for a screen DC.
inline Bitmap *TargetBitmapOf(const DeviceContext &dc) {
  if (dc.isMemory) return dc.bitmapRecord;
  if (Window *window = FindWindow(dc.window)) return window->client.get();
  return nullptr;
}

// The 32-bit surface a device context draws into, if it has one.
inline std::optional<Surface> SurfaceOf(const DeviceContext &dc) {
  const Bitmap *bitmap = TargetBitmapOf(dc);
  if (bitmap == nullptr) return std::nullopt;
  return SurfaceOf(*bitmap);
}

}  // namespace trendel::portable
