// Checks that a saved file is whole: the structure of a BMP, GIF or JPEG
// file from its first byte to its last, and the picture size it states.
// Cheap enough to run on every fuzz input; the pixels themselves are left to
// the tests with independent decoders.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace trendel::fuzzing {

enum class SavedFormat { Bmp, Gif, Jpeg, Unknown };

struct SavedFile {
  SavedFormat format = SavedFormat::Unknown;
  bool whole = false;
  std::int32_t width = 0;
  std::int32_t height = 0;
};

SavedFile InspectSavedFile(const std::vector<std::uint8_t> &bytes);

std::vector<std::uint8_t> ReadWholeFile(const std::string &path);

}  // namespace trendel::fuzzing
