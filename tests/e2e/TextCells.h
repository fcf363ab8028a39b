// The cells of the texts Trendel.dll draws, as real GDI measures them: the
// rectangle TextOutA fills behind a text, turned with the font's escapement,
// as a bounding box. The comparison of the two builds takes differences
// inside these cells for font rendering and everywhere else for geometry.
#pragma once

#include <string>
#include <vector>

namespace trendel::testing {

struct TextCell {
  int left;
  int top;
  int right;   // exclusive
  int bottom;  // exclusive
};

// Routes the DLL's calls of TextOutA through a recorder. False when the DLL
// is not loaded or imports no TextOutA.
bool RecordTextCells();

// The cells recorded since the last call, in drawing order.
std::vector<TextCell> TakeTextCells();

}  // namespace trendel::testing
