#include "NumberText.h"

#include <algorithm>
#include <cassert>
#include <cfloat>
#include <charconv>
#include <clocale>
#include <cstdint>
#include <cstdio>
#include <cstring>

namespace trendel {

// "%f" of the largest double: a sign, 309 digits before the point, the point
// and six decimals.
constexpr int LONGEST_FIXED = 1 + (DBL_MAX_10_EXP + 1) + 1 + 6;

namespace {

constexpr int FRACTION_BITS = 52;  // stored mantissa bits of a double
// A double is its mantissa times 2^(biased exponent - MANTISSA_BIAS).
constexpr int MANTISSA_BIAS = 1023 + FRACTION_BITS;
constexpr std::uint64_t FIVE_TO_THE_DECIMALS = 15625;  // 5^6; with 2^6, the 10^6 of six decimals
constexpr int DECIMALS_POWER_OF_TWO = 6;
// A fraction of up to this many bits times 5^6 stays within 64 bits.
constexpr int MOST_FRACTION_BITS = 50;

// Writes the value's "%f" text to `text` without snprintf and returns its
// length, or 0 if the value lies outside the cheap case. Value labels take
// most of a small chart's numbers, and snprintf costs about 1,600
// instructions a call. The value is mantissa * 2^-shift exactly; the whole
// part is the mantissa's high bits, and six decimals of the fraction f are
// f * 10^6 / 2^shift, rounded to nearest with ties to even as glibc's
// "%f" rounds the exact binary value. Values of 2^53 or more, NaNs,
// infinities and fractions finer than MOST_FRACTION_BITS (most values
// below 4) are left to snprintf.
int FormatFixedExactly(double value, char *text, std::size_t size) {
  std::uint64_t bits = 0;
  std::memcpy(&bits, &value, sizeof bits);
  const auto biasedExponent = static_cast<int>((bits >> FRACTION_BITS) & 0x7FF);
  std::uint64_t mantissa = bits & ((std::uint64_t{1} << FRACTION_BITS) - 1);
  if (biasedExponent == 0x7FF) return 0;
  if (biasedExponent != 0) mantissa |= std::uint64_t{1} << FRACTION_BITS;
  // Subnormals (biased exponent 0) scale as exponent 1 does.
  int shift = MANTISSA_BIAS - std::max(biasedExponent, 1);
  if (mantissa == 0) {
    shift = 0;
  } else {
    const int trailingZeros = std::min(shift, __builtin_ctzll(mantissa));
    if (trailingZeros > 0) {
      mantissa >>= trailingZeros;
      shift -= trailingZeros;
    }
  }
  if (shift < 0 || shift > MOST_FRACTION_BITS) return 0;

  std::uint64_t whole = mantissa >> shift;
  const std::uint64_t scaled =
      (mantissa & ((std::uint64_t{1} << shift) - 1)) * FIVE_TO_THE_DECIMALS;
  std::uint64_t decimals = 0;
  if (shift <= DECIMALS_POWER_OF_TWO) {
    decimals = scaled << (DECIMALS_POWER_OF_TWO - shift);
  } else {
    const int dropped = shift - DECIMALS_POWER_OF_TWO;
    decimals = scaled >> dropped;
    const std::uint64_t rest = scaled & ((std::uint64_t{1} << dropped) - 1);
    const std::uint64_t half = std::uint64_t{1} << (dropped - 1);
    if (rest > half || (rest == half && decimals % 2 == 1)) ++decimals;
  }
  if (decimals == 1000000) {
    ++whole;
    decimals = 0;
  }

  char *at = text, *const end = text + size;
  if (bits >> 63) *at++ = '-';
  at = std::to_chars(at, end, whole).ptr;
  *at++ = '.';
  for (int digit = 5; digit >= 0; --digit, decimals /= 10) {
    at[digit] = static_cast<char>('0' + decimals % 10);
  }
  return static_cast<int>(at + 6 - text);
}

}  // namespace

std::string FormatNumber(double value, TrailingZeros trailingZeros) {
  char text[LONGEST_FIXED + 1];
  // A host may have set a numeric locale whose decimal point is not ".";
  // "%f" then writes that locale's point, and labels keep doing so.
  const bool plainPoint = std::strcmp(std::localeconv()->decimal_point, ".") == 0;
  int written = plainPoint ? FormatFixedExactly(value, text, sizeof text) : 0;
  if (written == 0) written = std::snprintf(text, sizeof text, "%f", value);
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
