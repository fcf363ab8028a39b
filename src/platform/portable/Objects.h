// The records behind the portable layer's handles. Every window, device
// context, GDI object, global memory block and open file is one record in the
// handle table (Handles.h); a handle is never a pointer to its record, so a
// stale or made-up handle is simply not found.
#pragma once

#include "Blocks.h"
#include "RecycledStorage.h"
#include "Win32Api.h"

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace trendel::portable {

enum class ObjectKind : std::uint8_t {
  Pen,
  Brush,
  Font,
  Bitmap,
  Palette,
  DeviceContext,
  Window,
  GlobalMemory,
  File,
};

struct ObjectRecord {
  explicit ObjectRecord(ObjectKind objectKind) : kind(objectKind) {}
  virtual ~ObjectRecord() = default;
  ObjectRecord(const ObjectRecord &) = delete;
  ObjectRecord &operator=(const ObjectRecord &) = delete;

  const ObjectKind kind;
  // Stock objects live for the whole process and ignore DeleteObject.
  bool isStock = false;
  // Number of device contexts that have this object selected; GDI refuses to
  // delete an object while it is selected.
  int selectionCount = 0;
};

// Pens and brushes take new attributes through Assign when the handle table
// makes one in the record of a deleted one (HandleTable::Make).
struct Pen final : ObjectRecord, RecycledStorage<Pen> {
  static constexpr ObjectKind KIND = ObjectKind::Pen;
  Pen(int penStyle, int penWidth, COLORREF penColor) : ObjectRecord(KIND) {
    Assign(penStyle, penWidth, penColor);
  }
  void Assign(int penStyle, int penWidth, COLORREF penColor) {
    style = penStyle;
    width = penWidth;
    color = penColor;
  }
  int style;
  int width;  // 0 and 1 both draw one pixel wide
  COLORREF color;
};

struct Brush final : ObjectRecord, RecycledStorage<Brush> {
  static constexpr ObjectKind KIND = ObjectKind::Brush;
  explicit Brush(COLORREF brushColor) : ObjectRecord(KIND) { Assign(brushColor); }
  void Assign(COLORREF brushColor) { color = brushColor; }
  COLORREF color;
};

struct FontFaceInstance;  // resolved face and size, owned by Text.cpp's cache

struct Font final : ObjectRecord, RecycledStorage<Font> {
  Font() : ObjectRecord(ObjectKind::Font) {}
  int height = 0;
  int escapement = 0;  // tenths of a degree, counter-clockwise
  int weight = 0;
  std::string face;
  // Resolved on first use and shared through the face cache.
  std::shared_ptr<const FontFaceInstance> instance;
};

// A bitmap: compatible bitmaps are 32 bits per pixel, stored top row first;
// DIB sections keep the layout their header asked for, so the bits the caller
// receives are exactly a packed DIB's pixel rows.
struct Bitmap final : ObjectRecord {
  Bitmap() : ObjectRecord(ObjectKind::Bitmap) {}
  LONG width = 0;
  LONG height = 0;  // always positive
  WORD bitCount = 32;
  bool topDown = true;
  bool isDibSection = false;
  DWORD compression = BI_RGB;
  DWORD colorMasks[3] = {0, 0, 0};  // red, green, blue with BI_BITFIELDS
  std::vector<RGBQUAD> colorTable;  // bit counts of 8 and below
  std::size_t stride = 0;           // bytes per row, a multiple of 4
  Block bits;
  HDC selectedInto = nullptr;
  // A new compatible bitmap is black, but its black is not written at once:
  // a drawing pass covers the whole bitmap with its background first thing,
  // and black written only to be covered costs a full pass over memory.
  // While this is set the bits are undefined and the bitmap reads as black.
  // Rectangle clears it when it is about to paint every pixel.
  mutable bool blackUnwritten = false;
  // A whole-bitmap copy that BitBlt owes, between two bitmaps of one shape
  // (DeferWholeCopy in Bitmaps.cpp): `copySource` on the bitmap owed the
  // picture, `copyTarget` on the bitmap it comes from. A drawing pass copies
  // its off-screen bitmap to the window and deletes it at once, so the window
  // simply takes the bitmap's block then, instead of 8 MB being copied. If
  // either bitmap is touched first, the copy is made at that moment.
  mutable Bitmap *copySource = nullptr;
  mutable Bitmap *copyTarget = nullptr;

  ~Bitmap() override;

  // Makes the owed copy now, on either side of it.
  void SettleCopy() const;

  // The bits, with any owed copy made and any unwritten black written first.
  // Whatever reads or writes pixels goes through here or through Row.
  std::uint8_t *WrittenBits() const {
    if (copySource != nullptr || copyTarget != nullptr) SettleCopy();
    if (blackUnwritten) {
      std::memset(bits.get(), 0, stride * static_cast<std::size_t>(height));
      blackUnwritten = false;
    }
    return bits.get();
  }

  // Row y counted from the top of the picture.
  std::uint8_t *Row(LONG y) const {
    const LONG storedRow = topDown ? y : height - 1 - y;
    return WrittenBits() + static_cast<std::size_t>(storedRow) * stride;
  }
};

struct Palette final : ObjectRecord {
  Palette() : ObjectRecord(ObjectKind::Palette) {}
  std::vector<PALETTEENTRY> entries;
};

struct Window;

struct DeviceContext final : ObjectRecord {
  DeviceContext() : ObjectRecord(ObjectKind::DeviceContext) {}
  // The window a window DC draws into; null for memory and screen DCs.
  HWND window = nullptr;
  bool isMemory = false;
  HGDIOBJ pen = nullptr;
  HGDIOBJ brush = nullptr;
  HGDIOBJ font = nullptr;
  HGDIOBJ bitmap = nullptr;  // memory DCs only
  // The records behind the selected objects, so that drawing calls and the
  // next selection need not look the handles up again. A selected object
  // cannot be deleted (DeleteObject refuses it, and nothing else ends a GDI
  // object), so each record lives at least as long as its selection.
  Pen *penRecord = nullptr;
  Brush *brushRecord = nullptr;
  Font *fontRecord = nullptr;
  Bitmap *bitmapRecord = nullptr;
  COLORREF textColor = RGB(0, 0, 0);
  COLORREF backgroundColor = RGB(255, 255, 255);
  int backgroundMode = OPAQUE;
  POINT position = {0, 0};
};

struct Window final : ObjectRecord {
  Window() : ObjectRecord(ObjectKind::Window) {}
  // The client area: a 32-bit top-down surface owned by the window.
  std::unique_ptr<Bitmap> client;
  std::string text;
  // Device contexts handed out by GetDC and not yet released.
  std::vector<HDC> deviceContexts;
};

struct GlobalMemory final : ObjectRecord {
  GlobalMemory() : ObjectRecord(ObjectKind::GlobalMemory) {}
  Block bytes;
  std::size_t size = 0;
  int lockCount = 0;
};

struct File final : ObjectRecord {
  File() : ObjectRecord(ObjectKind::File) {}
  int descriptor = -1;
  ~File() override;
};

}  // namespace trendel::portable
