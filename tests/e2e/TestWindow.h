// The windows end-to-end tests draw into, and what they read back from the
// system, behind one interface so that the same tests run on both builds: a
// headless window of the portable build, or a real top-level window on
// Windows. Either way the window rectangle is the client area, so the
// library sees the same geometry on both.
#pragma once

#include "support/Ppm.h"
#include "trendel.h"

#include <cstdint>
#include <optional>
#include <string>

namespace trendel::testing {

class TestWindow {
 public:
  // A white client area of width x height pixels.
  TestWindow(int width, int height);
  ~TestWindow();
  TestWindow(const TestWindow &) = delete;
  TestWindow &operator=(const TestWindow &) = delete;

  HWND Handle() const { return window_; }
  // The client area as the window shows it now.
  Image Pixels() const;
  // A new size, with the whole client area white again.
  bool Resize(int width, int height);
  // Makes it the active window, the one whose title the library writes to.
  void Activate();
  std::string Text() const;

 private:
  HWND window_ = nullptr;
};

// The window that holds the mouse capture, or null.
HWND CapturedWindow();

// The bitmap on the clipboard, if there is one.
bool ReadClipboard(Image &image);

// Whether the handle names a window that exists now.
bool WindowExists(HWND window);

// Whether the clipboard holds a bitmap.
bool ClipboardHoldsBitmap();

// Exact counts of what the library's platform layer holds, where the layer
// keeps them (the portable build); none on Windows.
struct LayerObjectCounts {
  std::int64_t gdiObjects = 0;
  std::int64_t deviceContexts = 0;
  std::int64_t globalBlocks = 0;
  std::int64_t files = 0;
};
std::optional<LayerObjectCounts> CountLayerObjects();

// Counts of the process's drawing objects and system handles. Only
// differences mean anything: a count may carry a constant offset.
struct ResourceCounts {
  std::int64_t gdiObjects = 0;
  std::int64_t handles = 0;
};
ResourceCounts CountResources();
// Where the counts come from, for the test log.
std::string DescribeResourceCounts();

}  // namespace trendel::testing
