// The colours given to series for which the host supplies none.
#pragma once

#include <array>
#include <cstdint>

namespace trendel {

constexpr int DEFAULT_SERIES_COLOR_COUNT = 46;

// 0x00BBGGRR values; entry n is looked up as entry n mod 46.
extern const std::array<std::uint32_t, DEFAULT_SERIES_COLOR_COUNT> defaultSeriesColors;

std::uint32_t DefaultSeriesColor(std::int64_t entry);

}  // namespace trendel
