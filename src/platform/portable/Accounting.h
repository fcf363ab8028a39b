// Live-object accounting of the portable layer, for tests that prove no call
// leaks: every created pen, brush, font, bitmap, palette, device context,
// global block and open file is counted until it is deleted. Stock objects
// are not counted.
#pragma once

namespace trendel::portable {

struct LiveObjectCounts {
  int gdiObjects = 0;  // pens, brushes, fonts, bitmaps and palettes
  int deviceContexts = 0;
  int globalBlocks = 0;
  int files = 0;
  int windows = 0;
};

LiveObjectCounts CountLiveObjects() noexcept;

}  // namespace trendel::portable
