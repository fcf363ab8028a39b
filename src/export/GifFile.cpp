// GIF87a files: a CDib brought to 8 bits per pixel, its rows packed top row
// first without padding, then the file structure around the LZW code stream.
#include "GifFile.h"

#include "ConvertDib.h"
#include "LzwEncoder.h"
#include "PackedDib.h"
#include "platform/LargeBuffer.h"
#include "platform/Streams.h"

#include <cstdio>
#include <cstring>
#include <memory>
#include <new>

namespace trendel {
namespace {

constexpr int COLOR_TABLE_ENTRIES = 256;
constexpr std::int32_t MAX_SIDE = 0xFFFF;
constexpr std::uint8_t LZW_MINIMUM_CODE_SIZE = 8;
constexpr std::uint8_t IMAGE_SEPARATOR = 0x2C;
constexpr std::uint8_t BLOCK_TERMINATOR = 0x00;
constexpr std::uint8_t TRAILER = 0x3B;
// Global colour table present, colour resolution 7 + 1 bits, not sorted,
// 2^(7 + 1) entries.
constexpr std::uint8_t SCREEN_FLAGS = 0xE7;
// No local colour table, not interlaced.
constexpr std::uint8_t IMAGE_FLAGS = 0x00;

// Sub-blocks go straight into the stdio stream's buffer.
class StreamSink final : public PacketSink {
 public:
  explicit StreamSink(std::FILE *file) : file_(file) {}
  void Write(const std::uint8_t *bytes, std::size_t count) override {
    std::fwrite(bytes, 1, count, file_);
  }

 private:
  std::FILE *file_;
};

void PutWord(std::FILE *file, std::int32_t value) {
  std::fputc(value & 0xFF, file);
  std::fputc((value / 256) & 0xFF, file);
}

void WriteScreenAndColors(std::FILE *file, std::int32_t width, std::int32_t height, int background,
                          const int red[], const int green[], const int blue[]) {
  std::fwrite("GIF87a", 1, 6, file);    // signature and version
  PutWord(file, width);                 // logical screen width
  PutWord(file, height);                // logical screen height
  std::fputc(SCREEN_FLAGS, file);       // global colour table flags
  std::fputc(background & 0xFF, file);  // background colour index
  std::fputc(0, file);                  // pixel aspect ratio: none given
  for (int i = 0; i < COLOR_TABLE_ENTRIES; ++i) {
    std::fputc(red[i] & 0xFF, file);
    std::fputc(green[i] & 0xFF, file);
    std::fputc(blue[i] & 0xFF, file);
  }
}

void WriteImageDescriptor(std::FILE *file, std::int32_t width, std::int32_t height) {
  std::fputc(IMAGE_SEPARATOR, file);        // image separator
  PutWord(file, 0);                         // image left
  PutWord(file, 0);                         // image top
  PutWord(file, width);                     // image width
  PutWord(file, height);                    // image height
  std::fputc(IMAGE_FLAGS, file);            // local colour table and interlace flags
  std::fputc(LZW_MINIMUM_CODE_SIZE, file);  // LZW minimum code size
}

// The 8-bit rows of a packed picture, top row first, without row padding.
LargeBuffer TopDownRows(const CDib &dib) {
  const std::size_t width = static_cast<std::size_t>(dib.Width());
  const std::size_t height = static_cast<std::size_t>(dib.Height());
  const std::size_t stride = static_cast<std::size_t>(RowStride(width, 8));
  LargeBuffer rows = NewLargeBuffer(width * height);
  if (!rows) return rows;
  const std::uint8_t *bottomRow = dib.Bits();
  for (std::size_t y = 0; y < height; ++y) {
    std::memcpy(rows.get() + y * width, bottomRow + (height - 1 - y) * stride, width);
  }
  return rows;
}

}  // namespace

int GifFile::Fail(const char *text) {
  statusText_ = text;
  return 0;
}

// The source is read, never changed: a picture of another depth is
// converted into a working CDib of its own.
int GifFile::WriteFromDib(const char *path, const CDib *source) {
  if (source == nullptr || source->Handle() == nullptr) return 0;
  CDib working;
  const CDib *picture = source;
  if (source->BitCount() != 8) {
    HGLOBAL converted = ConvertPicture(source->Handle(), 8);
    if (converted == nullptr) return 0;
    if (!working.Attach(converted)) {
      GlobalFree(converted);
      return 0;
    }
    picture = &working;
  }
  int red[COLOR_TABLE_ENTRIES] = {}, green[COLOR_TABLE_ENTRIES] = {},
      blue[COLOR_TABLE_ENTRIES] = {};
  PALETTEENTRY entries[COLOR_TABLE_ENTRIES] = {};
  if (picture->Palette() != nullptr) {
    GetPaletteEntries(picture->Palette(), 0, COLOR_TABLE_ENTRIES, entries);
  }
  for (int i = 0; i < COLOR_TABLE_ENTRIES; ++i) {
    red[i] = entries[i].peRed;
    green[i] = entries[i].peGreen;
    blue[i] = entries[i].peBlue;
  }
  const LargeBuffer rows = TopDownRows(*picture);
  if (!rows) return 0;
  return WriteIndexed(path, rows.get(), picture->Width(), picture->Height(), 0, red, green, blue);
}

int GifFile::WriteIndexed(const char *path, const std::uint8_t *pixels, std::int32_t width,
                          std::int32_t height, int background, const int red[256],
                          const int green[256], const int blue[256]) {
  // Sizes are 16-bit fields: a larger picture cannot be described at all.
  if (pixels == nullptr || width < 1 || height < 1 || width > MAX_SIDE || height > MAX_SIDE) {
    return 0;
  }
  // The encoder's tables are tens of kilobytes: on the heap, not on the
  // stack of a host thread that may have little of it.
  const std::unique_ptr<LzwEncoder> encoder(new (std::nothrow) LzwEncoder);
  if (!encoder) return 0;
  std::FILE *file = OpenStream(path, "wb");
  if (file == nullptr) return Fail("Can't open GIF for writing");
  WriteScreenAndColors(file, width, height, background, red, green, blue);
  WriteImageDescriptor(file, width, height);
  StreamSink sink(file);
  encoder->Encode(pixels, static_cast<std::size_t>(width) * static_cast<std::size_t>(height), sink);
  std::fputc(BLOCK_TERMINATOR, file);  // end of the image data
  std::fputc(TRAILER, file);           // end of the file
  // A stream that failed on the way (a full disk) made no GIF.
  return FinishStream(file, path) ? 1 : 0;
}

}  // namespace trendel
