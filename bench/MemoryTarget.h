// A memory DC with a compatible bitmap of a chart's size, as a drawing pass
// gets it: what the drawing-call benchmarks draw into.
#pragma once

#include "platform/win32.h"

class MemoryTarget {
 public:
  MemoryTarget(int width, int height) {
    HDC screen = GetDC(nullptr);
    dc_ = CreateCompatibleDC(screen);
    bitmap_ = CreateCompatibleBitmap(screen, width, height);
    ReleaseDC(nullptr, screen);
    previous_ = SelectObject(dc_, bitmap_);
  }
  ~MemoryTarget() {
    SelectObject(dc_, previous_);
    DeleteObject(bitmap_);
    DeleteDC(dc_);
  }
  MemoryTarget(const MemoryTarget &) = delete;
  MemoryTarget &operator=(const MemoryTarget &) = delete;
  HDC dc() const { return dc_; }

 private:
  HDC dc_;
  HBITMAP bitmap_;
  HGDIOBJ previous_;
};
