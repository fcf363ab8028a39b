// The formats the S key saves in, and saving next to the chart's input
// without overwriting anything there.
#pragma once

#include "trendel.h"

#include <cstdint>
#include <string>

namespace trendel::view {

struct SaveFormat {
  const char *name;       // as --save-format names it
  const char *extension;  // of the saved file, which is also how the library picks the format
  // Writes the picture to the path; false when no complete file was written.
  bool (*save)(HWND chart, const std::string &path, std::int32_t width, std::int32_t height);
};

// The format of that name; nullptr when there is none.
const SaveFormat *FindSaveFormat(const std::string &name);

const SaveFormat &DefaultSaveFormat();

// The names of every format, for --help and errors: "gif, jpeg, bmp".
std::string SaveFormatNames();

// Saves the chart beside `input` under its name with the format's extension
// ("data/sales.json" gives "data/sales.gif"); when that name is taken, under
// the first free one of "sales-2.gif", "sales-3.gif", ... Returns the path
// written, or an empty string when nothing could be saved.
std::string SaveBeside(const std::string &input, const SaveFormat &format, HWND chart,
                       std::int32_t width, std::int32_t height);

}  // namespace trendel::view
