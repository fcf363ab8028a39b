// The texts of the save path: time stamps, the temporary directory,
// directory creation, and the image format a file name asks for.
//
// Directory separators: Windows paths take "\" and also "/", and so does the
// portable build, where "/" is the native one. Every search for a separator
// here therefore looks for both.
#pragma once

#include <cstddef>
#include <ctime>
#include <optional>
#include <string>

namespace trendel {

// The local time as text in one of three formats: "YYYY-MM-DD hh:mm:ss",
// or "YYYYMMDDHHMMSS" and "yyyymmddhhmmss", both without separators. Any
// other format gives "Error TimeFormat " followed by the format.
std::string FormatTime(std::time_t time, const char *format);

// The user's temporary directory, always ending in a separator ("\" is
// added when it ends in neither); empty when the platform cannot say.
std::string TempDirectory();

// Creates every directory along the path, the path itself last; failures,
// such as directories that exist already, are ignored.
void CreateDirectoryPath(const char *path);

// Position of the last directory separator, counted in bytes from 0.
std::optional<std::size_t> LastSeparator(const char *path);

enum class ImageFormat { Bmp, Gif, Jpeg };

// The format a file name's extension selects: ".gif" GIF, ".jpg" and
// ".jpeg" JPEG, in any case; anything else, no extension, or a name that
// starts with its only dot, BMP.
ImageFormat FormatOfFileName(const char *fileName);

}  // namespace trendel
