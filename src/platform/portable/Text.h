// The text helpers behind TextOutA that tests check on their own: reading
// the library's bytes as characters, and measuring a string.
#pragma once

#include "FontFaces.h"

#include <cstddef>
#include <string>

namespace trendel::portable {

// Reads the character at `at` and moves past it. A valid UTF-8 sequence is
// one character; any other byte is read on its own as Windows-1252.
char32_t NextCodePoint(const unsigned char *&at, const unsigned char *end);

// Every character of `length` bytes, read as NextCodePoint does.
std::u32string DecodeText(const char *text, std::size_t length);

// The width GetTextExtentPoint32A gives for the bytes: the sum of the
// measured advances, the width TextOutA fills in opaque mode.
long long MeasureText(const FontFaceInstance &instance, const char *text, std::size_t length);

// Blends one colour channel of a smoothed glyph pixel: `level` of
// FULL_COVERAGE between the background and the text channel.
std::uint8_t BlendChannel(std::uint8_t text, std::uint8_t background, std::uint8_t level);

}  // namespace trendel::portable
