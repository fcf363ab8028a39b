// Reference images: every script in reference/ ran once through the GDI
// oracle (tools/regenerate-references.sh), and its final canvas sits beside it
// as a PPM. Here the same script runs through the portable layer and must give
// the same picture, pixel for pixel. On a mismatch the actual picture and a
// difference picture are written to the build tree.
#include "GdiScript.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>

namespace trendel::testing {
namespace {

const std::filesystem::path REFERENCE_DIRECTORY = TRENDEL_REFERENCE_DIRECTORY;
const std::filesystem::path FAILURE_DIRECTORY = TRENDEL_FAILURE_DIRECTORY;

std::vector<std::string> ScriptNames() {
  std::vector<std::string> names;
  for (const auto &entry : std::filesystem::directory_iterator(REFERENCE_DIRECTORY)) {
    if (entry.path().extension() == ".txt") names.push_back(entry.path().stem().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

std::string Hex(std::uint32_t pixel) {
  char text[8];
  std::snprintf(text, sizeof text, "#%06X", pixel);
  return text;
}

// Differing pixels in red; the others as a faint copy of the reference, so
// that the picture shows where they lie.
Image Difference(const Image &expected, const Image &actual) {
  Image difference = expected;
  for (std::size_t i = 0; i < difference.pixels.size(); ++i) {
    if (expected.pixels[i] != actual.pixels[i]) {
      difference.pixels[i] = 0xFF0000;
      continue;
    }
    std::uint32_t faint = 0;
    for (int shift : {0, 8, 16}) {
      const std::uint32_t channel = (expected.pixels[i] >> shift) & 0xFF;
      faint |= (192 + channel / 4) << shift;
    }
    difference.pixels[i] = faint;
  }
  return difference;
}

class ReferenceImage : public ::testing::TestWithParam<std::string> {};

TEST_P(ReferenceImage, MatchesTheOracle) {
  const std::string name = GetParam();
  GdiScript script;
  ASSERT_TRUE(script.RunFile((REFERENCE_DIRECTORY / (name + ".txt")).string())) << script.error();
  Image expected;
  ASSERT_TRUE(ReadPpm((REFERENCE_DIRECTORY / (name + ".ppm")).string(), expected))
      << "no reference image for " << name;
  const Image actual = script.Picture();
  ASSERT_EQ(actual.width, expected.width);
  ASSERT_EQ(actual.height, expected.height);

  std::size_t differences = 0, first = 0;
  for (std::size_t i = actual.pixels.size(); i-- > 0;) {
    if (actual.pixels[i] != expected.pixels[i]) {
      ++differences;
      first = i;
    }
  }
  if (differences == 0) return;
  std::filesystem::create_directories(FAILURE_DIRECTORY);
  const std::filesystem::path actualPath = FAILURE_DIRECTORY / (name + ".actual.ppm");
  const std::filesystem::path differencePath = FAILURE_DIRECTORY / (name + ".difference.ppm");
  WritePpm(actualPath.string(), actual);
  WritePpm(differencePath.string(), Difference(expected, actual));
  const auto x = static_cast<int>(first % static_cast<std::size_t>(actual.width));
  const auto y = static_cast<int>(first / static_cast<std::size_t>(actual.width));
  FAIL() << differences << " pixels differ; the first at (" << x << ", " << y << "): expected "
         << Hex(expected.pixels[first]) << ", drew " << Hex(actual.pixels[first])
         << ". Pictures: " << actualPath << " and " << differencePath;
}

INSTANTIATE_TEST_SUITE_P(Oracle, ReferenceImage, ::testing::ValuesIn(ScriptNames()),
                         [](const ::testing::TestParamInfo<std::string> &parameter) {
                           std::string name = parameter.param;
                           for (char &character : name) {
                             if (!std::isalnum(static_cast<unsigned char>(character))) character = '_';
                           }
                           return name;
                         });

}  // namespace
}  // namespace trendel::testing
