// Text comparison in the process code page.
#pragma once

namespace trendel {

// Compares character by character in the process code page. On Windows a
// double-byte character (a lead byte and its trail byte) counts as one 16-bit
// value; portable hosts pass UTF-8, whose plain unsigned byte order is also
// the order of the characters.
int CompareCodePageText(const char *first, const char *second);

// The bytes of the character that starts at `text`: 2 for a lead byte and
// its trail byte in a Windows double-byte code page, otherwise 1. Portable
// hosts pass UTF-8, whose multibyte sequences never contain an ASCII byte,
// so a byte at a time finds every "\", "/" and "." there.
int CodePageCharacterBytes(const char *text);

}  // namespace trendel
