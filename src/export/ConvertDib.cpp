// Depth changes of packed bitmaps: the octree palette of a picture, and the
// re-encoding at another bit count through one block transfer between two
// DIB sections, which does every colour conversion, including the matching
// of colours to a colour table.
//
// The sections are made with a complete colour table of 2^bitCount entries
// (the packed table, then black), so that no entry is left to chance and no
// SetDIBColorTable is needed afterwards.
#include "ConvertDib.h"

#include "Octree.h"
#include "PackedDib.h"
#include "WaitCursor.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <optional>
#include <vector>

namespace trendel {
namespace {

constexpr WORD PALETTE_VERSION = 0x300;
constexpr int FALLBACK_OCTREE_COLORS = 236;
constexpr DWORD RGB_555_MASKS[3] = {0x7C00, 0x03E0, 0x001F};
constexpr DWORD RGB_888_MASKS[3] = {0xFF0000, 0x00FF00, 0x0000FF};

// A BITMAPINFO with room for a full colour table, or the three masks.
struct FullInfo {
  BITMAPINFOHEADER header{};
  RGBQUAD colors[256]{};

  const BITMAPINFO *get() const { return reinterpret_cast<const BITMAPINFO *>(this); }
};

// The packed block's bytes, locked for as long as this lives.
class LockedBlock {
 public:
  explicit LockedBlock(HGLOBAL block)
      : block_(block),
        bytes_(block != nullptr ? static_cast<std::uint8_t *>(GlobalLock(block)) : nullptr) {
    if (bytes_ == nullptr || GlobalSize(block) < INFO_HEADER_BYTES) return;
    BITMAPINFOHEADER header;
    std::memcpy(&header, bytes_, sizeof header);
    layout_ = LayoutOf(header);
    if (layout_ && layout_->packedSize > GlobalSize(block)) layout_.reset();
  }
  ~LockedBlock() {
    if (bytes_ != nullptr) GlobalUnlock(block_);
  }
  LockedBlock(const LockedBlock &) = delete;
  LockedBlock &operator=(const LockedBlock &) = delete;

  // Nothing for a block whose layout cannot be read or does not fit it.
  const std::optional<PackedLayout> &Layout() const { return layout_; }
  const std::uint8_t *Bytes() const { return bytes_; }
  const std::uint8_t *Rows() const { return bytes_ + layout_->pixelOffset; }

  // The packed header with a full colour table (or its masks) after it.
  FullInfo Info() const {
    FullInfo info;
    std::memcpy(&info.header, bytes_, sizeof info.header);
    info.header.biClrUsed = 0;
    const std::uint8_t *afterHeader = bytes_ + INFO_HEADER_BYTES;
    if (info.header.biCompression == BI_BITFIELDS) {
      std::memcpy(info.colors, afterHeader, BITFIELD_MASK_BYTES);
    } else if (layout_->bitCount <= 8) {
      std::memcpy(info.colors, afterHeader, 4 * std::size_t{layout_->colorCount});
    }
    return info;
  }

 private:
  HGLOBAL block_;
  std::uint8_t *bytes_;
  std::optional<PackedLayout> layout_;
};

// A DIB section, deleted when this goes.
class DibSection {
 public:
  explicit DibSection(const FullInfo &info)
      : bitmap_(CreateDIBSection(nullptr, info.get(), DIB_RGB_COLORS, &bits_, nullptr, 0)) {}
  ~DibSection() {
    if (bitmap_ != nullptr) DeleteObject(bitmap_);
  }
  DibSection(const DibSection &) = delete;
  DibSection &operator=(const DibSection &) = delete;

  HBITMAP Bitmap() const { return bitmap_; }
  std::uint8_t *Bits() const { return static_cast<std::uint8_t *>(bits_); }

