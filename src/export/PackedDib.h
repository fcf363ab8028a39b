// The layout of a packed device-independent bitmap: a 40-byte
// BITMAPINFOHEADER, for BI_BITFIELDS the three colour masks, the colour
// table of 4-byte blue-green-red-0 entries, then the pixel rows, bottom row
// first, each padded to a multiple of 4 bytes.
#pragma once

#include "platform/win32.h"

#include <cstdint>
#include <optional>

namespace trendel {

constexpr DWORD INFO_HEADER_BYTES = 40;
constexpr DWORD BITFIELD_MASK_BYTES = 12;
constexpr std::uint64_t MAX_PACKED_BYTES = 0x7FFFFFFF;

struct PackedLayout {
  std::int32_t width = 0;
  std::int32_t height = 0;
  int bitCount = 0;
  std::uint32_t colorCount = 0;   // biClrUsed, or 2^bitCount for 8 bits and fewer
  std::uint64_t stride = 0;       // bytes per row
  std::uint64_t imageSize = 0;    // biSizeImage, or stride x height
  std::uint64_t pixelOffset = 0;  // header, masks and colour table
  std::uint64_t packedSize = 0;   // pixel offset + image size

  std::uint64_t RowBytes() const { return stride * static_cast<std::uint64_t>(height); }
};

// The layout of a header this library reads: 40 bytes, one plane, a width
// and height above 0 (bottom-up rows), 1, 4, 8, 16, 24 or 32 bits, BI_RGB or,
// for 16 and 32 bits, BI_BITFIELDS; at most 2^bitCount colours for 8 bits
// and fewer and 256 above; an image size that holds every row; and a packed
// size of at most MAX_PACKED_BYTES. Nothing for any other header.
std::optional<PackedLayout> LayoutOf(const BITMAPINFOHEADER &header);

constexpr bool IsDibBitCount(int bitCount) {
  return bitCount == 1 || bitCount == 4 || bitCount == 8 || bitCount == 16 || bitCount == 24 ||
         bitCount == 32;
}

// Row stride of a row of `width` pixels: rows are padded to 32-bit words.
constexpr std::uint64_t RowStride(std::uint64_t width, int bitCount) {
  return (width * static_cast<std::uint64_t>(bitCount) + 31) / 32 * 4;
}

}  // namespace trendel
