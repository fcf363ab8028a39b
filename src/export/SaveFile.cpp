#include "SaveFile.h"

namespace trendel {

// FIXME: renders nothing and writes nothing yet.
void SaveGraphImage(CGraph &, HWND, HDC, const char *, std::int32_t, std::int32_t) {}

}  // namespace trendel