 private:
  void *bits_ = nullptr;
  HBITMAP bitmap_;
};

// A memory DC compatible with the screen with one bitmap selected, both let
// go when this goes.
class SelectedBitmap {
 public:
  SelectedBitmap(HDC screen, HBITMAP bitmap) : dc_(CreateCompatibleDC(screen)) {
    if (dc_ != nullptr) previous_ = SelectObject(dc_, bitmap);
  }
  ~SelectedBitmap() {
    if (dc_ == nullptr) return;
    if (previous_ != nullptr) SelectObject(dc_, previous_);
    DeleteDC(dc_);
  }
  SelectedBitmap(const SelectedBitmap &) = delete;
  SelectedBitmap &operator=(const SelectedBitmap &) = delete;

  HDC Dc() const { return previous_ != nullptr ? dc_ : nullptr; }

 private:
  HDC dc_;
  HGDIOBJ previous_ = nullptr;
};

// The screen DC, released when this goes.
class ScreenDc {
 public:
  ScreenDc() : dc_(GetDC(nullptr)) {}
  ~ScreenDc() {
    if (dc_ != nullptr) ReleaseDC(nullptr, dc_);
  }
  ScreenDc(const ScreenDc &) = delete;
  ScreenDc &operator=(const ScreenDc &) = delete;
  HDC Dc() const { return dc_; }

