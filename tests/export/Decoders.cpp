#include "Decoders.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>

namespace trendel::testing {
namespace {

// Debian's own interpreter, which has Pillow; a python3 earlier on PATH may not.
constexpr const char *PYTHON = "/usr/bin/python3";

bool Run(const std::string &command) {
  return std::system((command + " 2>/dev/null").c_str()) == 0;
}

std::string Quoted(const std::string &text) {
  return "'" + text + "'";
}

std::string OutputPath(const char *suffix) {
  static int counter = 0;
  return ScratchDirectory() + "/decoded-" + std::to_string(++counter) + suffix;
}

void RemoveTree(const std::string &path) {
  struct stat status {};
  if (lstat(path.c_str(), &status) != 0) return;
  if (S_ISDIR(status.st_mode)) {
    for (const std::string &name : ListDirectory(path)) RemoveTree(path + "/" + name);
    rmdir(path.c_str());
  } else {
    unlink(path.c_str());
  }
}

struct Scratch {
  Scratch() {
    const char *base = std::getenv("TMPDIR");
    std::string pattern =
        std::string(base != nullptr && *base != '\0' ? base : "/tmp") + "/trendel-export-XXXXXX";
    if (mkdtemp(pattern.data()) != nullptr) path = pattern;
  }
  ~Scratch() {
    if (!path.empty()) RemoveTree(path);
  }
  std::string path;
};

}  // namespace

const std::string &ScratchDirectory() {
  static const Scratch scratch;
  return scratch.path;
}

std::vector<std::uint8_t> ReadBytes(const std::string &path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in),
                                   std::istreambuf_iterator<char>());
}

bool FileExists(const std::string &path) {
  struct stat status {};
  return stat(path.c_str(), &status) == 0;
}

std::vector<std::string> ListDirectory(const std::string &path) {
  std::vector<std::string> names;
  if (DIR *directory = opendir(path.c_str())) {
    while (const dirent *entry = readdir(directory)) {
      const std::string name = entry->d_name;
      if (name != "." && name != "..") names.push_back(name);
    }
    closedir(directory);
  }
  return names;
}

bool DecodeWithPillow(const std::string &path, Image &image) {
  const std::string output = OutputPath(".ppm");
  return Run(std::string(PYTHON) +
             " -c 'import sys; from PIL import Image; "
             "Image.open(sys.argv[1]).convert(\"RGB\").save(sys.argv[2], \"PPM\")' " +
             Quoted(path) + " " + Quoted(output)) &&
         ReadPpm(output, image);
}

bool DecodeWithImageMagick(const std::string &path, Image &image) {
  const std::string output = OutputPath(".ppm");
  return Run("/usr/bin/convert " + Quoted(path) + " -depth 8 " + Quoted("ppm:" + output)) &&
         ReadPpm(output, image);
}

bool DecodeWithGif2Rgb(const std::string &path, int width, int height, Image &image) {
  const std::string output = OutputPath(".rgb");
  if (!Run("/usr/bin/gif2rgb -1 -o " + Quoted(output) + " " + Quoted(path))) return false;
  const std::vector<std::uint8_t> samples = ReadBytes(output);
  const std::size_t count = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
  if (samples.size() != count * 3) return false;
  image.width = width;
  image.height = height;
  image.pixels.resize(count);
  for (std::size_t i = 0; i < count; ++i) {
    image.pixels[i] = (std::uint32_t{samples[3 * i]} << 16) |
                      (std::uint32_t{samples[3 * i + 1]} << 8) | samples[3 * i + 2];
  }
  return true;
}

bool DecodeWithDjpeg(const std::string &path, Image &image) {
  const std::string output = OutputPath(".ppm");
  return Run("/usr/bin/djpeg -ppm -outfile " + Quoted(output) + " " + Quoted(path)) &&
         ReadPpm(output, image);
}

}  // namespace trendel::testing
