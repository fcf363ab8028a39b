// One drawing pass of a graph into a device context.
#pragma once

#include "model/CGraph.h"
#include "platform/win32.h"

namespace trendel {

// Paints the whole graph into the device context and stores the layout of
// the pass in the graph. W and H come from the area rectangle, or from the
// client rectangle of the DC's window when there is none; positions are
// measured from the DC's origin.
void Draw(CGraph &graph, HDC dc, const RECT *area);

}  // namespace trendel
