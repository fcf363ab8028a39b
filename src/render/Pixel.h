// The one conversion of a computed coordinate to a device pixel.
//
// Layout is worked out in doubles and truncated toward zero when it is drawn.
// Converting a double that does not fit an int32 (or is not a number) is
// undefined in C++, and graphs can produce such values: a value of 1e308 on
// a narrow scale, an empty range. So every coordinate goes through here.
#pragma once

#include <cstdint>
#include <limits>

namespace trendel {

// Truncates toward zero and clamps to the int32 range. Not-a-number has no
// position at all; it maps to 0, the device origin, so that the conversion
// stays defined and a stray point is at least somewhere predictable.
constexpr std::int32_t ToPixel(double value) {
  constexpr double LOWEST = std::numeric_limits<std::int32_t>::min();
  constexpr double HIGHEST = std::numeric_limits<std::int32_t>::max();
  // The common case first: one range test, which NaN fails too.
  if (value > LOWEST && value < HIGHEST) return static_cast<std::int32_t>(value);
  if (value != value) return 0;
  return value <= LOWEST ? std::numeric_limits<std::int32_t>::min()
                         : std::numeric_limits<std::int32_t>::max();
}

}  // namespace trendel
