// Compatible bitmaps, DIB sections, GetDIBits and block transfers.
//
// Every transfer goes through one row buffer of 0x00RRGGBB pixels: the source
// row is decoded from its layout, then encoded into the destination's. A
// layout is a bitmap's own storage or a caller's GetDIBits buffer, described
// the same way (PixelRows). BitBlt clips both rectangles to their bitmaps
// first; pixels whose source or destination lies outside are left alone.
//
// Colour rules, as measured under the GDI oracle with probes that blit
// between DIB sections of every depth:
//  - Fields narrower than 8 bits (16-bit 5-5-5, 5-6-5 and other bit fields)
//    widen by repeating their top bits: 5-bit 0x01 becomes 0x08, 0x10 becomes
//    0x84. Narrowing keeps the top bits: 0x07 becomes 5-bit 0.
//  - A colour going into a colour table becomes the index of the nearest
//    entry by the sum of squared component differences; of equally near
//    entries the lowest index wins. (The oracle's own matcher rounds colours
//    to a coarser grid first and so breaks some ties differently.)
//  - A DIB section's colour table always has 2^bitCount entries; those past
//    the header's count are black.
//
// Limitations: GetDIBits takes requests of the bitmap's own width and height
// only, with DIB_RGB_COLORS; CreateDIBSection takes no file mapping.
#include "Bitmaps.h"
#include "Handles.h"
#include "Palettes.h"
#include "StockObjects.h"
#include "Surface.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <new>
#include <optional>
#include <utility>
#include <vector>

using namespace trendel::portable;

namespace trendel::portable {
namespace {

// The most a single bitmap may hold, so that sizes never overflow the
// arithmetic of 32-bit hosts either.
constexpr long long MAX_BITMAP_BYTES = std::numeric_limits<std::int32_t>::max();

constexpr DWORD RGB_555_MASKS[3] = {0x7C00, 0x03E0, 0x001F};
constexpr DWORD RGB_888_MASKS[3] = {0xFF0000, 0x00FF00, 0x0000FF};

// Rows are padded to whole 32-bit words.
long long StrideOf(long long width, int bitCount) {
  return (width * bitCount + 31) / 32 * 4;
}

bool IsIndexed(int bitCount) {
  return bitCount <= 8;
}

bool IsSupportedBitCount(int bitCount) {
  return bitCount == 1 || bitCount == 4 || bitCount == 8 || bitCount == 16 || bitCount == 24 ||
         bitCount == 32;
}

// Rescales an unsigned field of `fromBits` bits to `toBits`: narrowing keeps
// the top bits, widening repeats the field from the top down.
std::uint32_t Rescale(std::uint32_t value, int fromBits, int toBits) {
  if (fromBits == 0) return 0;
  if (fromBits >= toBits) return value >> (fromBits - toBits);
  std::uint64_t repeated = 0;
  int filled = 0;
  while (filled < toBits) {
    repeated = (repeated << fromBits) | value;
    filled += fromBits;
  }
  return static_cast<std::uint32_t>(repeated >> (filled - toBits));
}

// 32-bit pixels are read and written through memcpy: a caller's GetDIBits
// buffer need not be aligned for them.
std::uint32_t LoadWord(const std::uint8_t *bytes) {
  std::uint32_t word;
  std::memcpy(&word, bytes, sizeof word);
  return word;
}

void StoreWord(std::uint8_t *bytes, std::uint32_t word) {
  std::memcpy(bytes, &word, sizeof word);
}

// Where one colour component sits in a 16- or 32-bit pixel.
struct Channel {
  int shift = 0;
  int bits = 0;
};

Channel ChannelOf(DWORD mask) {
  Channel channel;
  if (mask == 0) return channel;
  while ((mask & 1u) == 0) {
    mask >>= 1;
    ++channel.shift;
  }
  while ((mask & 1u) != 0) {
    mask >>= 1;
    ++channel.bits;
  }
  return channel;
}

// A view of pixel rows in any DIB layout. Rows are counted from the top of
// the picture whichever way they are stored.
struct PixelRows {
  int width = 0;
  int height = 0;
  int bitCount = 32;
  bool topDown = true;
  std::size_t stride = 0;
  std::uint8_t *bits = nullptr;
  const RGBQUAD *colorTable = nullptr;  // 2^bitCount entries when indexed
  Channel channels[3];                  // red, green, blue of 16- and 32-bit pixels
  // Whether every 32-bit pixel is known to have a zero top byte: true for
  // the bitmaps only this layer writes (compatible bitmaps, window client
  // areas), whose every pixel comes from PixelFromColor or a masked
  // transfer. A DIB section's bits are the caller's to write.
  bool topBytesClear = false;

