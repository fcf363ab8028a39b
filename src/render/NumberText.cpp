#include "NumberText.h"

#include <cstdio>

namespace trendel {

std::string FormatNumber(double value, TrailingZeros trailingZeros) {
  // Measured first: the largest doubles need more than 300 characters.
  const int length = std::snprintf(nullptr, 0, "%f", value);
  if (length <= 0) return {};
  std::string text(static_cast<std::size_t>(length) + 1, '\0');
  std::snprintf(text.data(), text.size(), "%f", value);
  text.resize(static_cast<std::size_t>(length));
  if (trailingZeros == TrailingZeros::Remove && text.find('.') != std::string::npos) {
    // "%f" always puts a digit before the point, so only decimals are trimmed.
    text.erase(text.find_last_not_of('0') + 1);
    if (text.back() == '.') text.pop_back();
  }
  return text;
}

std::string RepeatString(const std::string &text, std::int32_t count) {
  std::string repeated;
  if (count <= 0) return repeated;
  repeated.reserve(text.size() * static_cast<std::size_t>(count));
  for (std::int32_t i = 0; i < count; ++i) repeated += text;
  return repeated;
}

}  // namespace trendel
