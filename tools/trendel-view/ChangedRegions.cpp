#include "ChangedRegions.h"

#include <algorithm>
#include <cstring>

namespace trendel::view {
namespace {

constexpr int NO_CHANGE = -1;

}  // namespace

std::vector<Region> ChangedRegions(const std::uint32_t *before, const std::uint32_t *after,
                                   int width, int height) {
  const auto columns = static_cast<std::size_t>(width);
  // The highest and lowest changed row of every column.
  std::vector<int> top(columns, NO_CHANGE);
  std::vector<int> bottom(columns, NO_CHANGE);
  for (int y = 0; y < height; ++y) {
    const std::size_t rowStart = static_cast<std::size_t>(y) * columns;
    // Most rows are equal; the whole-row comparison is far faster than the loop.
    if (std::memcmp(before + rowStart, after + rowStart, columns * sizeof(std::uint32_t)) == 0) {
      continue;
    }
    for (std::size_t x = 0; x < columns; ++x) {
      if (before[rowStart + x] == after[rowStart + x]) continue;
      if (top[x] == NO_CHANGE) top[x] = y;
      bottom[x] = y;
    }
  }

  std::vector<Region> regions;
  std::size_t x = 0;
  while (x < columns) {
    if (top[x] == NO_CHANGE) {
      ++x;
      continue;
    }
    int bandTop = top[x];
    int bandBottom = bottom[x];
    std::size_t last = x;
    for (std::size_t next = x + 1; next < columns && next - last <= MERGE_GAP; ++next) {
      if (top[next] == NO_CHANGE) continue;
      bandTop = std::min(bandTop, top[next]);
      bandBottom = std::max(bandBottom, bottom[next]);
      last = next;
    }
    regions.push_back(Region{static_cast<int>(x), bandTop, static_cast<int>(last - x + 1),
                             bandBottom - bandTop + 1});
    x = last + 1;
  }
  return regions;
}

}  // namespace trendel::view
