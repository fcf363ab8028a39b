// Independent decoders for the files the writers make, and scratch files:
// Pillow, ImageMagick, giflib's gif2rgb and libjpeg's djpeg, run as the
// Debian packages install them.
#pragma once

#include "support/Ppm.h"

#include <cstdint>
#include <string>
#include <vector>

namespace trendel::testing {

// A fresh directory of this test program's own, under the system's temporary
// directory; removed with everything in it when the program ends.
const std::string &ScratchDirectory();

std::vector<std::uint8_t> ReadBytes(const std::string &path);
bool FileExists(const std::string &path);
// Names in a directory, "." and ".." left out.
std::vector<std::string> ListDirectory(const std::string &path);

// Each fills `image` with the decoded pixels; false when the decoder fails.
bool DecodeWithPillow(const std::string &path, Image &image);
bool DecodeWithImageMagick(const std::string &path, Image &image);
// gif2rgb gives bare samples, so the size must be known.
bool DecodeWithGif2Rgb(const std::string &path, int width, int height, Image &image);
bool DecodeWithDjpeg(const std::string &path, Image &image);

}  // namespace trendel::testing
