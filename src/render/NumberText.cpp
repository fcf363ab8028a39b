#include "NumberText.h"

#include <algorithm>
#include <cassert>
#include <cfloat>
#include <cstdio>
#include <cstring>

namespace trendel {

// "%f" of the largest double: a sign, 309 digits before the point, the point
// and six decimals.
constexpr int LONGEST_FIXED = 1 + (DBL_MAX_10_EXP + 1) + 1 + 6;

std::string FormatNumber(double value, TrailingZeros trailingZeros) {
  char text[LONGEST_FIXED + 1];
  const int written = std::snprintf(text, sizeof text, "%f", value);
  if (written <= 0) return {};
  assert(written <= LONGEST_FIXED);
  auto length = static_cast<std::size_t>(std::min(written, LONGEST_FIXED));
  if (trailingZeros == TrailingZeros::Remove && std::memchr(text, '.', length) != nullptr) {
    // "%f" always puts a digit before the point, so only decimals are trimmed.
    while (text[length - 1] == '0') --length;
    if (text[length - 1] == '.') --length;
  }
  return std::string(text, length);
}

std::string RepeatString(const std::string &text, std::int32_t count) {
  std::string repeated;
  if (count <= 0) return repeated;
  repeated.reserve(text.size() * static_cast<std::size_t>(count));
  for (std::int32_t i = 0; i < count; ++i) repeated += text;
  return repeated;
}

}  // namespace trendel
