// Where one picture differs from the one before it. A pointer move redraws
// the whole chart, but only the tracking line and the value box change, so
// sending just those parts to the window system saves most of a frame's
// trip to the screen.
#pragma once

#include <cstdint>
#include <vector>

namespace trendel::view {

struct Region {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;

  bool operator==(const Region &other) const {
    return x == other.x && y == other.y && width == other.width && height == other.height;
  }
};

// The changed pixels between two pictures of width x height pixels (top row
// first), covered by a few rectangles: the columns that hold a change form
// bands, joined where fewer than MERGE_GAP unchanged columns part them, and
// each band reaches from its highest to its lowest changed row. The bands
// run left to right; none when the pictures are equal.
std::vector<Region> ChangedRegions(const std::uint32_t *before, const std::uint32_t *after,
                                   int width, int height);

// Columns of no change that still join two bands: fewer, taller rectangles
// cost less to send than many thin ones.
constexpr std::size_t MERGE_GAP = 32;

}  // namespace trendel::view
