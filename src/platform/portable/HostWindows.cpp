// Headless windows for hosts without a window system: the TrendelHost_*
// exports of the portable build. A window is a white 32-bit client area that
// the library draws into through GetDC, exactly as it would into a real one.
// Like the library's own exports, each holds the library's lock.
#include "trendel.h"

#include "Bitmaps.h"
#include "DeviceContexts.h"
#include "Handles.h"
#include "UserState.h"
#include "platform/ExportLock.h"

#include <algorithm>
#include <cstring>
#include <new>

using namespace trendel::portable;
using trendel::ExportLock;

namespace {

constexpr std::uint32_t WHITE = 0x00FFFFFF;

// Copies a 32-bit bitmap into the caller's buffer, top row first, 0x00RRGGBB.
int32_t CopyPixels(const Bitmap *bitmap, uint32_t *pixels, int32_t width, int32_t height) {
  if (bitmap == nullptr || pixels == nullptr || bitmap->bitCount != 32 ||
      width != bitmap->width || height != bitmap->height) {
    return -1;
  }
  for (LONG y = 0; y < height; ++y) {
    const auto *row = reinterpret_cast<const std::uint32_t *>(bitmap->Row(y));
    std::transform(row, row + width, pixels + static_cast<std::size_t>(y) * width,
                   [](std::uint32_t pixel) { return pixel & 0x00FFFFFF; });
  }
  return 0;
}

}  // namespace

extern "C" {

HWND TrendelHost_CreateWindow(int32_t width, int32_t height) {
  const ExportLock lock;
  std::unique_ptr<Bitmap> client = NewSurfaceBitmap(width, height, WHITE);
  if (!client) return nullptr;
  try {
    auto window = std::make_unique<Window>();
    window->client = std::move(client);
    return static_cast<HWND>(HandleTable::Instance().Add(std::move(window)));
  } catch (const std::bad_alloc &) {
    return nullptr;
  }
}

int32_t TrendelHost_ResizeWindow(HWND window, int32_t width, int32_t height) {
  const ExportLock lock;
  Window *record = FindWindow(window);
  if (record == nullptr) return -1;
  // A resized window shows white until it is drawn again, like a real window
  // whose new area has been erased.
  std::unique_ptr<Bitmap> client = NewSurfaceBitmap(width, height, WHITE);
  if (!client) return -1;
  record->client = std::move(client);
  return 0;
}

int32_t TrendelHost_GetWindowSize(HWND window, int32_t *width, int32_t *height) {
  const ExportLock lock;
  const Window *record = FindWindow(window);
  if (record == nullptr) return -1;
  if (width != nullptr) *width = record->client->width;
  if (height != nullptr) *height = record->client->height;
  return 0;
}

int32_t TrendelHost_ReadPixels(HWND window, uint32_t *pixels, int32_t width, int32_t height) {
  const ExportLock lock;
  const Window *record = FindWindow(window);
  return record != nullptr ? CopyPixels(record->client.get(), pixels, width, height) : -1;
}

int32_t TrendelHost_DestroyWindow(HWND window) {
  const ExportLock lock;
  Window *record = FindWindow(window);
  if (record == nullptr) return -1;
  // The window's DCs die with it; a binding that still holds one now holds a
  // handle that names nothing, which every call answers with a failure.
  for (HDC dc : record->deviceContexts) DestroyDeviceContext(dc);
  ForgetWindow(window);
  HandleTable::Instance().Remove(window);
  return 0;
}

int32_t TrendelHost_SetActiveWindow(HWND window) {
  const ExportLock lock;
  if (window != nullptr && FindWindow(window) == nullptr) return -1;
  SetActiveWindowHandle(window);
  return 0;
}

int32_t TrendelHost_GetWindowText(HWND window, char *buffer, int32_t size) {
  const ExportLock lock;
  const Window *record = FindWindow(window);
  if (record == nullptr || buffer == nullptr || size < 1) return -1;
  const std::size_t length = std::min(record->text.size(), static_cast<std::size_t>(size) - 1);
  std::memcpy(buffer, record->text.data(), length);
  buffer[length] = '\0';
  return 0;
}

HWND TrendelHost_GetCapture(void) {
  const ExportLock lock;
  return GetCapture();
}

int32_t TrendelHost_GetClipboardSize(int32_t *width, int32_t *height) {
  const ExportLock lock;
  const Bitmap *bitmap = FindBitmap(ClipboardBitmap());
  if (bitmap == nullptr) return -1;
  if (width != nullptr) *width = bitmap->width;
  if (height != nullptr) *height = bitmap->height;
  return 0;
}

int32_t TrendelHost_ReadClipboard(uint32_t *pixels, int32_t width, int32_t height) {
  const ExportLock lock;
  return CopyPixels(FindBitmap(ClipboardBitmap()), pixels, width, height);
}

void TrendelHost_SetMessageHandler(void (*handler)(const char *text)) {
  const ExportLock lock;
  SetMessageHandler(handler);
}

}  // extern "C"
