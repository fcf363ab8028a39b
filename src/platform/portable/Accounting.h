// Live-object accounting of the portable layer, for tests that prove no call
// leaks: every created pen, brush, font, bitmap, palette, device context,
// global block and open file is counted until it is deleted. Stock objects
// are not counted.
#pragma once

#include <cstddef>

namespace trendel::portable {

struct LiveObjectCounts {
  int gdiObjects = 0;  // pens, brushes, fonts, bitmaps and palettes
  int deviceContexts = 0;
  int globalBlocks = 0;
  int files = 0;
  int windows = 0;
};

LiveObjectCounts CountLiveObjects() noexcept;

// The large pixel and global memory blocks (Blocks.h), in bytes of their
// capacity: in use, kept for the next ones, the most ever in use at once,
// and the most held at once, in use and kept together, since the last
// ResetMostHeldLargeBlockBytes; and how many came new from the heap, none
// of the kept ones fitting.
struct LargeBlockBytes {
  std::size_t inUse = 0;
  std::size_t kept = 0;
  std::size_t mostInUse = 0;
  std::size_t mostHeld = 0;
  std::size_t blocksFromHeap = 0;
};

LargeBlockBytes CountLargeBlockBytes() noexcept;
void ResetMostHeldLargeBlockBytes() noexcept;

}  // namespace trendel::portable
