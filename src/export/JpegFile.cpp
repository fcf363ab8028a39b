// JPEG files through the libjpeg compression interface: a CDib brought to
// 24 bits per pixel, its rows handed to the compressor top row first, one at
// a time, straight from the CDib. libjpeg-turbo's extended colour spaces read
// the blue-green-red pixels (with their spare byte at 32 bits) themselves and
// convert them exactly as they convert red, green, blue.
#include "JpegFile.h"

#include "ConvertDib.h"
#include "PackedDib.h"
#include "platform/Streams.h"

#include <csetjmp>
#include <cstddef>
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

// Compressed output goes to the disk in pieces this large rather than in
// the library's own 4 KiB ones: a large chart makes megabytes of JPEG.
constexpr std::size_t STREAM_BUFFER_BYTES = 64 * 1024;

#ifndef JCS_EXTENSIONS
#error "JpegFile needs libjpeg-turbo's extended colour spaces"
#endif

// Where Compress takes its rows from, top row first, and how their pixels
// are laid out.
struct RowSource {
  const std::uint8_t *topRow = nullptr;
  std::ptrdiff_t rowStep = 0;  // bytes from one row to the next one down
  int pixelBytes = RGB_COMPONENTS;
  J_COLOR_SPACE colorSpace = JCS_RGB;
};

// Every libjpeg call sits in this one function, because a fatal error comes
// back here by longjmp: that jump skips destructors, so nothing between the
// setjmp and the library's calls may be a C++ object that has one. The
// locals are plain data, and the ones changed after setjmp are volatile.
Compression Compress(const char *path, const RowSource &source, JDIMENSION width, JDIMENSION height,
                     int quality, char *streamBuffer) {
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
  if (streamBuffer != nullptr) std::setvbuf(file, streamBuffer, _IOFBF, STREAM_BUFFER_BYTES);
  jpeg_stdio_dest(&compressor, file);
  compressor.image_width = width;
  compressor.image_height = height;
  compressor.input_components = source.pixelBytes;
  compressor.in_color_space = source.colorSpace;
  jpeg_set_defaults(&compressor);
  jpeg_set_quality(&compressor, quality, TRUE);  // baseline tables
  jpeg_start_compress(&compressor, TRUE);        // complete tables
  while (compressor.next_scanline < height) {
    JSAMPROW row = const_cast<JSAMPROW>(
        source.topRow + static_cast<std::ptrdiff_t>(compressor.next_scanline) * source.rowStep);
    jpeg_write_scanlines(&compressor, &row, 1);
  }
  jpeg_finish_compress(&compressor);
  jpeg_destroy_compress(&compressor);
  // The last buffered bytes go out here: a full disk may refuse them too.
  return FinishStream(file, path) ? Compression::Written : Compression::Failed;
}

// The rows of a 24-bit picture, or of a 32-bit one with blue, green, red and
// a spare byte in each pixel, which CDib stores bottom row first.
RowSource BgrRowsOf(const CDib &dib) {
  const auto stride = static_cast<std::ptrdiff_t>(
      RowStride(static_cast<std::uint64_t>(dib.Width()), dib.BitCount()));
  RowSource source;
  source.topRow = dib.Bits() + stride * (dib.Height() - 1);
  source.rowStep = -stride;
  source.pixelBytes = dib.BitCount() / 8;
  source.colorSpace = source.pixelBytes == 4 ? JCS_EXT_BGRX : JCS_EXT_BGR;
  return source;
}

// Compresses into a file through a stream buffer of STREAM_BUFFER_BYTES (the
// C library would take a size without a buffer as its own default); 1 for a
// written file, else 0, and the status text of a file that could not be
// opened.
int CompressToFile(const char *path, const RowSource &source, JDIMENSION width, JDIMENSION height,
                   int quality, std::string &statusText) {
  const std::unique_ptr<char[]> streamBuffer(new (std::nothrow) char[STREAM_BUFFER_BYTES]);
  switch (Compress(path, source, width, height, quality, streamBuffer.get())) {
    case Compression::Written:
      return 1;
    case Compression::CannotOpen:
      statusText = std::string("JpegFile :\nCan't open ") + path + "\n";
      return 0;
    case Compression::Failed:
      break;
  }
  return 0;
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
  return CompressToFile(path, BgrRowsOf(*picture), static_cast<JDIMENSION>(picture->Width()),
                        static_cast<JDIMENSION>(picture->Height()), quality, statusText_);
}

int JpegFile::WriteRgb(const char *path, const std::uint8_t *rgb, std::int32_t width,
                       std::int32_t height, int quality) {
  if (rgb == nullptr || width < 1 || height < 1) return 0;
  RowSource source;
  source.topRow = rgb;
  source.rowStep = static_cast<std::ptrdiff_t>(width) * RGB_COMPONENTS;
  return CompressToFile(path, source, static_cast<JDIMENSION>(width),
                        static_cast<JDIMENSION>(height), quality, statusText_);
}

}  // namespace trendel
