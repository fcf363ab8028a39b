// Writing a picture as a baseline JPEG file with three colour components.
// The compression library stays out of this header.
#pragma once

#include "CDib.h"

#include <cstdint>
#include <string>

namespace trendel {

class JpegFile {
 public:
  JpegFile() = default;
  virtual ~JpegFile() = default;
  JpegFile(const JpegFile &) = delete;
  JpegFile &operator=(const JpegFile &) = delete;

  // Writes the CDib's picture, brought to 24 bits per pixel first, at the
  // given quality (0 to 100). 1 on success, 0 on failure; the caller's CDib
  // is not changed.
  int WriteFromDib(const char *path, const CDib *source, int quality);

  // Compresses width x height pixels of red, green and blue bytes, top row
  // first, rows not padded. 1 on success, 0 on failure; after a failure of
  // the compression library the file keeps what was written.
  int WriteRgb(const char *path, const std::uint8_t *rgb, std::int32_t width, std::int32_t height,
               int quality);

  // "No Error" until a write fails to create its file; never reset.
  const std::string &StatusText() const { return statusText_; }

 private:
  std::string statusText_ = "No Error";
};

}  // namespace trendel
