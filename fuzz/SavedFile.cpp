#include "SavedFile.h"

#include <cstdio>
#include <cstring>

namespace trendel::fuzzing {
namespace {

constexpr std::size_t BMP_HEADERS = 54;
constexpr std::size_t GIF_SCREEN = 13;
constexpr std::size_t GIF_COLOR_TABLE = 3 * 256;
constexpr std::size_t GIF_DESCRIPTOR = 10;

std::uint32_t LittleEndian(const std::vector<std::uint8_t> &bytes, std::size_t offset,
                           std::size_t count) {
  std::uint32_t value = 0;
  for (std::size_t i = count; i-- > 0;) value = (value << 8) | bytes[offset + i];
  return value;
}

// The 32-bit bottom-up file the library writes: headers, then the rows.
SavedFile InspectBmp(const std::vector<std::uint8_t> &bytes) {
  SavedFile file{SavedFormat::Bmp};
  if (bytes.size() < BMP_HEADERS) return file;
  file.width = static_cast<std::int32_t>(LittleEndian(bytes, 18, 4));
  file.height = static_cast<std::int32_t>(LittleEndian(bytes, 22, 4));
  const std::uint64_t rows = std::uint64_t{4} * static_cast<std::uint32_t>(file.width) *
                             static_cast<std::uint32_t>(file.height);
  file.whole = LittleEndian(bytes, 2, 4) == bytes.size() && LittleEndian(bytes, 10, 4) == 54 &&
               LittleEndian(bytes, 28, 2) == 32 && BMP_HEADERS + rows == bytes.size();
  return file;
}

// Screen, colour table, one image descriptor, the minimum code size, then
// sub-blocks up to the empty one, and the trailer as the very last byte.
SavedFile InspectGif(const std::vector<std::uint8_t> &bytes) {
  SavedFile file{SavedFormat::Gif};
  std::size_t at = GIF_SCREEN + GIF_COLOR_TABLE;
  if (bytes.size() < at + GIF_DESCRIPTOR + 1) return file;
  file.width = static_cast<std::int32_t>(LittleEndian(bytes, 6, 2));
  file.height = static_cast<std::int32_t>(LittleEndian(bytes, 8, 2));
  if (bytes[at] != 0x2C ||
      LittleEndian(bytes, at + 5, 2) != static_cast<std::uint32_t>(file.width) ||
      LittleEndian(bytes, at + 7, 2) != static_cast<std::uint32_t>(file.height)) {
    return file;
  }
  at += GIF_DESCRIPTOR + 1;
  while (at < bytes.size() && bytes[at] != 0) at += bytes[at] + std::size_t{1};
  file.whole = at + 2 == bytes.size() && bytes[at + 1] == 0x3B;
  return file;
}

// Start of image, a baseline frame header somewhere after it, end of image
// as the last two bytes.
SavedFile InspectJpeg(const std::vector<std::uint8_t> &bytes) {
  SavedFile file{SavedFormat::Jpeg};
  for (std::size_t i = 2; i + 9 < bytes.size(); ++i) {
    if (bytes[i] == 0xFF && bytes[i + 1] == 0xC0) {
      file.height = (bytes[i + 5] << 8) | bytes[i + 6];
      file.width = (bytes[i + 7] << 8) | bytes[i + 8];
      file.whole = bytes[bytes.size() - 2] == 0xFF && bytes.back() == 0xD9;
      break;
    }
  }
  return file;
}

}  // namespace

SavedFile InspectSavedFile(const std::vector<std::uint8_t> &bytes) {
  if (bytes.size() >= 2 && bytes[0] == 'B' && bytes[1] == 'M') return InspectBmp(bytes);
  if (bytes.size() >= 6 && std::memcmp(bytes.data(), "GIF87a", 6) == 0) return InspectGif(bytes);
  if (bytes.size() >= 2 && bytes[0] == 0xFF && bytes[1] == 0xD8) return InspectJpeg(bytes);
  return SavedFile{};
}

std::vector<std::uint8_t> ReadWholeFile(const std::string &path) {
  std::vector<std::uint8_t> bytes;
  std::FILE *file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) return bytes;
  std::uint8_t buffer[65536];
  std::size_t count;
  while ((count = std::fread(buffer, 1, sizeof buffer, file)) > 0) {
    bytes.insert(bytes.end(), buffer, buffer + count);
  }
  std::fclose(file);
  return bytes;
}

}  // namespace trendel::fuzzing
