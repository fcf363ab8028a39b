// Test windows on the portable build: the headless windows of TrendelHost_*,
// and the portable layer's own count of live objects.
#include "TestWindow.h"

#include "platform/portable/Accounting.h"

#include <vector>

namespace trendel::testing {

TestWindow::TestWindow(int width, int height) : window_(TrendelHost_CreateWindow(width, height)) {}

TestWindow::~TestWindow() { TrendelHost_DestroyWindow(window_); }

Image TestWindow::Pixels() const {
  Image image;
  std::int32_t width = 0;
  std::int32_t height = 0;
  if (TrendelHost_GetWindowSize(window_, &width, &height) != 0) return image;
  image.pixels.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
  if (TrendelHost_ReadPixels(window_, image.pixels.data(), width, height) != 0) return Image{};
  image.width = width;
  image.height = height;
  return image;
}

bool TestWindow::Resize(int width, int height) {
  return TrendelHost_ResizeWindow(window_, width, height) == 0;
}

void TestWindow::Activate() { TrendelHost_SetActiveWindow(window_); }

std::string TestWindow::Text() const {
  std::vector<char> buffer(256);
  if (TrendelHost_GetWindowText(window_, buffer.data(), static_cast<std::int32_t>(buffer.size())) != 0) {
    return {};
  }
  return buffer.data();
}

HWND CapturedWindow() { return TrendelHost_GetCapture(); }

bool ReadClipboard(Image &image) {
  std::int32_t width = 0;
  std::int32_t height = 0;
  if (TrendelHost_GetClipboardSize(&width, &height) != 0) return false;
  image.pixels.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
  image.width = width;
  image.height = height;
  return TrendelHost_ReadClipboard(image.pixels.data(), width, height) == 0;
}

bool WindowExists(HWND window) { return TrendelHost_GetWindowSize(window, nullptr, nullptr) == 0; }

bool ClipboardHoldsBitmap() { return TrendelHost_GetClipboardSize(nullptr, nullptr) == 0; }

std::optional<LayerObjectCounts> CountLayerObjects() {
  const portable::LiveObjectCounts live = portable::CountLiveObjects();
  LayerObjectCounts counts;
  counts.gdiObjects = live.gdiObjects;
  counts.deviceContexts = live.deviceContexts;
  counts.globalBlocks = live.globalBlocks;
  counts.files = live.files;
  return counts;
}

ResourceCounts CountResources() {
  const portable::LiveObjectCounts live = portable::CountLiveObjects();
  ResourceCounts counts;
  counts.gdiObjects = live.gdiObjects + live.deviceContexts;
  counts.handles = live.globalBlocks + live.files + live.windows;
  return counts;
}

std::string DescribeResourceCounts() {
  return "GDI objects and handles from the portable layer's live-object accounting";
}

}  // namespace trendel::testing