 private:
  HDC dc_;
};

struct Shifts {
  int right = 0;
  int bits = 0;
};

Shifts ShiftsOf(DWORD mask) {
  Shifts shifts;
  if (mask == 0) return shifts;
  while (((mask >> shifts.right) & 1u) == 0) ++shifts.right;
  for (DWORD rest = mask >> shifts.right; rest != 0; rest >>= 1) shifts.bits += rest & 1u;
  return shifts;
}

// A 16-bit field moves to the top of its byte; a 32-bit field only down to
// bit 0. Either way the component is kept to 8 bits.
std::uint8_t Component(std::uint32_t pixel, DWORD mask, const Shifts &shifts, int pixelBits) {
  std::uint32_t value = (pixel & mask) >> shifts.right;
  if (pixelBits == 16) {
    value = shifts.bits <= 8 ? value << (8 - shifts.bits) : value >> (shifts.bits - 8);
  }
  return static_cast<std::uint8_t>(value);
}

std::uint32_t PackedColor(std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
  return (std::uint32_t{red} << 16) | (std::uint32_t{green} << 8) | blue;
}

// Decodes one row of blue-green-red bytes into 0x00RRGGBB words.
void DecodeBgrRow(const std::uint8_t *bytes, std::vector<std::uint32_t> &row) {
  for (std::size_t x = 0; x < row.size(); ++x, bytes += 3) {
    row[x] = PackedColor(bytes[2], bytes[1], bytes[0]);
  }
}

// Feeds 16-, 24- and 32-bit rows straight from the block, in stored order;
// these need no colour table, so no section stands in between.
void AddDirectPixels(const LockedBlock &block, Octree &tree) {
  const PackedLayout &layout = *block.Layout();
  DWORD masks[3];
  const DWORD *plainMasks = layout.bitCount == 16 ? RGB_555_MASKS : RGB_888_MASKS;
  std::copy(plainMasks, plainMasks + 3, masks);
  if (block.Info().header.biCompression == BI_BITFIELDS) {
    std::memcpy(masks, block.Bytes() + INFO_HEADER_BYTES, sizeof masks);
  }
  const Shifts shifts[3] = {ShiftsOf(masks[0]), ShiftsOf(masks[1]), ShiftsOf(masks[2])};
  const std::size_t bytesPerPixel = static_cast<std::size_t>(layout.bitCount / 8);
  std::vector<std::uint32_t> row(static_cast<std::uint32_t>(layout.width));
  for (std::int32_t y = 0; y < layout.height; ++y) {
    const std::uint8_t *bytes = block.Rows() + static_cast<std::size_t>(y) * layout.stride;
    if (layout.bitCount == 24) {
      DecodeBgrRow(bytes, row);
    } else if (layout.bitCount == 32 && std::equal(masks, masks + 3, RGB_888_MASKS)) {
      // Special case: blue, green, red, unused, the layout of every rendering,
      // is a little-endian 0x00RRGGBB word already; the octree ignores the
      // unused byte.
      std::memcpy(row.data(), bytes, row.size() * sizeof row[0]);
    } else {
      for (std::size_t x = 0; x < row.size(); ++x, bytes += bytesPerPixel) {
        std::uint32_t pixel = bytes[0] | (std::uint32_t{bytes[1]} << 8);
        if (bytesPerPixel == 4)
          pixel |= (std::uint32_t{bytes[2]} << 16) | (std::uint32_t{bytes[3]} << 24);
        row[x] = PackedColor(Component(pixel, masks[0], shifts[0], layout.bitCount),
                             Component(pixel, masks[1], shifts[1], layout.bitCount),
                             Component(pixel, masks[2], shifts[2], layout.bitCount));
      }
    }
    tree.AddPixels(row.data(), row.size());
  }
}

// Feeds indexed rows through a DIB section: each row comes out of GetDIBits
// as 24 bits per pixel, which applies the colour table.
bool AddIndexedPixels(const LockedBlock &block, HDC screen, Octree &tree) {
  const PackedLayout &layout = *block.Layout();
  DibSection section(block.Info());
  if (section.Bitmap() == nullptr) return false;
  std::memcpy(section.Bits(), block.Rows(), static_cast<std::size_t>(layout.RowBytes()));
  FullInfo request;
  request.header = BITMAPINFOHEADER{
      INFO_HEADER_BYTES, layout.width, layout.height, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
  std::vector<std::uint8_t> bytes(std::size_t{static_cast<std::uint32_t>(layout.width)} * 3 + 64);
  std::vector<std::uint32_t> row(static_cast<std::uint32_t>(layout.width));
  for (std::int32_t y = 0; y < layout.height; ++y) {
    if (GetDIBits(screen, section.Bitmap(), static_cast<UINT>(y), 1, bytes.data(),
                  reinterpret_cast<BITMAPINFO *>(&request), DIB_RGB_COLORS) != 1) {
      return false;
    }
    DecodeBgrRow(bytes.data(), row);
    tree.AddPixels(row.data(), row.size());
  }
  return true;
}

HPALETTE CreatePaletteOf(const std::vector<PaletteColor> &colors) {
  struct {
    WORD version;
    WORD count;
    PALETTEENTRY entries[256];
  } logical{PALETTE_VERSION, static_cast<WORD>(colors.size()), {}};
  for (std::size_t i = 0; i < colors.size(); ++i) {
    logical.entries[i] = PALETTEENTRY{colors[i].red, colors[i].green, colors[i].blue, 0};
  }
  return CreatePalette(reinterpret_cast<const LOGPALETTE *>(&logical));
}

// Copies up to `count` palette entries into the colour table, which keeps
// zeros past the palette's end. Deletes nothing.
void FillTable(HPALETTE palette, RGBQUAD *table, UINT count) {
  PALETTEENTRY entries[256] = {};
  const UINT copied = GetPaletteEntries(palette, 0, count, entries);
  for (UINT i = 0; i < copied && i < count; ++i) {
    table[i] = RGBQUAD{entries[i].peBlue, entries[i].peGreen, entries[i].peRed, 0};
  }
}

// The colour table of an 8-bit result when no palette was given.
void FillFallbackTable(const LockedBlock &block, HGLOBAL handle, HDC screen, RGBQUAD *table) {
  if (block.Layout()->bitCount == 8) {
    std::memcpy(table, block.Info().colors, sizeof(RGBQUAD) * 256);
    return;
  }
  HPALETTE palette = BuildOctreePalette(handle, FALLBACK_OCTREE_COLORS, 8);
  if (palette == nullptr) palette = CreateHalftonePalette(screen);
  if (palette == nullptr) return;
  FillTable(palette, table, 256);
  DeleteObject(palette);
}

}  // namespace

HPALETTE BuildOctreePalette(HGLOBAL block, int maxColors, int colorBits) {
  if (maxColors < 1 || colorBits < 0 || colorBits > Octree::MAX_COLOR_BITS) return nullptr;
  const LockedBlock locked(block);
  if (!locked.Layout()) return nullptr;
  try {
    Octree tree(maxColors, colorBits);
    if (locked.Layout()->bitCount <= 8) {
      const ScreenDc screen;
      if (!AddIndexedPixels(locked, screen.Dc(), tree)) return nullptr;
    } else {
      AddDirectPixels(locked, tree);
    }
    return CreatePaletteOf(tree.Palette());
  } catch (const std::bad_alloc &) {
    return nullptr;
  }
}

// Steps: the new header and colour table; a source section holding the
// picture and a destination section of the new layout; one BitBlt between
// them; then the new block made of the header, the table and the
// destination's rows.
HGLOBAL ConvertPackedDib(HGLOBAL block, int bitCount, HPALETTE palette) {
  if (!IsDibBitCount(bitCount)) return nullptr;
  const LockedBlock source(block);
  if (!source.Layout()) return nullptr;
  const PackedLayout &layout = *source.Layout();
  const ScreenDc screen;

  FullInfo target;
  target.header = BITMAPINFOHEADER{INFO_HEADER_BYTES,
                                   layout.width,
                                   layout.height,
                                   1,
                                   static_cast<WORD>(bitCount),
                                   BI_RGB,
                                   0,
                                   0,
                                   0,
                                   0,
                                   0};
  const UINT tableSize = bitCount <= 8 ? 1u << bitCount : 0u;
  if (palette != nullptr) {
    FillTable(palette, target.colors, tableSize);
  } else if (bitCount == 8) {
    FillFallbackTable(source, block, screen.Dc(), target.colors);
  }

  const DibSection from(source.Info());
  const DibSection to(target);
  if (from.Bitmap() == nullptr || to.Bitmap() == nullptr) return nullptr;
  std::memcpy(from.Bits(), source.Rows(), static_cast<std::size_t>(layout.RowBytes()));
  {
    const SelectedBitmap sourceDc(screen.Dc(), from.Bitmap());
    const SelectedBitmap targetDc(screen.Dc(), to.Bitmap());
    if (sourceDc.Dc() == nullptr || targetDc.Dc() == nullptr ||
        !BitBlt(targetDc.Dc(), 0, 0, layout.width, layout.height, sourceDc.Dc(), 0, 0, SRCCOPY)) {
      return nullptr;
    }
  }
  GdiFlush();

  const std::uint64_t rowBytes = RowStride(static_cast<std::uint64_t>(layout.width), bitCount) *
                                 static_cast<std::uint64_t>(layout.height);
  const std::size_t tableBytes = sizeof(RGBQUAD) * tableSize;
  if (INFO_HEADER_BYTES + tableBytes + rowBytes > MAX_PACKED_BYTES) return nullptr;
  // Header, table and rows fill the block: it needs no zeros first.
  HGLOBAL result =
      GlobalAlloc(GMEM_MOVEABLE, static_cast<SIZE_T>(INFO_HEADER_BYTES + tableBytes + rowBytes));
  if (result == nullptr) return nullptr;
  auto *bytes = static_cast<std::uint8_t *>(GlobalLock(result));
  target.header.biSizeImage = static_cast<DWORD>(rowBytes);
  std::memcpy(bytes, &target.header, INFO_HEADER_BYTES);
  std::memcpy(bytes + INFO_HEADER_BYTES, target.colors, tableBytes);
  std::memcpy(bytes + INFO_HEADER_BYTES + tableBytes, to.Bits(),
              static_cast<std::size_t>(rowBytes));
  GlobalUnlock(result);
  return result;
}

HGLOBAL ConvertPicture(HGLOBAL block, int bitCount) {
  if (!IsDibBitCount(bitCount)) return nullptr;
  if (bitCount > 8) return ConvertPackedDib(block, bitCount, nullptr);
  const WaitCursor wait;
  HPALETTE octree = BuildOctreePalette(block, 1 << bitCount, bitCount);
  HGLOBAL converted = ConvertPackedDib(block, bitCount, octree);
  if (octree != nullptr) DeleteObject(octree);
  return converted;
}

}  // namespace trendel
