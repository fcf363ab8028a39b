// The process-wide point-marker switch: one value serves every graph, and
// every successful load sets it.
#pragma once

#include <cstdint>

namespace trendel {

// Request 0 switches markers off, 1 on, anything else (renderers pass -1)
// leaves the switch alone. Returns the switch after the call.
std::int32_t SetPointMarkers(std::int32_t request);

}  // namespace trendel
