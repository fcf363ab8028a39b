// Binary PPM (P6) images, the format of the committed reference images: small,
// uncompressed, and readable by any image viewer.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace trendel::testing {

struct Image {
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> pixels;  // 0x00RRGGBB, top row first

  std::uint32_t At(int x, int y) const {
    return pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                  static_cast<std::size_t>(x)];
  }
};

// Reads a P6 file with a maximum value of 255; false when it is not one.
bool ReadPpm(const std::string &path, Image &image);
bool WritePpm(const std::string &path, const Image &image);

}  // namespace trendel::testing
