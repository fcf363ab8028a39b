// The colour operations behind a depth change of a packed bitmap.
#pragma once

#include "platform/win32.h"

namespace trendel {

// A palette of at most maxColors entries (at least 1) that an octree of
// colorBits levels (0 to 8) makes of the picture's colours; null for other
// arguments, a block this library cannot read, or when memory runs out.
HPALETTE BuildOctreePalette(HGLOBAL block, int maxColors, int colorBits);

// The picture re-encoded at bitCount bits per pixel (1, 4, 8, 16, 24 or 32,
// BI_RGB) in a new packed block that belongs to the caller; null when it
// cannot be made. One block transfer does the conversion; an indexed result
// has a colour table of 2^bitCount entries: the palette's, and entries of 0
// past its end. Without a palette an 8-bit result takes the source's own
// table when it has 8 bits, else an octree palette of 236 colours, else the
// halftone palette.
HGLOBAL ConvertPackedDib(HGLOBAL block, int bitCount, HPALETTE palette);

// The picture at bitCount bits per pixel in a new block that belongs to the
// caller, as CDib::ChangeBitCount makes it: for 8 bits and fewer with the
// octree palette of at most 2^bitCount colours at bitCount bits of
// precision, above 8 bits with no palette. Null when it cannot be made.
HGLOBAL ConvertPicture(HGLOBAL block, int bitCount);

}  // namespace trendel
