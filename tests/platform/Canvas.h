// A small memory DC with a 32-bit bitmap, for pinning tests of the portable
// layer: draw one call, then look at the pixels it must and must not change.
#pragma once

#include "platform/win32.h"

#include <cstdint>
#include <string>
#include <vector>

namespace trendel::testing {

class Canvas {
 public:
  Canvas(int width, int height, COLORREF background = RGB(255, 255, 255));
  ~Canvas();
  Canvas(const Canvas &) = delete;
  Canvas &operator=(const Canvas &) = delete;

  HDC dc() const { return dc_; }
  int width() const { return width_; }
  int height() const { return height_; }

  // 0x00RRGGBB of one pixel.
  std::uint32_t At(int x, int y) const;
  std::vector<std::uint32_t> Pixels() const;
  // One character per pixel: '.' white, '#' black, letters for other colours
  // in order of appearance; rows separated by newlines.
  std::string Map(int left, int top, int right, int bottom) const;

 private:
  HDC dc_ = nullptr;
  HBITMAP bitmap_ = nullptr;
  HGDIOBJ previous_ = nullptr;
  std::uint32_t *bits_ = nullptr;
  int width_;
  int height_;
};

}  // namespace trendel::testing
