#include "Tracking.h"

#include "platform/win32.h"

#include <cstdlib>
#include <string>

namespace trendel {
namespace {

std::int32_t trackingMode = TRACKING_OFF;
std::int32_t trackedIndex = -1;

// Distances in 64 bits, so that no pointer position can overflow them.
std::int64_t Distance(std::int32_t a, std::int32_t b) {
  return std::llabs(static_cast<std::int64_t>(a) - b);
}

// The category whose position is nearest to x, or -1. The last entry of
// xPositions is the plot's right end and is never a result.
std::int64_t NearestCategory(const std::vector<std::int32_t> &positions, std::int32_t x) {
  const auto lastCategory = static_cast<std::int64_t>(positions.size()) - 2;
  if (lastCategory < 0) return -1;
  // Positions grow from left to right, so the first category that is at
  // least as near as its right neighbour is the nearest one.
  for (std::int64_t i = 0; i <= lastCategory; ++i) {
    const auto here = static_cast<std::size_t>(i);
    if (Distance(positions[here], x) <= Distance(positions[here + 1], x)) return i;
  }
  // The right end is nearer than every category; with a single category
  // that means none is found.
  return lastCategory >= 1 ? lastCategory : -1;
}

}  // namespace

std::int32_t SetTrackingMode(std::int32_t request) {
  if (request >= TRACKING_OFF && request <= TRACKING_BOX_RIGHT) trackingMode = request;
  return trackingMode;
}

std::int32_t SetTrackedIndex(std::int32_t request) {
  if (request != QUERY_TRACKED_INDEX) trackedIndex = request;
  return trackedIndex;
}

std::int32_t FindNearestCategory(const CGraph &graph, std::int32_t x) {
  const std::int64_t found = NearestCategory(graph.xPositions, x);
  if (found >= 0) {
    SetTrackedIndex(static_cast<std::int32_t>(found));
    return graph.xPositions[static_cast<std::size_t>(found)];
  }
  // The library has no window of its own; the pointer position goes to the
  // title of whatever window is active.
  if (HWND active = GetActiveWindow()) SetWindowTextA(active, std::to_string(x).c_str());
  SetTrackedIndex(-1);
  return x;
}

}  // namespace trendel
