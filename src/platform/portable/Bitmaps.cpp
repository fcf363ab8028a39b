// Compatible bitmaps and block transfers.
//
// BitBlt copies through one row buffer of 0x00RRGGBB pixels: the source row
// is decoded from its format, then encoded into the destination's. Both
// rectangles are clipped to their bitmaps first; pixels whose source or
// destination lies outside are left alone.
#include "Bitmaps.h"
#include "Handles.h"
#include "NotYetImplemented.h"
#include "StockObjects.h"
#include "Surface.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <new>
#include <vector>

using namespace trendel::portable;

namespace trendel::portable {
namespace {

// The most a single bitmap may hold, so that sizes never overflow the
// arithmetic of 32-bit hosts either.
constexpr long long MAX_BITMAP_BYTES = std::numeric_limits<std::int32_t>::max();

bool DecodeRow(const Bitmap &bitmap, int x, int y, int count, std::uint32_t *pixels) {
  if (bitmap.bitCount != 32) return false;
  std::memcpy(pixels, reinterpret_cast<const std::uint32_t *>(bitmap.Row(y)) + x,
              static_cast<std::size_t>(count) * 4);
  return true;
}

bool EncodeRow(Bitmap &bitmap, int x, int y, int count, const std::uint32_t *pixels) {
  if (bitmap.bitCount != 32) return false;
  auto *row = reinterpret_cast<std::uint32_t *>(bitmap.Row(y)) + x;
  for (int i = 0; i < count; ++i) row[i] = pixels[i] & 0x00FFFFFF;
  return true;
}

// Shrinks a transfer along one axis so that both ends stay inside their bitmaps.
bool ClipAxis(long long &destination, long long &source, long long &length,
              long long destinationSize, long long sourceSize) {
  const long long skip = std::max({0LL, -destination, -source});
  destination += skip;
  source += skip;
  length -= skip;
  length = std::min({length, destinationSize - destination, sourceSize - source});
  return length > 0;
}

}  // namespace

std::unique_ptr<Bitmap> NewSurfaceBitmap(long long width, long long height, std::uint32_t pixel) {
  if (width < 1 || height < 1 || width * height > MAX_BITMAP_BYTES / 4) return nullptr;
  try {
    auto bitmap = std::make_unique<Bitmap>();
    bitmap->width = static_cast<LONG>(width);
    bitmap->height = static_cast<LONG>(height);
    bitmap->bitCount = 32;
    bitmap->stride = static_cast<std::size_t>(width) * 4;
    const auto count = static_cast<std::size_t>(width * height);
    bitmap->bits.reset(new std::uint8_t[count * 4]);
    auto *pixels = reinterpret_cast<std::uint32_t *>(bitmap->bits.get());
    std::fill(pixels, pixels + count, pixel);
    return bitmap;
  } catch (const std::bad_alloc &) {
    return nullptr;
  }
}

}  // namespace trendel::portable

HBITMAP CreateCompatibleBitmap(HDC dc, int width, int height) {
  const DeviceContext *context = FindDeviceContext(dc);
  if (context == nullptr || width < 0 || height < 0) return nullptr;
  // GDI answers an empty size with its stock 1 x 1 monochrome bitmap.
  if (width == 0 || height == 0) return Stock().bitmap;
  // A memory DC still holding its stock bitmap is monochrome, so GDI would make
  // a 1-bit bitmap here; the library never asks for one.
  const Bitmap *target = TargetBitmapOf(*context);
  if (context->isMemory && (target == nullptr || target->bitCount != 32)) return nullptr;
  // A new compatible bitmap is black, as in GDI.
  return static_cast<HBITMAP>(HandleTable::Instance().Add(NewSurfaceBitmap(width, height, 0)));
}

BOOL BitBlt(HDC destination, int x, int y, int width, int height, HDC source, int sourceX,
            int sourceY, DWORD rop) {
  if (rop != SRCCOPY) return FALSE;
  const DeviceContext *destinationContext = FindDeviceContext(destination);
  const DeviceContext *sourceContext = FindDeviceContext(source);
  if (destinationContext == nullptr || sourceContext == nullptr) return FALSE;
  Bitmap *target = TargetBitmapOf(*destinationContext);
  const Bitmap *origin = TargetBitmapOf(*sourceContext);
  if (target == nullptr || origin == nullptr) return FALSE;

  long long destinationX = x, destinationY = y, sourceLeft = sourceX, sourceTop = sourceY;
  long long columns = width, rows = height;
  if (!ClipAxis(destinationX, sourceLeft, columns, target->width, origin->width) ||
      !ClipAxis(destinationY, sourceTop, rows, target->height, origin->height)) {
    return TRUE;
  }
  std::vector<std::uint32_t> row;
  try {
    row.resize(static_cast<std::size_t>(columns));
  } catch (const std::bad_alloc &) {
    return FALSE;
  }
  // Rows are copied bottom-up when a bitmap overlaps itself downwards, so that
  // no source row is overwritten before it is read.
  const bool upwards = origin == target && destinationY > sourceTop;
  for (long long i = 0; i < rows; ++i) {
    const long long offset = upwards ? rows - 1 - i : i;
    if (!DecodeRow(*origin, static_cast<int>(sourceLeft), static_cast<int>(sourceTop + offset),
                   static_cast<int>(columns), row.data()) ||
        !EncodeRow(*target, static_cast<int>(destinationX), static_cast<int>(destinationY + offset),
                   static_cast<int>(columns), row.data())) {
      return FALSE;
    }
  }
  return TRUE;
}

int GetDIBits(HDC, HBITMAP, UINT, UINT, LPVOID, BITMAPINFO *, UINT) {
  ReportNotYetImplemented("GetDIBits");
  return 0;
}

HBITMAP CreateDIBSection(HDC, const BITMAPINFO *, UINT, void **bits, HANDLE, DWORD) {
  ReportNotYetImplemented("CreateDIBSection");
  if (bits != nullptr) *bits = nullptr;
  return nullptr;
}

UINT SetDIBColorTable(HDC, UINT, UINT, const RGBQUAD *) {
  ReportNotYetImplemented("SetDIBColorTable");
  return 0;
}

BOOL GdiFlush() { return TRUE; }
