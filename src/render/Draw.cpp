#include "Draw.h"

namespace trendel {

// FIXME: only the background so far; the title, legend, axes, series and
// tracking overlay follow.
void Draw(CGraph &graph, HDC dc, const RECT *area) {
  (void)graph;
  RECT target{};
  if (area != nullptr) {
    target = *area;
  } else {
    GetClientRect(WindowFromDC(dc), &target);
  }
  const int width = target.right - target.left;
  const int height = target.bottom - target.top;
  HBRUSH background = CreateSolidBrush(RGB(255, 255, 255));
  HGDIOBJ previousBrush = SelectObject(dc, background);
  Rectangle(dc, 0, 0, width, height);
  SelectObject(dc, previousBrush);
  DeleteObject(background);
}

}  // namespace trendel
