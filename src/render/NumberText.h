// Numbers as the graph shows them, and a text repetition for aligning them.
#pragma once

#include <cstdint>
#include <string>

namespace trendel {

enum class TrailingZeros { Keep, Remove };

// The value in fixed notation with six decimals ("%f"). With
// TrailingZeros::Remove the zeros after the point go, and the point with
// them when nothing is left after it: 12.5 gives "12.5", 100 gives "100".
// Values near the ends of the double range give texts of 300 and more
// characters; nothing is cut.
std::string FormatNumber(double value, TrailingZeros trailingZeros);

// text repeated count times; empty for a count of 0 or less.
std::string RepeatString(const std::string &text, std::int32_t count);

}  // namespace trendel