  std::uint8_t *Row(int y) const {
    const int storedRow = topDown ? y : height - 1 - y;
    return bits + static_cast<std::size_t>(storedRow) * stride;
  }
};

// The 0x00RRGGBB layout of every drawing surface, worth a fast path.
bool IsPlainRgb(const PixelRows &rows) {
  const Channel *channels = rows.channels;
  return rows.bitCount == 32 && channels[0].shift == 16 && channels[0].bits == 8 &&
         channels[1].shift == 8 && channels[1].bits == 8 && channels[2].shift == 0 &&
         channels[2].bits == 8;
}

void SetChannels(PixelRows &rows, DWORD compression, const DWORD *masks) {
  const DWORD *chosen = compression == BI_BITFIELDS ? masks
                        : rows.bitCount == 16       ? RGB_555_MASKS
                                                    : RGB_888_MASKS;
  for (int i = 0; i < 3; ++i) rows.channels[i] = ChannelOf(chosen[i]);
}

PixelRows RowsOf(const Bitmap &bitmap) {
  PixelRows rows;
  rows.width = bitmap.width;
  rows.height = bitmap.height;
  rows.bitCount = bitmap.bitCount;
  rows.topDown = bitmap.topDown;
  rows.stride = bitmap.stride;
  rows.bits = bitmap.WrittenBits();
  rows.colorTable = bitmap.colorTable.data();
  rows.topBytesClear = !bitmap.isDibSection;
  SetChannels(rows, bitmap.compression, bitmap.colorMasks);
  return rows;
}

std::uint32_t PixelFromQuad(const RGBQUAD &quad) {
  return (std::uint32_t{quad.rgbRed} << 16) | (std::uint32_t{quad.rgbGreen} << 8) | quad.rgbBlue;
}

std::uint32_t PixelFromFields(const PixelRows &rows, std::uint32_t value) {
  std::uint32_t pixel = 0;
  for (const Channel &channel : rows.channels) {
    const std::uint32_t field =
        channel.bits == 0 ? 0 : (value >> channel.shift) & ((std::uint64_t{1} << channel.bits) - 1);
    pixel = (pixel << 8) | Rescale(field, channel.bits, 8);
  }
  return pixel;
}

std::uint32_t FieldsFromPixel(const PixelRows &rows, std::uint32_t pixel) {
  std::uint32_t value = 0;
  for (int i = 0; i < 3; ++i) {
    const std::uint32_t component = (pixel >> (16 - 8 * i)) & 0xFF;
    value |= Rescale(component, 8, rows.channels[i].bits) << rows.channels[i].shift;
  }
  return value;
}

// The nearest colour-table entry of each colour, remembered in a small
// direct-mapped cache because a picture repeats its few colours endlessly.
// Lives for one transfer: the table must not change meanwhile.
class NearestColor {
 public:
  NearestColor(const RGBQUAD *table, int count)
      : table_(table), count_(count), keys_(CACHE_SIZE, EMPTY), indices_(CACHE_SIZE) {}

  std::uint8_t IndexOf(std::uint32_t pixel) {
    if (pixel == lastPixel_) return lastIndex_;
    lastPixel_ = pixel;
    const std::size_t slot = (pixel * 2654435761u) >> (32 - CACHE_BITS);
    if (keys_[slot] != pixel) {
      keys_[slot] = pixel;
      indices_[slot] = Search(pixel);
    }
    lastIndex_ = indices_[slot];
    return lastIndex_;
  }

