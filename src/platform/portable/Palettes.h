// Colour tables GDI hands out without being asked for one, shared by the
// palette calls and GetDIBits.
#pragma once

#include "Win32Api.h"

namespace trendel::portable {

// The 256 entries of CreateHalftonePalette, which GetDIBits also gives as
// the colour table of an 8-bit request from a bitmap without one.
const PALETTEENTRY *HalftoneColors();
constexpr int HALFTONE_COLOR_COUNT = 256;

// The 16 colours GetDIBits gives a 4-bit request from a bitmap without a
// colour table of that size.
const PALETTEENTRY *StandardSixteenColors();
constexpr int STANDARD_SIXTEEN_COLOR_COUNT = 16;

}  // namespace trendel::portable
