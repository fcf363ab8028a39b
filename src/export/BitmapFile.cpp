#include "BitmapFile.h"

#include "PackedDib.h"
#include "platform/LargeBuffer.h"

#include <cstdint>
#include <limits>

namespace trendel {
namespace {

constexpr DWORD FILE_HEADER_BYTES = 14;
constexpr DWORD PIXEL_OFFSET = FILE_HEADER_BYTES + INFO_HEADER_BYTES;
// An indexed bitmap is written at 24 bits: the file then needs no colour table.
constexpr WORD INDEXED_WRITTEN_BITS = 24;

// Puts little-endian fields one after another.
class FieldWriter {
 public:
  explicit FieldWriter(std::uint8_t *bytes) : bytes_(bytes) {}
  void Word(std::uint16_t value) { Put(value, 2); }
  void Dword(std::uint32_t value) { Put(value, 4); }

 private:
  void Put(std::uint32_t value, int count) {
    for (int i = 0; i < count; ++i) *bytes_++ = static_cast<std::uint8_t>(value >> (8 * i));
  }
  std::uint8_t *bytes_;
};

void WriteHeaders(std::uint8_t *bytes, const BITMAP &bitmap, WORD bitCount, DWORD rowBytes) {
  FieldWriter out(bytes);
  out.Word(0x4D42);                                // bfType, "BM"
  out.Dword(PIXEL_OFFSET + rowBytes);              // bfSize
  out.Word(0);                                     // bfReserved1
  out.Word(0);                                     // bfReserved2
  out.Dword(PIXEL_OFFSET);                         // bfOffBits
  out.Dword(INFO_HEADER_BYTES);                    // biSize
  out.Dword(static_cast<DWORD>(bitmap.bmWidth));   // biWidth
  out.Dword(static_cast<DWORD>(bitmap.bmHeight));  // biHeight, positive: bottom row first
  out.Word(bitmap.bmPlanes);                       // biPlanes
  out.Word(bitCount);                              // biBitCount
  out.Dword(BI_RGB);                               // biCompression
  out.Dword(0);                                    // biSizeImage
  out.Dword(0);                                    // biXPelsPerMeter
  out.Dword(0);                                    // biYPelsPerMeter
  out.Dword(0);                                    // biClrUsed
  out.Dword(0);                                    // biClrImportant
}

}  // namespace

// Writes all bytes to a new or truncated file; a file that cannot be
// written completely is removed again.
bool WriteWholeFile(const char *path, const std::uint8_t *bytes, DWORD count) {
  HANDLE file =
      CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const bool complete = WriteFile(file, bytes, count, &written, nullptr) && written == count;
  const bool closed = CloseHandle(file) != FALSE;
  if (complete && closed) return true;
  DeleteFileA(path);
  return false;
}

// The rows are fetched before the file is created, so that a bitmap that
// cannot be read or a size that cannot be allocated leaves no file behind;
// headers and rows then go out in one write.
bool WriteBitmapFile(const char *path, HBITMAP bitmap, HDC referenceDC) {
  BITMAP description{};
  if (GetObject(bitmap, sizeof description, &description) != static_cast<int>(sizeof description) ||
      description.bmWidth <= 0 || description.bmHeight <= 0) {
    return false;
  }
  const WORD bitCount = description.bmBitsPixel * description.bmPlanes <= 8
                            ? INDEXED_WRITTEN_BITS
                            : description.bmBitsPixel;
  const std::uint64_t stride =
      RowStride(static_cast<std::uint64_t>(description.bmWidth), bitCount * description.bmPlanes);
  const std::uint64_t rowBytes = stride * static_cast<std::uint64_t>(description.bmHeight);
  if (PIXEL_OFFSET + rowBytes > MAX_PACKED_BYTES) return false;
  const LargeBuffer bytes = NewLargeBuffer(static_cast<std::size_t>(PIXEL_OFFSET + rowBytes));
  if (!bytes) return false;

  BITMAPINFO request{};
  request.bmiHeader.biSize = INFO_HEADER_BYTES;
  request.bmiHeader.biWidth = description.bmWidth;
  request.bmiHeader.biHeight = description.bmHeight;
  request.bmiHeader.biPlanes = description.bmPlanes;
  request.bmiHeader.biBitCount = bitCount;
  request.bmiHeader.biCompression = BI_RGB;
  const int rows = GetDIBits(referenceDC, bitmap, 0, static_cast<UINT>(description.bmHeight),
                             bytes.get() + PIXEL_OFFSET, &request, DIB_RGB_COLORS);
  if (rows <= 0) return false;
  const auto delivered = static_cast<DWORD>(stride * static_cast<std::uint64_t>(rows));
  WriteHeaders(bytes.get(), description, bitCount, delivered);
  return WriteWholeFile(path, bytes.get(), PIXEL_OFFSET + delivered);
}

}  // namespace trendel