 private:
  static constexpr int CACHE_BITS = 12;
  static constexpr std::size_t CACHE_SIZE = std::size_t{1} << CACHE_BITS;
  // Pixels are 24-bit, so no pixel equals this.
  static constexpr std::uint32_t EMPTY = 0xFFFFFFFF;

  std::uint8_t Search(std::uint32_t pixel) const {
    const int red = static_cast<int>(pixel >> 16), green = static_cast<int>((pixel >> 8) & 0xFF),
              blue = static_cast<int>(pixel & 0xFF);
    int best = 0;
    int bestDistance = std::numeric_limits<int>::max();
    for (int i = 0; i < count_ && bestDistance > 0; ++i) {
      const int dr = red - table_[i].rgbRed, dg = green - table_[i].rgbGreen,
                db = blue - table_[i].rgbBlue;
      const int distance = dr * dr + dg * dg + db * db;
      if (distance < bestDistance) {
        bestDistance = distance;
        best = i;
      }
    }
    return static_cast<std::uint8_t>(best);
  }

  const RGBQUAD *table_;
  int count_;
  // Neighbouring pixels are mostly the same colour.
  std::uint32_t lastPixel_ = EMPTY;
  std::uint8_t lastIndex_ = 0;
  std::vector<std::uint32_t> keys_;
  std::vector<std::uint8_t> indices_;
};

void DecodeRow(const PixelRows &rows, int x, int y, int count, std::uint32_t *pixels) {
  const std::uint8_t *row = rows.Row(y);
  switch (rows.bitCount) {
    case 1:
    case 4:
    case 8: {
      const int perByte = 8 / rows.bitCount;
      const unsigned mask = (1u << rows.bitCount) - 1;
      for (int i = 0; i < count; ++i) {
        const int column = x + i;
        const int shift = 8 - rows.bitCount * (column % perByte + 1);
        pixels[i] = PixelFromQuad(rows.colorTable[(row[column / perByte] >> shift) & mask]);
      }
      break;
    }
    case 16:
      for (int i = 0; i < count; ++i) {
        const std::uint8_t *bytes = row + 2 * (x + i);
        pixels[i] = PixelFromFields(rows, bytes[0] | (std::uint32_t{bytes[1]} << 8));
      }
      break;
    case 24:
      for (int i = 0; i < count; ++i) {
        const std::uint8_t *bytes = row + 3 * (x + i);
        pixels[i] = (std::uint32_t{bytes[2]} << 16) | (std::uint32_t{bytes[1]} << 8) | bytes[0];
      }
      break;
    default: {
      const std::uint8_t *words = row + 4 * x;
      if (IsPlainRgb(rows)) {
        for (int i = 0; i < count; ++i) pixels[i] = LoadWord(words + 4 * i) & 0x00FFFFFF;
      } else {
        for (int i = 0; i < count; ++i) pixels[i] = PixelFromFields(rows, LoadWord(words + 4 * i));
      }
      break;
    }
  }
}

// Callers must pass a colour matcher for indexed layouts.
void EncodeRow(const PixelRows &rows, int x, int y, int count, const std::uint32_t *pixels,
               NearestColor *matcher) {
  std::uint8_t *row = rows.Row(y);
  switch (rows.bitCount) {
    case 8:
      for (int i = 0; i < count; ++i) row[x + i] = matcher->IndexOf(pixels[i]);
      break;
    case 1:
    case 4: {
      const int perByte = 8 / rows.bitCount;
      const unsigned mask = (1u << rows.bitCount) - 1;
      for (int i = 0; i < count; ++i) {
        const int column = x + i;
        const int shift = 8 - rows.bitCount * (column % perByte + 1);
        std::uint8_t &byte = row[column / perByte];
        byte = static_cast<std::uint8_t>((byte & ~(mask << shift)) |
                                         (matcher->IndexOf(pixels[i]) << shift));
      }
      break;
    }
    case 16:
      for (int i = 0; i < count; ++i) {
        const std::uint32_t value = FieldsFromPixel(rows, pixels[i]);
        row[2 * (x + i)] = static_cast<std::uint8_t>(value);
        row[2 * (x + i) + 1] = static_cast<std::uint8_t>(value >> 8);
      }
      break;
    case 24:
      for (int i = 0; i < count; ++i) {
        std::uint8_t *bytes = row + 3 * (x + i);
        bytes[0] = static_cast<std::uint8_t>(pixels[i]);
        bytes[1] = static_cast<std::uint8_t>(pixels[i] >> 8);
        bytes[2] = static_cast<std::uint8_t>(pixels[i] >> 16);
      }
      break;
    default: {
      std::uint8_t *words = row + 4 * x;
      if (IsPlainRgb(rows)) {
        for (int i = 0; i < count; ++i) StoreWord(words + 4 * i, pixels[i] & 0x00FFFFFF);
      } else {
        for (int i = 0; i < count; ++i) {
          StoreWord(words + 4 * i, FieldsFromPixel(rows, pixels[i] & 0x00FFFFFF));
        }
      }
      break;
    }
  }
}

// Plain 32-bit pixels to their colour-table indices, two at a time: a pair
// of pixels with the colours of the pair before takes its two indices again
// without the matcher. Pixels are little-endian words, so the first of a
// pair is the low half of the 64-bit load.
void MatchPlainRow(const std::uint8_t *from, std::uint8_t *to, int columns,
                   NearestColor &matcher) {
  static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__, "pairs are read as 64-bit words");
  constexpr std::uint64_t COLOR_BITS = 0x00FFFFFF00FFFFFFull;
  std::uint64_t previousPair = ~std::uint64_t{0};  // no pair has its spare bits set
  std::uint8_t firstIndex = 0, secondIndex = 0;
  int x = 0;
  for (; x + 2 <= columns; x += 2) {
    std::uint64_t pair;
    std::memcpy(&pair, from + 4 * x, sizeof pair);
    pair &= COLOR_BITS;
    if (pair != previousPair) {
      previousPair = pair;
      firstIndex = matcher.IndexOf(static_cast<std::uint32_t>(pair));
      secondIndex = matcher.IndexOf(static_cast<std::uint32_t>(pair >> 32));
    }
    to[x] = firstIndex;
    to[x + 1] = secondIndex;
  }
  if (x < columns) to[x] = matcher.IndexOf(LoadWord(from + 4 * x) & 0x00FFFFFF);
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

// The layout a BITMAPINFO header asks for, when it is one this layer knows:
// a 40-byte header, 1, 4, 8, 16, 24 or 32 bits, BI_RGB, or BI_BITFIELDS
// for 16 and 32 bits with the three masks right after the header.
struct DibFormat {
  long long width = 0;
  long long height = 0;  // rows, always positive
  bool topDown = false;
  int bitCount = 0;
  DWORD compression = BI_RGB;
  DWORD masks[3] = {0, 0, 0};
  long long stride = 0;
};

std::optional<DibFormat> ReadFormat(const BITMAPINFO &info) {
  const BITMAPINFOHEADER &header = info.bmiHeader;
  DibFormat format;
  format.bitCount = header.biBitCount;
  format.compression = header.biCompression;
  const bool bitFields =
      header.biCompression == BI_BITFIELDS && (header.biBitCount == 16 || header.biBitCount == 32);
  if (header.biSize != sizeof(BITMAPINFOHEADER) || header.biPlanes != 1 ||
      !IsSupportedBitCount(header.biBitCount) || header.biWidth <= 0 || header.biHeight == 0 ||
      header.biHeight == std::numeric_limits<LONG>::min() ||
      (header.biCompression != BI_RGB && !bitFields)) {
    return std::nullopt;
  }
  if (bitFields) {
    std::memcpy(format.masks, reinterpret_cast<const std::uint8_t *>(&info) + header.biSize,
                sizeof format.masks);
    if (format.masks[0] == 0 && format.masks[1] == 0 && format.masks[2] == 0) return std::nullopt;
  }
  format.width = header.biWidth;
  format.topDown = header.biHeight < 0;
  format.height = format.topDown ? -static_cast<long long>(header.biHeight) : header.biHeight;
  format.stride = StrideOf(format.width, format.bitCount);
  if (format.stride * format.height > MAX_BITMAP_BYTES) return std::nullopt;
  return format;
}

PixelRows RowsOf(const DibFormat &format, void *bits, const RGBQUAD *colorTable) {
  PixelRows rows;
  rows.width = static_cast<int>(format.width);
  rows.height = static_cast<int>(format.height);
  rows.bitCount = format.bitCount;
  rows.topDown = format.topDown;
  rows.stride = static_cast<std::size_t>(format.stride);
  rows.bits = static_cast<std::uint8_t *>(bits);
  rows.colorTable = colorTable;
  SetChannels(rows, format.compression, format.masks);
  return rows;
}

// The colour table GetDIBits gives an indexed request: the bitmap's own when
// it has one of that size, otherwise GDI's default for the bit count.
std::vector<RGBQUAD> RequestedColorTable(const Bitmap &bitmap, int bitCount) {
  if (bitmap.bitCount == bitCount && !bitmap.colorTable.empty()) return bitmap.colorTable;
  std::vector<RGBQUAD> table(std::size_t{1} << bitCount, RGBQUAD{0, 0, 0, 0});
  if (bitCount == 1) {
    table[1] = RGBQUAD{255, 255, 255, 0};
    return table;
  }
  const PALETTEENTRY *entries = bitCount == 4 ? StandardSixteenColors() : HalftoneColors();
  for (std::size_t i = 0; i < table.size(); ++i) {
    table[i] = RGBQUAD{entries[i].peBlue, entries[i].peGreen, entries[i].peRed, 0};
  }
  return table;
}

// Padding and the spare bits of a last byte come out as zeros, as in GDI.
// Rows of 8 bits per pixel and more are then written whole by the transfer,
// so only their padding is cleared here; a multi-megabyte picture is not
// cleared once only to be overwritten.
void ClearUnwrittenBytes(const DibFormat &format, std::uint8_t *bits, long long rows) {
  const auto stride = static_cast<std::size_t>(format.stride);
  if (format.bitCount < 8) {
    std::memset(bits, 0, stride * static_cast<std::size_t>(rows));
    return;
  }
  const auto written = static_cast<std::size_t>(format.width) * (format.bitCount / 8u);
  for (long long row = 0; row < rows; ++row) {
    std::memset(bits + static_cast<std::size_t>(row) * stride + written, 0, stride - written);
  }
}

// Copies `rows` picture rows from the source view to the destination view,
// row by row through one buffer of 0x00RRGGBB pixels.
bool TransferRows(const PixelRows &source, int sourceX, const std::vector<int> &sourceRows,
                  const PixelRows &target, int targetX, const std::vector<int> &targetRows,
                  int columns) {
  // Special case: one plain 32-bit layout to another needs no row buffer.
  // A source with clear top bytes is copied row by row as it is, the copy of
  // every drawing pass to its window. Otherwise, between two bitmaps each row
  // is copied and masked in one pass; within one bitmap memmove copes with a
  // row that overlaps itself, and the mask follows.
  if (IsPlainRgb(source) && IsPlainRgb(target)) {
    const bool sameBitmap = source.bits == target.bits;
    const std::size_t rowBytes = 4 * std::size_t{static_cast<unsigned>(columns)};
    for (std::size_t i = 0; i < sourceRows.size(); ++i) {
      std::uint8_t *to = target.Row(targetRows[i]) + 4 * targetX;
      const std::uint8_t *from = source.Row(sourceRows[i]) + 4 * sourceX;
      if (source.topBytesClear) {
        std::memmove(to, from, rowBytes);
        continue;
      }
      if (!sameBitmap) {
        for (int x = 0; x < columns; ++x) {
          StoreWord(to + 4 * x, LoadWord(from + 4 * x) & 0x00FFFFFF);
        }
        continue;
      }
      std::memmove(to, from, rowBytes);
      for (int x = 0; x < columns; ++x) StoreWord(to + 4 * x, LoadWord(to + 4 * x) & 0x00FFFFFF);
    }
    return true;
  }
  try {
    std::optional<NearestColor> matcher;
    if (IsIndexed(target.bitCount)) matcher.emplace(target.colorTable, 1 << target.bitCount);
    // Special case: plain 32-bit pixels into 8-bit indices, the depth change
    // of every GIF save, go straight from row to row without the buffer.
    if (IsPlainRgb(source) && target.bitCount == 8) {
      for (std::size_t i = 0; i < sourceRows.size(); ++i) {
        MatchPlainRow(source.Row(sourceRows[i]) + 4 * sourceX,
                      target.Row(targetRows[i]) + targetX, columns, *matcher);
      }
      return true;
    }
    std::vector<std::uint32_t> row(static_cast<std::size_t>(columns));
    for (std::size_t i = 0; i < sourceRows.size(); ++i) {
      DecodeRow(source, sourceX, sourceRows[i], columns, row.data());
      EncodeRow(target, targetX, targetRows[i], columns, row.data(), matcher ? &*matcher : nullptr);
    }
  } catch (const std::bad_alloc &) {
    return false;
  }
  return true;
}

// Special case: a copy of one whole bitmap onto another of the same shape,
// both written only by this layer, as every drawing pass ends. The copy is
// owed rather than made (Bitmap::copySource); false when the transfer is not
// such a copy, or the source is still unwritten black, and is left to
// TransferRows.
bool DeferWholeCopy(Bitmap &origin, Bitmap &target, long long destinationX,
                    long long destinationY, long long sourceLeft, long long sourceTop,
                    long long columns, long long rows) {
  const auto plainSurface = [](const Bitmap &bitmap) {
    return !bitmap.isDibSection && bitmap.bitCount == 32 && bitmap.compression == BI_RGB;
  };
  const bool whole = destinationX == 0 && destinationY == 0 && sourceLeft == 0 &&
                     sourceTop == 0 && columns == origin.width && rows == origin.height;
  const bool sameShape = origin.width == target.width && origin.height == target.height &&
                         origin.stride == target.stride && origin.topDown == target.topDown;
  if (&origin == &target || !whole || !sameShape || !plainSurface(origin) ||
      !plainSurface(target)) {
    return false;
  }
  // Whatever the target was owed is overwritten whole; what it owes another
  // bitmap, and anything the source owes or is owed, is settled first, so
  // that each bitmap is in one owed copy at most.
  if (target.copySource != nullptr) {
    target.copySource->copyTarget = nullptr;
    target.copySource = nullptr;
  }
  target.SettleCopy();
  origin.SettleCopy();
  if (origin.blackUnwritten) return false;
  target.blackUnwritten = false;
  target.copySource = &origin;
  origin.copyTarget = &target;
  return true;
}

}  // namespace

Bitmap::~Bitmap() {
  if (copyTarget != nullptr) {
    // The owed picture is this bitmap's: the target takes the block whole,
    // and its own block goes with this bitmap.
    std::swap(copyTarget->bits, bits);
    copyTarget->copySource = nullptr;
  }
  if (copySource != nullptr) copySource->copyTarget = nullptr;
}

void Bitmap::SettleCopy() const {
  const std::size_t bytes = stride * static_cast<std::size_t>(height);
  if (copySource != nullptr) {
    std::memcpy(bits.get(), copySource->bits.get(), bytes);
    copySource->copyTarget = nullptr;
    copySource = nullptr;
  }
  if (copyTarget != nullptr) {
    std::memcpy(copyTarget->bits.get(), bits.get(), bytes);
    copyTarget->copySource = nullptr;
    copyTarget = nullptr;
  }
}

std::unique_ptr<Bitmap> NewSurfaceBitmap(long long width, long long height, std::uint32_t pixel) {
  if (width < 1 || height < 1 || width * height > MAX_BITMAP_BYTES / 4) return nullptr;
  try {
    auto bitmap = std::make_unique<Bitmap>();
    bitmap->width = static_cast<LONG>(width);
    bitmap->height = static_cast<LONG>(height);
    bitmap->bitCount = 32;
    bitmap->stride = static_cast<std::size_t>(width) * 4;
    const auto count = static_cast<std::size_t>(width * height);
    if (pixel == 0) {
      bitmap->bits = NewBlock(count * 4, BlockContents::Undefined);
      bitmap->blackUnwritten = true;
    } else {
      bitmap->bits = NewBlock(count * 4, BlockContents::Undefined);
      FillPixels(reinterpret_cast<std::uint32_t *>(bitmap->bits.get()), count, pixel);
    }
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
  Bitmap *origin = TargetBitmapOf(*sourceContext);
  if (target == nullptr || origin == nullptr) return FALSE;

  long long destinationX = x, destinationY = y, sourceLeft = sourceX, sourceTop = sourceY;
  long long columns = width, rows = height;
  if (!ClipAxis(destinationX, sourceLeft, columns, target->width, origin->width) ||
      !ClipAxis(destinationY, sourceTop, rows, target->height, origin->height)) {
    return TRUE;
  }
  if (DeferWholeCopy(*origin, *target, destinationX, destinationY, sourceLeft, sourceTop, columns,
                     rows)) {
    return TRUE;
  }
  std::vector<int> sourceRows, targetRows;
  try {
    sourceRows.resize(static_cast<std::size_t>(rows));
    targetRows.resize(static_cast<std::size_t>(rows));
  } catch (const std::bad_alloc &) {
    return FALSE;
  }
  // Rows are copied bottom-up when a bitmap overlaps itself downwards, so that
  // no source row is overwritten before it is read.
  const bool upwards = origin == target && destinationY > sourceTop;
  for (long long i = 0; i < rows; ++i) {
    const long long offset = upwards ? rows - 1 - i : i;
    sourceRows[static_cast<std::size_t>(i)] = static_cast<int>(sourceTop + offset);
    targetRows[static_cast<std::size_t>(i)] = static_cast<int>(destinationY + offset);
  }
  return TransferRows(RowsOf(*origin), static_cast<int>(sourceLeft), sourceRows, RowsOf(*target),
                      static_cast<int>(destinationX), targetRows, static_cast<int>(columns))
             ? TRUE
             : FALSE;
}

// Scan lines count from the bottom of a bottom-up request and from the top of
// a top-down one. Measured under the oracle, GDI also reads a bitmap that is
// still selected into a memory DC, and it completes biSizeImage and, for
// indexed requests, the colour table whether or not bits are wanted.
int GetDIBits(HDC dc, HBITMAP bitmap, UINT firstRow, UINT rowCount, LPVOID bits, BITMAPINFO *info,
              UINT usage) {
  const Bitmap *origin = FindBitmap(bitmap);
  if (FindDeviceContext(dc) == nullptr || origin == nullptr || info == nullptr ||
      usage != DIB_RGB_COLORS) {
    return 0;
  }
  const std::optional<DibFormat> format = ReadFormat(*info);
  if (!format || format->width != origin->width || format->height != origin->height) return 0;

  std::vector<RGBQUAD> colorTable;
  try {
    if (IsIndexed(format->bitCount)) colorTable = RequestedColorTable(*origin, format->bitCount);
  } catch (const std::bad_alloc &) {
    return 0;
  }
  std::copy(colorTable.begin(), colorTable.end(), info->bmiColors);
  info->bmiHeader.biSizeImage = static_cast<DWORD>(format->stride * format->height);
  info->bmiHeader.biClrUsed = 0;
  if (bits == nullptr) return TRUE;

  const long long height = format->height;
  const long long copied =
      firstRow >= height ? 0 : std::min<long long>(rowCount, height - firstRow);
  // The caller's buffer holds only the copied scan lines, from firstRow on.
  DibFormat window = *format;
  window.height = std::max(copied, 1LL);
  std::vector<int> sourceRows, targetRows;
  try {
    for (long long i = 0; i < copied; ++i) {
      const long long scanLine = firstRow + i;
      sourceRows.push_back(static_cast<int>(format->topDown ? scanLine : height - 1 - scanLine));
      targetRows.push_back(static_cast<int>(format->topDown ? i : window.height - 1 - i));
    }
  } catch (const std::bad_alloc &) {
    return 0;
  }
  ClearUnwrittenBytes(*format, static_cast<std::uint8_t *>(bits), copied);
  const PixelRows target = RowsOf(window, bits, colorTable.data());
  if (!TransferRows(RowsOf(*origin), 0, sourceRows, target, 0, targetRows,
                    static_cast<int>(format->width))) {
    return 0;
  }
  return static_cast<int>(copied);
}

HBITMAP CreateDIBSection(HDC dc, const BITMAPINFO *info, UINT usage, void **bits, HANDLE section,
                         DWORD offset) {
  if (bits != nullptr) *bits = nullptr;
  if ((dc != nullptr && FindDeviceContext(dc) == nullptr) || info == nullptr ||
      usage != DIB_RGB_COLORS || section != nullptr || offset != 0) {
    return nullptr;
  }
  const std::optional<DibFormat> format = ReadFormat(*info);
  if (!format) return nullptr;
  try {
    auto bitmap = std::make_unique<Bitmap>();
    bitmap->width = static_cast<LONG>(format->width);
    bitmap->height = static_cast<LONG>(format->height);
    bitmap->bitCount = static_cast<WORD>(format->bitCount);
    bitmap->topDown = format->topDown;
    bitmap->isDibSection = true;
    bitmap->compression = format->compression;
    std::copy(format->masks, format->masks + 3, bitmap->colorMasks);
    bitmap->stride = static_cast<std::size_t>(format->stride);
    bitmap->bits =
        NewBlock(bitmap->stride * static_cast<std::size_t>(format->height), BlockContents::Zeros);
    if (IsIndexed(format->bitCount)) {
      const std::size_t size = std::size_t{1} << format->bitCount;
      const DWORD used = info->bmiHeader.biClrUsed;
      const std::size_t given = used == 0 ? size : std::min<std::size_t>(used, size);
      bitmap->colorTable.assign(size, RGBQUAD{0, 0, 0, 0});
      std::copy(info->bmiColors, info->bmiColors + given, bitmap->colorTable.begin());
    }
    void *storage = bitmap->bits.get();
    auto handle = static_cast<HBITMAP>(HandleTable::Instance().Add(std::move(bitmap)));
    if (handle != nullptr && bits != nullptr) *bits = storage;
    return handle;
  } catch (const std::bad_alloc &) {
    return nullptr;
  }
}

UINT SetDIBColorTable(HDC dc, UINT start, UINT count, const RGBQUAD *colors) {
  const DeviceContext *context = FindDeviceContext(dc);
  if (context == nullptr || !context->isMemory || colors == nullptr) return 0;
  Bitmap *bitmap = FindBitmap(context->bitmap);
  if (bitmap == nullptr || !bitmap->isDibSection || bitmap->colorTable.empty()) return 0;
  const auto size = static_cast<UINT>(bitmap->colorTable.size());
  if (start >= size) return 0;
  const UINT changed = std::min(count, size - start);
  std::copy_n(colors, changed, bitmap->colorTable.begin() + start);
  return changed;
}

BOOL GdiFlush() {
  return TRUE;
}
