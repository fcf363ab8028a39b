// Writing a device-dependent bitmap as a BMP file.
#pragma once

#include "platform/win32.h"

#include <cstdint>

namespace trendel {

// Writes the bitmap as a BMP file: the 14-byte file header, a 40-byte info
// header and the pixel rows, bottom row first, at the bitmap's own depth (24
// bits for a bitmap of 8 bits or fewer, so that no colour table is needed).
// The file is created, or replaced if it exists. False when the bitmap
// cannot be read, memory runs out, or the file cannot be created or fully
// written; a partly written file is deleted.
bool WriteBitmapFile(const char *path, HBITMAP bitmap, HDC referenceDC);

// Writes all bytes to a new or truncated file through the Win32 file calls,
// the way every encoded picture reaches its file. False when the file cannot
// be created or fully written; a partly written file is deleted.
bool WriteWholeFile(const char *path, const std::uint8_t *bytes, DWORD count);

}  // namespace trendel
