#include "PackedDib.h"

namespace trendel {

std::optional<PackedLayout> LayoutOf(const BITMAPINFOHEADER &header) {
  const int bitCount = header.biBitCount;
  const bool indexed = bitCount <= 8;
  const bool bitFields = header.biCompression == BI_BITFIELDS && (bitCount == 16 || bitCount == 32);
  if (header.biSize != INFO_HEADER_BYTES || header.biPlanes != 1 || header.biWidth <= 0 ||
      header.biHeight <= 0 || (header.biCompression != BI_RGB && !bitFields)) {
    return std::nullopt;
  }
  if (!IsDibBitCount(bitCount)) return std::nullopt;
  PackedLayout layout;
  layout.width = header.biWidth;
  layout.height = header.biHeight;
  layout.bitCount = bitCount;
  const std::uint32_t tableLimit = indexed ? 1u << bitCount : 256u;
  layout.colorCount = header.biClrUsed != 0 ? header.biClrUsed : indexed ? tableLimit : 0;
  if (layout.colorCount > tableLimit) return std::nullopt;
  // Every quantity below stays far inside 64 bits: width and height are below
  // 2^31 and the stride is at most 4 x width + 4.
  layout.stride = RowStride(static_cast<std::uint64_t>(layout.width), bitCount);
  layout.imageSize = header.biSizeImage != 0 ? header.biSizeImage : layout.RowBytes();
  if (layout.imageSize < layout.RowBytes()) return std::nullopt;
  layout.pixelOffset =
      INFO_HEADER_BYTES + (bitFields ? BITFIELD_MASK_BYTES : 0) + 4ull * layout.colorCount;
  layout.packedSize = layout.pixelOffset + layout.imageSize;
  if (layout.packedSize > MAX_PACKED_BYTES) return std::nullopt;
  return layout;
}

}  // namespace trendel
