// Saving a window's graph as PNG, to a file or into memory.
#pragma once

#include "PngFile.h"
#include "model/CGraph.h"
#include "platform/win32.h"

#include <cstdint>

namespace trendel {

// Renders the graph as a save does (width x height, 10 for a size below 1,
// no tracking overlay) and encodes it as PNG. False when nothing was made.
bool EncodeGraphPng(CGraph &graph, HDC windowDC, std::int32_t width, std::int32_t height,
                    PngBytes &png);

// The same picture written to `fileName`, creating the directories on the
// way. The name shows the complete file or what it held before: false when
// nothing was saved.
bool SaveGraphPng(CGraph &graph, HDC windowDC, const char *fileName, std::int32_t width,
                  std::int32_t height);

}  // namespace trendel
