// Saving a window's graph as an image file or to the clipboard.
#pragma once

#include "model/CGraph.h"
#include "platform/win32.h"

#include <cstdint>

namespace trendel {

// Renders the graph at width x height (10 for a size below 1) without the
// tracking overlay, in bitmaps compatible with the window's device context,
// and writes it by the file name's extension, or puts it on the clipboard
// (owned by `window`) for an empty or null name. True when saved; false when
// nothing was: a file under the name is then the one that was there before.
bool SaveGraphImage(CGraph &graph, HWND window, HDC windowDC, const char *fileName,
                    std::int32_t width, std::int32_t height);

// A rendering in a 32-bit DIB section of its own: pixels 0x00RRGGBB (the
// top byte is not defined), top row first, rows not padded.
class RenderedPixels {
 public:
  RenderedPixels() = default;
  ~RenderedPixels();
  RenderedPixels(const RenderedPixels &) = delete;
  RenderedPixels &operator=(const RenderedPixels &) = delete;

  // Renders the graph exactly as SaveGraphImage does before it writes a
  // file. False when the bitmap cannot be made or selected.
  bool Render(CGraph &graph, HDC windowDC, std::int32_t width, std::int32_t height);
  const std::uint32_t *TopRow() const { return topRow_; }
  std::int32_t Width() const { return width_; }
  std::int32_t Height() const { return height_; }

 private:
  HBITMAP bitmap_ = nullptr;
  const std::uint32_t *topRow_ = nullptr;
  std::int32_t width_ = 0;
  std::int32_t height_ = 0;
};

}  // namespace trendel
