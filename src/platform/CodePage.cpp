#include "CodePage.h"

#ifdef _WIN32
#include "win32.h"

#include <mbstring.h>
#else
#include <cstring>
#endif

namespace trendel {

int CompareCodePageText(const char *first, const char *second) {
#ifdef _WIN32
  return _mbscmp(reinterpret_cast<const unsigned char *>(first),
                 reinterpret_cast<const unsigned char *>(second));
#else
  // strcmp compares as unsigned char, exactly the byte order wanted here.
  return std::strcmp(first, second);
#endif
}

int CodePageCharacterBytes(const char *text) {
#ifdef _WIN32
  return IsDBCSLeadByte(static_cast<BYTE>(text[0])) && text[1] != '\0' ? 2 : 1;
#else
  (void)text;
  return 1;
#endif
}

}  // namespace trendel
