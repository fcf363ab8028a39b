#include "Pictures.h"

#include "export/PackedDib.h"

#include <cstring>

namespace trendel::testing {
namespace {

HGLOBAL NewBlock(int width, int height, int bitCount, const std::vector<RGBQUAD> &table,
                 std::uint8_t *&rows) {
  const auto stride =
      static_cast<std::size_t>(RowStride(static_cast<std::uint64_t>(width), bitCount));
  const std::size_t size = 40 + 4 * table.size() + stride * static_cast<std::size_t>(height);
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, size);
  auto *bytes = static_cast<std::uint8_t *>(GlobalLock(block));
  const BITMAPINFOHEADER header{40,     width, height, 1, static_cast<WORD>(bitCount),
                                BI_RGB, 0,     0,      0, static_cast<DWORD>(table.size()),
                                0};
  std::memcpy(bytes, &header, sizeof header);
  if (!table.empty()) std::memcpy(bytes + 40, table.data(), 4 * table.size());
  rows = bytes + 40 + 4 * table.size();
  return block;
}

std::size_t StoredOffset(int width, int height, int bitCount, int x, int y) {
  const auto stride =
      static_cast<std::size_t>(RowStride(static_cast<std::uint64_t>(width), bitCount));
  return static_cast<std::size_t>(height - 1 - y) * stride +
         static_cast<std::size_t>(x) * static_cast<std::size_t>(bitCount / 8);
}

}  // namespace

Image LetterF() {
  const char *rows[5] = {"#####.", "#.....", "####..", "#.....", "#....."};
  Image image;
  image.width = 6;
  image.height = 5;
  for (const char *row : rows) {
    for (int x = 0; x < 6; ++x) image.pixels.push_back(row[x] == '#' ? RED : BLUE);
  }
  return image;
}

HGLOBAL PackedBlock(const Image &picture, int bitCount) {
  std::uint8_t *rows = nullptr;
  HGLOBAL block = NewBlock(picture.width, picture.height, bitCount, {}, rows);
  for (int y = 0; y < picture.height; ++y) {
    for (int x = 0; x < picture.width; ++x) {
      const std::uint32_t pixel = picture.At(x, y);
      std::uint8_t *at = rows + StoredOffset(picture.width, picture.height, bitCount, x, y);
      if (bitCount == 16) {
        const unsigned value =
            ((pixel >> 19) & 0x1F) << 10 | ((pixel >> 11) & 0x1F) << 5 | ((pixel >> 3) & 0x1F);
        at[0] = static_cast<std::uint8_t>(value);
        at[1] = static_cast<std::uint8_t>(value >> 8);
      } else {
        at[0] = static_cast<std::uint8_t>(pixel);
        at[1] = static_cast<std::uint8_t>(pixel >> 8);
        at[2] = static_cast<std::uint8_t>(pixel >> 16);
      }
    }
  }
  GlobalUnlock(block);
  return block;
}

HGLOBAL PackedIndexedBlock(int width, int height, int bitCount,
                           const std::vector<std::uint8_t> &indices,
                           const std::vector<RGBQUAD> &table) {
  std::uint8_t *rows = nullptr;
  HGLOBAL block = NewBlock(width, height, bitCount, table, rows);
  const auto stride =
      static_cast<std::size_t>(RowStride(static_cast<std::uint64_t>(width), bitCount));
  const int perByte = 8 / bitCount;
  for (int y = 0; y < height; ++y) {
    std::uint8_t *row = rows + static_cast<std::size_t>(height - 1 - y) * stride;
    for (int x = 0; x < width; ++x) {
      const int shift = 8 - bitCount * (x % perByte + 1);
      row[x / perByte] |=
          static_cast<std::uint8_t>(indices[static_cast<std::size_t>(y * width + x)] << shift);
    }
  }
  GlobalUnlock(block);
  return block;
}

std::uint32_t TableEntry(const CDib &dib, int index) {
  const auto *bytes = static_cast<const std::uint8_t *>(GlobalLock(dib.Handle()));
  const std::uint8_t *quad = bytes + 40 + 4 * index;
  const std::uint32_t color =
      (std::uint32_t{quad[2]} << 16) | (std::uint32_t{quad[1]} << 8) | quad[0];
  GlobalUnlock(dib.Handle());
  return color;
}

Image PixelsOf(const CDib &dib) {
  Image image;
  image.width = dib.Width();
  image.height = dib.Height();
  const int bitCount = dib.BitCount();
  for (int y = 0; y < image.height; ++y) {
    for (int x = 0; x < image.width; ++x) {
      const std::uint8_t *at = dib.Bits() + StoredOffset(image.width, image.height, bitCount, x, y);
      std::uint32_t pixel = 0;
      if (bitCount == 8) {
        pixel = TableEntry(dib, at[0]);
      } else if (bitCount == 16) {
        const unsigned value = at[0] | (at[1] << 8);
        // Five bits widen by repeating their top bits, as GDI does.
        const auto widen = [](unsigned field) { return (field << 3) | (field >> 2); };
        pixel = (widen((value >> 10) & 0x1F) << 16) | (widen((value >> 5) & 0x1F) << 8) |
                widen(value & 0x1F);
      } else {
        pixel = (std::uint32_t{at[2]} << 16) | (std::uint32_t{at[1]} << 8) | at[0];
      }
      image.pixels.push_back(pixel);
    }
  }
  return image;
}

}  // namespace trendel::testing

namespace trendel::testing {

HBITMAP BitmapOf(const Image &picture, int bitCount) {
  struct {
    BITMAPINFOHEADER header;
    RGBQUAD colors[256];
  } info{{40, picture.width, -picture.height, 1, 32, BI_RGB, 0, 0, 0, 0, 0}, {}};
  void *bits = nullptr;
  HBITMAP source = CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO *>(&info), DIB_RGB_COLORS,
                                    &bits, nullptr, 0);
  std::memcpy(bits, picture.pixels.data(), 4 * picture.pixels.size());
  HDC screen = GetDC(nullptr);
  HBITMAP target = nullptr;
  if (bitCount == 0) {
    target = CreateCompatibleBitmap(screen, picture.width, picture.height);
  } else {
    info.header.biBitCount = static_cast<WORD>(bitCount);
    info.header.biHeight = picture.height;
    info.colors[0] = RGBQUAD{255, 0, 0, 0};  // blue
    info.colors[1] = RGBQUAD{0, 0, 255, 0};  // red
    target = CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO *>(&info), DIB_RGB_COLORS, &bits,
                              nullptr, 0);
  }
  HDC from = CreateCompatibleDC(screen);
  HDC to = CreateCompatibleDC(screen);
  HGDIOBJ previousFrom = SelectObject(from, source);
  HGDIOBJ previousTo = SelectObject(to, target);
  BitBlt(to, 0, 0, picture.width, picture.height, from, 0, 0, SRCCOPY);
  SelectObject(from, previousFrom);
  SelectObject(to, previousTo);
  DeleteDC(from);
  DeleteDC(to);
  DeleteObject(source);
  ReleaseDC(nullptr, screen);
  return target;
}

}  // namespace trendel::testing
