#include "Ppm.h"

#include <fstream>

namespace trendel::testing {
namespace {

// Skips blanks and '#' comments between the header fields.
void SkipSeparators(std::istream &in) {
  for (;;) {
    const int next = in.peek();
    if (next == '#') {
      std::string comment;
      std::getline(in, comment);
    } else if (next == ' ' || next == '\n' || next == '\r' || next == '\t') {
      in.get();
    } else {
      return;
    }
  }
}

}  // namespace

bool ReadPpm(const std::string &path, Image &image) {
  std::ifstream in(path, std::ios::binary);
  std::string magic;
  int maximum = 0;
  in >> magic;
  SkipSeparators(in);
  in >> image.width;
  SkipSeparators(in);
  in >> image.height;
  SkipSeparators(in);
  in >> maximum;
  if (!in || magic != "P6" || maximum != 255 || image.width < 1 || image.height < 1) return false;
  in.get();  // the single separator before the samples
  const auto count = static_cast<std::size_t>(image.width) * static_cast<std::size_t>(image.height);
  std::vector<unsigned char> samples(count * 3);
  in.read(reinterpret_cast<char *>(samples.data()), static_cast<std::streamsize>(samples.size()));
  if (!in) return false;
  image.pixels.resize(count);
  for (std::size_t i = 0; i < count; ++i) {
    image.pixels[i] = (std::uint32_t{samples[3 * i]} << 16) |
                      (std::uint32_t{samples[3 * i + 1]} << 8) | samples[3 * i + 2];
  }
  return true;
}

bool WritePpm(const std::string &path, const Image &image) {
  std::ofstream out(path, std::ios::binary);
  out << "P6\n" << image.width << ' ' << image.height << "\n255\n";
  for (const std::uint32_t pixel : image.pixels) {
    const char rgb[3] = {static_cast<char>((pixel >> 16) & 0xFF),
                         static_cast<char>((pixel >> 8) & 0xFF), static_cast<char>(pixel & 0xFF)};
    out.write(rgb, 3);
  }
  return static_cast<bool>(out);
}

}  // namespace trendel::testing
