// Saving a window's graph as an image file or to the clipboard.
#pragma once

#include "model/CGraph.h"
#include "platform/win32.h"

#include <cstdint>

namespace trendel {

// Renders the graph at width x height (10 for a size below 1) without the
// tracking overlay, in bitmaps compatible with the window's device context,
// and writes it by the file name's extension, or puts it on the clipboard
// (owned by `window`) for an empty or null name. True when saved; false when
// nothing was: a file under the name is then the one that was there before.
bool SaveGraphImage(CGraph &graph, HWND window, HDC windowDC, const char *fileName,
                    std::int32_t width, std::int32_t height);

}  // namespace trendel
