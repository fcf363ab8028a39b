// Encoding a picture as a lossless PNG in memory: an 8-bit palette image when
// it has at most 256 colours, as nearly every chart does, 24-bit true colour
// otherwise. The compression library stays out of this header.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

namespace trendel {

// Pixels 0x00RRGGBB (the top byte is not read), reached row by row from the
// top one: rowStep is negative for pictures stored bottom row first.
struct PixelRows {
  const std::uint32_t *topRow = nullptr;
  std::ptrdiff_t rowStep = 0;  // pixels from one row to the next one down
  std::int32_t width = 0;
  std::int32_t height = 0;
};

// The bytes of an encoded file, in a block of the C heap so that a host can
// take it over and give it back with free().
class PngBytes {
 public:
  PngBytes() = default;
  PngBytes(const PngBytes &) = delete;
  PngBytes &operator=(const PngBytes &) = delete;
  ~PngBytes();

  // Appends; false when memory runs out, and then nothing is appended.
  bool Append(const std::uint8_t *bytes, std::size_t count);
  const std::uint8_t *Data() const { return data_; }
  std::size_t Size() const { return size_; }
  // Hands the block to the caller, who frees it with free(); this is empty
  // afterwards.
  std::uint8_t *Release();

 private:
  std::uint8_t *data_ = nullptr;
  std::size_t size_ = 0;
  std::size_t capacity_ = 0;
};

enum class PngColorType { Palette, TrueColor };

// Encodes the picture into `png`, which must be empty. True on success;
// false for an empty picture or when memory runs out, and then `png` holds
// nothing to use. `colorType`, when
// given, receives the kind of image written.
bool EncodePng(const PixelRows &picture, PngBytes &png, PngColorType *colorType = nullptr);

}  // namespace trendel
