// JPEG files through the libjpeg compression interface: a CDib brought to
// 24 bits per pixel, its rows packed top row first as red, green, blue, then
// handed to the compressor one row at a time.
#include "JpegFile.h"

#include "ConvertDib.h"
#include "PackedDib.h"
#include "platform/Streams.h"

#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>

// After <windows.h> (through CDib.h): when <windows.h> has declared its
// `boolean` (unsigned char, in rpcndr.h), jpeglib.h must not typedef its own
// int over it. libjpeg-turbo's Windows build uses that same unsigned char.
#if defined(_WIN32) && defined(__RPCNDR_H__) && !defined(HAVE_BOOLEAN)
#define HAVE_BOOLEAN
#endif
#include <jpeglib.h>

namespace trendel {
namespace {

constexpr int RGB_COMPONENTS = 3;

// A failed compression leaves no file behind.
enum class Compression { Written, CannotOpen, Failed };

// The standard error manager, extended by the place to return to when the
// library cannot go on.
struct ErrorManager {
  jpeg_error_mgr standard;
  std::jmp_buf returnPoint;
};

// Replaces the library's fatal-error routine, which would end the process:
// control goes back to Compress below, which is still running.
[[noreturn]] void ReturnToCompress(j_common_ptr compressor) {
  std::longjmp(reinterpret_cast<ErrorManager *>(compressor->err)->returnPoint, 1);
}

// Every libjpeg call sits in this one function, because a fatal error comes
// back here by longjmp: that jump skips destructors, so nothing between the
// setjmp and the library's calls may be a C++ object that has one. The
// locals are plain data, and the ones changed after setjmp are volatile.
Compression Compress(const char *path, const std::uint8_t *rgb, JDIMENSION width, JDIMENSION height,
                     int quality) {
  jpeg_compress_struct compressor;
  ErrorManager errors;
  std::FILE *volatile file = nullptr;
  compressor.err = jpeg_std_error(&errors.standard);
  errors.standard.error_exit = ReturnToCompress;
  if (setjmp(errors.returnPoint) != 0) {
    jpeg_destroy_compress(&compressor);
    if (file != nullptr) DiscardStream(file, path);
    return Compression::Failed;
  }
  jpeg_create_compress(&compressor);
  file = OpenStream(path, "wb");
  if (file == nullptr) {
    jpeg_destroy_compress(&compressor);
    return Compression::CannotOpen;
  }
  jpeg_stdio_dest(&compressor, file);
  compressor.image_width = width;
  compressor.image_height = height;
  compressor.input_components = RGB_COMPONENTS;
  compressor.in_color_space = JCS_RGB;
  jpeg_set_defaults(&compressor);
  jpeg_set_quality(&compressor, quality, TRUE);  // baseline tables
  jpeg_start_compress(&compressor, TRUE);        // complete tables
  const std::size_t rowBytes = static_cast<std::size_t>(width) * RGB_COMPONENTS;
  while (compressor.next_scanline < height) {
    JSAMPROW row = const_cast<JSAMPROW>(rgb + compressor.next_scanline * rowBytes);
    jpeg_write_scanlines(&compressor, &row, 1);
  }
  jpeg_finish_compress(&compressor);
  jpeg_destroy_compress(&compressor);
  // The last buffered bytes go out here: a full disk may refuse them too.
  return FinishStream(file, path) ? Compression::Written : Compression::Failed;
}

// The rows of a 24-bit picture, or of a 32-bit one with blue, green, red and
// a spare byte in each pixel, top row first, as red, green, blue, without
// row padding.
std::unique_ptr<std::uint8_t[]> TopDownRgbRows(const CDib &dib) {
  const std::size_t width = static_cast<std::size_t>(dib.Width());
  const std::size_t height = static_cast<std::size_t>(dib.Height());
  const std::size_t pixelBytes = dib.BitCount() / 8u;
  const std::size_t stride = static_cast<std::size_t>(RowStride(width, dib.BitCount()));
  const std::size_t rowBytes = width * RGB_COMPONENTS;
  std::unique_ptr<std::uint8_t[]> rows(new (std::nothrow) std::uint8_t[rowBytes * height]);
  if (!rows) return rows;
  const std::uint8_t *bottomRow = dib.Bits();
  for (std::size_t y = 0; y < height; ++y) {
    const std::uint8_t *from = bottomRow + (height - 1 - y) * stride;
    std::uint8_t *to = rows.get() + y * rowBytes;
    for (std::size_t x = 0; x < width; ++x, from += pixelBytes, to += RGB_COMPONENTS) {
      to[0] = from[2];
      to[1] = from[1];
      to[2] = from[0];
    }
  }
  return rows;
}

// A 32-bit BI_RGB picture holds each pixel's 24-bit form in its first three
// bytes: reading those gives exactly what a conversion to 24 bits would,
// without a second full copy of the picture.
bool IsPlainThirtyTwoBits(const CDib &dib) {
  if (dib.BitCount() != 32) return false;
  BITMAPINFOHEADER header;
  std::memcpy(&header, GlobalLock(dib.Handle()), sizeof header);
  GlobalUnlock(dib.Handle());
  return header.biCompression == BI_RGB;
}

}  // namespace

// The source is read, never changed: a picture of another depth is
// converted into a working CDib of its own.
int JpegFile::WriteFromDib(const char *path, const CDib *source, int quality) {
  if (source == nullptr || source->Handle() == nullptr) return 0;
  CDib working;
  const CDib *picture = source;
  if (source->BitCount() != 24 && !IsPlainThirtyTwoBits(*source)) {
    HGLOBAL converted = ConvertPicture(source->Handle(), 24);
    if (converted == nullptr) return 0;
    if (!working.Attach(converted)) {
      GlobalFree(converted);
      return 0;
    }
    picture = &working;
  }
  const std::unique_ptr<std::uint8_t[]> rows = TopDownRgbRows(*picture);
  if (!rows) return 0;
  return WriteRgb(path, rows.get(), picture->Width(), picture->Height(), quality);
}

int JpegFile::WriteRgb(const char *path, const std::uint8_t *rgb, std::int32_t width,
                       std::int32_t height, int quality) {
  if (rgb == nullptr || width < 1 || height < 1) return 0;
  switch (Compress(path, rgb, static_cast<JDIMENSION>(width), static_cast<JDIMENSION>(height),
                   quality)) {
    case Compression::Written:
      return 1;
    case Compression::CannotOpen:
      statusText_ = std::string("JpegFile :\nCan't open ") + path + "\n";
      return 0;
    case Compression::Failed:
      break;
  }
  return 0;
}

}  // namespace trendel
