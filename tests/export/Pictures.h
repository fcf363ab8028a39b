// Pictures for the export tests, as packed bitmaps and back.
#pragma once

#include "export/CDib.h"
#include "support/Ppm.h"

#include <cstdint>
#include <vector>

namespace trendel::testing {

constexpr std::uint32_t RED = 0xFF0000;
constexpr std::uint32_t BLUE = 0x0000FF;

// The 6 x 5 letter F, red on blue: no symmetry hides a flip, the width needs
// row padding at 24 bits, and the colours show a red/blue swap.
Image LetterF();

// A packed block of the picture at 16 (5-5-5), 24 or 32 bits per pixel,
// for CDib::Attach; the caller owns it.
HGLOBAL PackedBlock(const Image &picture, int bitCount);

// A packed indexed block: one table index per pixel, top row first.
HGLOBAL PackedIndexedBlock(int width, int height, int bitCount,
                           const std::vector<std::uint8_t> &indices,
                           const std::vector<RGBQUAD> &table);

// The CDib's pixels, top row first, for 8, 16, 24 and 32 bits per pixel.
Image PixelsOf(const CDib &dib);

// Table entry i of a CDib's colour table, as 0x00RRGGBB.
std::uint32_t TableEntry(const CDib &dib, int index);

}  // namespace trendel::testing

namespace trendel::testing {

// A bitmap holding the picture: compatible with the screen (32 bits) for a
// bit count of 0, otherwise a DIB section of that many bits, whose colour
// table, if it has one, starts with blue and red.
HBITMAP BitmapOf(const Image &picture, int bitCount);

}  // namespace trendel::testing
