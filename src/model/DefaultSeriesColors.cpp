#include "DefaultSeriesColors.h"

namespace trendel {

// Entries 22 and 44 are (133, 3, 0) and (8, 6, 0) exactly, not (128, 0, 0)
// and (0, 0, 0): charts are expected to look the same wherever they are drawn.
const std::array<std::uint32_t, DEFAULT_SERIES_COLOR_COUNT> defaultSeriesColors = {
    0x0000FF, 0x00FF00, 0xFF0000, 0xFF00FF, 0xFFFF00, 0x000087, 0x008000, 0x800000,
    0x008080, 0x800080, 0x808000, 0x0066FF, 0xC0C0C0, 0x808080, 0xFF9999, 0x663399,
    0xCCFFFF, 0xFFFFCC, 0x660066, 0x8080FF, 0xCC6600, 0xFFCCCC, 0x000385, 0xFFCC00,
    0xCCFFCC, 0x99FFFF, 0xFFCC99, 0xCC99FF, 0xFF99CC, 0x99CCFF, 0xFF6633, 0xCCCC33,
    0x00CC99, 0x00CCFF, 0x0099FF, 0x996666, 0x969696, 0x663300, 0x669933, 0x003300,
    0x003333, 0x003399, 0x993333, 0x333333, 0x000608, 0x00FFFF,
};

std::uint32_t DefaultSeriesColor(std::int64_t entry) {
  const std::int64_t index = entry % DEFAULT_SERIES_COLOR_COUNT;
  return defaultSeriesColors[static_cast<std::size_t>(index < 0 ? index + DEFAULT_SERIES_COLOR_COUNT
                                                                : index)];
}

}  // namespace trendel
