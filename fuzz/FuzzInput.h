// Reads a fuzzer's bytes as the arguments of calls: whole numbers in a range,
// doubles that lean towards the values arithmetic trips over, and texts.
// Once the bytes run out every read gives its smallest answer, so that any
// input, the empty one included, is a complete case.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string>

namespace trendel::fuzzing {

// A text argument that may also be a null pointer.
struct TextArgument {
  bool isNull = false;
  std::string text;
  const char *Pointer() const { return isNull ? nullptr : text.c_str(); }
};

class FuzzInput {
 public:
  FuzzInput(const std::uint8_t *data, std::size_t size) : data_(data), size_(size) {}

  bool Empty() const { return position_ >= size_; }

  std::uint8_t Byte() { return Empty() ? 0 : data_[position_++]; }

  // A whole number from low to high, both included, from as few bytes as the
  // range needs.
  std::int64_t Between(std::int64_t low, std::int64_t high) {
    const std::uint64_t span = static_cast<std::uint64_t>(high) - static_cast<std::uint64_t>(low);
    std::uint64_t value = 0;
    for (std::uint64_t covered = 0; covered < span && !Empty(); covered = (covered << 8) | 0xFF) {
      value = (value << 8) | Byte();
    }
    if (span != std::numeric_limits<std::uint64_t>::max()) value %= span + 1;
    return static_cast<std::int64_t>(static_cast<std::uint64_t>(low) + value);
  }

  // Any 32-bit value, in two's complement: zero bytes give 0.
  std::int32_t Int32() {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(Between(0, 0xFFFFFFFF)));
  }

  // True once in `chances`; false when the bytes have run out, so that rare
  // branches stay rare in short inputs.
  bool OneIn(int chances) { return Between(0, chances - 1) == chances - 1; }

  // Mostly the doubles that break careless arithmetic, otherwise any bit
  // pattern at all.
  double Double() {
    static constexpr double SPECIAL[] = {
        0.0,
        -0.0,
        1.0,
        -1.0,
        0.5,
        100.0,
        1e6,
        -1e9,
        3e38,
        1e300,
        -1e300,
        std::numeric_limits<double>::max(),
        std::numeric_limits<double>::lowest(),  // the missing value
        std::numeric_limits<double>::min(),
        std::numeric_limits<double>::denorm_min(),
        -std::numeric_limits<double>::denorm_min(),
        std::numeric_limits<double>::epsilon(),
        std::numeric_limits<double>::infinity(),
        -std::numeric_limits<double>::infinity(),
        std::numeric_limits<double>::quiet_NaN(),
        2147483647.0,
        2147483648.0,
        -2147483649.0,
        9.2233720368547758e18,
    };
    constexpr std::int64_t SPECIAL_COUNT = sizeof SPECIAL / sizeof SPECIAL[0];
    const std::int64_t choice = Between(0, SPECIAL_COUNT + 3);
    if (choice < SPECIAL_COUNT) return SPECIAL[choice];
    if (choice == SPECIAL_COUNT) return static_cast<double>(Between(-1000, 1000));
    if (choice == SPECIAL_COUNT + 1) return static_cast<double>(Int32()) / 64.0;
    std::uint64_t bits = 0;
    for (int i = 0; i < 8; ++i) bits = (bits << 8) | Byte();
    double value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
  }

  // Up to mostBytes bytes of any value but 0; sometimes a short pattern
  // repeated to a great length, the cheap way to very long texts.
  std::string Text(std::size_t mostBytes) {
    std::string text;
    const bool repeated = OneIn(8);
    const auto length = static_cast<std::size_t>(Between(0, repeated ? 8 : 40));
    for (std::size_t i = 0; i < length && !Empty(); ++i) {
      const std::uint8_t byte = Byte();
      text += static_cast<char>(byte == 0 ? 'x' : byte);
    }
    if (repeated && !text.empty()) {
      const auto copies = static_cast<std::size_t>(Between(1, 2000));
      std::string pattern = text;
      for (std::size_t i = 1; i < copies && text.size() + pattern.size() <= mostBytes; ++i) {
        text += pattern;
      }
    }
    if (text.size() > mostBytes) text.resize(mostBytes);
    return text;
  }

  TextArgument TextOrNull(std::size_t mostBytes) {
    TextArgument argument;
    argument.isNull = OneIn(16);
    if (!argument.isNull) argument.text = Text(mostBytes);
    return argument;
  }

 private:
  const std::uint8_t *data_;
  std::size_t size_;
  std::size_t position_ = 0;
};

}  // namespace trendel::fuzzing
