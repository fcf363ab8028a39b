// Device contexts: memory DCs, the DC side of window DCs, the text colour and
// the mapping from a DC to the pixels it draws into.
#include "DeviceContexts.h"
#include "Handles.h"
#include "StockObjects.h"

#include <initializer_list>
#include <new>

using namespace trendel::portable;

namespace trendel::portable {

HDC NewDeviceContext(HWND window, bool isMemory) {
  const StockObjects &stock = Stock();
  std::unique_ptr<DeviceContext> context;
  try {
    context = std::make_unique<DeviceContext>();
  } catch (const std::bad_alloc &) {
    return nullptr;
  }
  context->window = window;
  context->isMemory = isMemory;
  HDC dc = static_cast<HDC>(HandleTable::Instance().Add(std::move(context)));
  if (dc == nullptr) return nullptr;
  SelectObject(dc, stock.pen);
  SelectObject(dc, stock.brush);
  SelectObject(dc, stock.font);
  if (isMemory) SelectObject(dc, stock.bitmap);
  return dc;
}

void DestroyDeviceContext(HDC dc) {
  DeviceContext *context = FindDeviceContext(dc);
  if (context == nullptr) return;
  const std::initializer_list<ObjectRecord *> selected = {
      context->penRecord, context->brushRecord, context->fontRecord, context->bitmapRecord};
  for (ObjectRecord *record : selected) {
    if (record != nullptr) --record->selectionCount;
  }
  if (Bitmap *bitmap = context->bitmapRecord; bitmap != nullptr && !bitmap->isStock) {
    bitmap->selectedInto = nullptr;
  }
  HandleTable::Instance().Remove(dc);
}

}  // namespace trendel::portable

HDC CreateCompatibleDC(HDC dc) {
  // Like GDI, a memory DC may be made compatible with the screen (null) or
  // with any live DC; a stale handle gives no DC.
  if (dc != nullptr && FindDeviceContext(dc) == nullptr) return nullptr;
  return NewDeviceContext(nullptr, true);
}

BOOL DeleteDC(HDC dc) {
  const DeviceContext *context = FindDeviceContext(dc);
  if (context == nullptr || !context->isMemory) return FALSE;
  DestroyDeviceContext(dc);
  return TRUE;
}

COLORREF SetTextColor(HDC dc, COLORREF color) {
  DeviceContext *context = FindDeviceContext(dc);
  if (context == nullptr) return CLR_INVALID;
  const COLORREF previous = context->textColor;
  context->textColor = color;
  return previous;
}
