// Mouse tracking: the process-wide tracking state shared by every graph, and
// the snapping of the pointer to the nearest category.
#pragma once

#include "model/CGraph.h"

#include <cstdint>

namespace trendel {

// 0: no overlay. 1: the tracked category lies in the right half of the plot
// and the value box goes to the left end; 2: the other way round.
constexpr std::int32_t TRACKING_OFF = 0;
constexpr std::int32_t TRACKING_BOX_LEFT = 1;
constexpr std::int32_t TRACKING_BOX_RIGHT = 2;
constexpr std::int32_t QUERY_TRACKING_MODE = -1;
constexpr std::int32_t QUERY_TRACKED_INDEX = -2;

// A request from 0 to 2 is stored; any other only reads. Returns the mode.
std::int32_t SetTrackingMode(std::int32_t request);

// -2 only reads; any other value, -1 included, is stored. Returns the index.
std::int32_t SetTrackedIndex(std::int32_t request);

// The x of the category nearest to x in the last pass's xPositions (of two
// equally near, the left one), and that category becomes the tracked index.
// When none is found, the active window's text becomes x in decimal, the
// tracked index -1, and x itself is returned.
std::int32_t FindNearestCategory(const CGraph &graph, std::int32_t x);

}  // namespace trendel
