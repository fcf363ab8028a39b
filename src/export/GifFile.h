// Writing a picture as a GIF87a file: one image, a 256-entry global colour
// table, 8 bits per pixel, LZW-compressed, not interlaced.
#pragma once

#include "CDib.h"

#include <cstdint>
#include <string>

namespace trendel {

class GifFile {
 public:
  GifFile() = default;
  virtual ~GifFile() = default;
  GifFile(const GifFile &) = delete;
  GifFile &operator=(const GifFile &) = delete;

  // Writes the CDib's picture, reduced to 256 colours by an octree when it
  // is not 8 bits per pixel already. 1 on success, 0 on failure; the
  // caller's CDib is not changed.
  int WriteFromDib(const char *path, const CDib *source);

  // Writes width x height 8-bit pixels, top row first, with the colour table
  // red[i], green[i], blue[i] (the low byte of each is written). 1 on
  // success, 0 when a size exceeds 65,535 or the file cannot be created or
  // written.
  int WriteIndexed(const char *path, const std::uint8_t *pixels, std::int32_t width,
                   std::int32_t height, int background, const int red[256], const int green[256],
                   const int blue[256]);

  // "No Error" until a write fails to create its file; never reset.
  const std::string &StatusText() const { return statusText_; }

 private:
  int Fail(const char *text);

  std::string statusText_ = "No Error";
};

}  // namespace trendel
