// Bitmap records shared by windows, compatible bitmaps and DIB sections.
#pragma once

#include "Objects.h"

#include <memory>

namespace trendel::portable {

// A top-down 32-bit bitmap with every pixel set to `pixel` (0x00RRGGBB);
// null when the size is below 1 or memory runs out.
std::unique_ptr<Bitmap> NewSurfaceBitmap(long long width, long long height, std::uint32_t pixel);

}  // namespace trendel::portable
