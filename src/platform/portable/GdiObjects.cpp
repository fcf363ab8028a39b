// Pens, brushes and the object life cycle: stock objects, SelectObject,
// DeleteObject and GetObject.
#include "Handles.h"
#include "StockObjects.h"

#include <cstring>

using namespace trendel::portable;

namespace trendel::portable {
namespace {

HGDIOBJ AddStock(std::unique_ptr<ObjectRecord> record) {
  record->isStock = true;
  return static_cast<HGDIOBJ>(HandleTable::Instance().Add(std::move(record)));
}

std::unique_ptr<Bitmap> NewMonochromePixel() {
  auto bitmap = std::make_unique<Bitmap>();
  bitmap->width = 1;
  bitmap->height = 1;
  bitmap->bitCount = 1;
  bitmap->stride = 4;
  bitmap->bits = NewBlock(4, BlockContents::Zeros);
  bitmap->colorTable = {RGBQUAD{0, 0, 0, 0}, RGBQUAD{255, 255, 255, 0}};
  return bitmap;
}

std::unique_ptr<Font> NewSystemFont() {
  auto font = std::make_unique<Font>();
  font->height = 16;
  font->weight = FW_BOLD;
  font->face = "System";
  return font;
}

// Swaps the DC's handle and record of one kind of object and keeps the
// selection counts. The previous record is null only at the DC's first
// selection of the kind, when it takes the stock object.
template <typename Record>
HGDIOBJ Swap(HGDIOBJ &slot, Record *&recordSlot, HGDIOBJ object, ObjectRecord &record) {
  HGDIOBJ previous = slot;
  if (recordSlot != nullptr) --recordSlot->selectionCount;
  slot = object;
  recordSlot = static_cast<Record *>(&record);
  ++record.selectionCount;
  return previous;
}

}  // namespace

const StockObjects &Stock() {
  static const StockObjects stock = [] {
    StockObjects objects;
    objects.pen = AddStock(std::make_unique<Pen>(PS_SOLID, 0, RGB(0, 0, 0)));
    objects.brush = AddStock(std::make_unique<Brush>(RGB(255, 255, 255)));
    objects.font = AddStock(NewSystemFont());
    objects.bitmap = AddStock(NewMonochromePixel());
    return objects;
  }();
  return stock;
}

}  // namespace trendel::portable

HPEN CreatePen(int style, int width, COLORREF color) {
  if (style != PS_SOLID && style != PS_DOT) return nullptr;
  if (width < 0) return nullptr;
  return static_cast<HPEN>(HandleTable::Instance().Make<Pen>(style, width, color));
}

HBRUSH CreateSolidBrush(COLORREF color) {
  return static_cast<HBRUSH>(HandleTable::Instance().Make<Brush>(color));
}

HGDIOBJ SelectObject(HDC dc, HGDIOBJ object) {
  const HandleTable &table = HandleTable::Instance();
  DeviceContext *context = table.FindDeviceContext(dc);
  ObjectRecord *record = table.Find(object);
  if (context == nullptr || record == nullptr) return nullptr;
  switch (record->kind) {
    case ObjectKind::Pen:
      return Swap(context->pen, context->penRecord, object, *record);
    case ObjectKind::Brush:
      return Swap(context->brush, context->brushRecord, object, *record);
    case ObjectKind::Font:
      return Swap(context->font, context->fontRecord, object, *record);
    case ObjectKind::Bitmap: {
      // A bitmap goes into one memory DC at a time.
      auto *bitmap = static_cast<Bitmap *>(record);
      if (!context->isMemory) return nullptr;
      if (context->bitmap == object) return object;
      if (bitmap->selectedInto != nullptr && !bitmap->isStock) return nullptr;
      if (context->bitmapRecord != nullptr) context->bitmapRecord->selectedInto = nullptr;
      if (!bitmap->isStock) bitmap->selectedInto = dc;
      return Swap(context->bitmap, context->bitmapRecord, object, *record);
    }
    default:
      return nullptr;
  }
}

BOOL DeleteObject(HGDIOBJ object) {
  ObjectRecord *record = HandleTable::Instance().Find(object);
  if (record == nullptr) return FALSE;
  switch (record->kind) {
    case ObjectKind::Pen:
    case ObjectKind::Brush:
    case ObjectKind::Font:
    case ObjectKind::Bitmap:
    case ObjectKind::Palette:
      break;
    default:
      return FALSE;
  }
  if (record->isStock) return TRUE;
  if (record->selectionCount > 0) return FALSE;
  HandleTable::Instance().Remove(object);
  return TRUE;
}

int GetObjectA(HGDIOBJ object, int size, LPVOID buffer) {
  const Bitmap *bitmap = FindBitmap(object);
  if (bitmap == nullptr) return 0;
  if (buffer == nullptr) return sizeof(BITMAP);
  if (size < static_cast<int>(sizeof(BITMAP))) return 0;
  BITMAP description{};
  description.bmWidth = bitmap->width;
  description.bmHeight = bitmap->height;
  // Device-dependent bitmaps report rows padded to 16 bits, DIB sections their
  // real 32-bit padded stride.
  description.bmWidthBytes =
      bitmap->isDibSection
          ? static_cast<LONG>(bitmap->stride)
          : static_cast<LONG>((static_cast<long long>(bitmap->width) * bitmap->bitCount + 15) / 16 * 2);
  description.bmPlanes = 1;
  description.bmBitsPixel = bitmap->bitCount;
  description.bmBits = bitmap->isDibSection ? bitmap->bits.get() : nullptr;
  std::memcpy(buffer, &description, sizeof description);
  return sizeof(BITMAP);
}
