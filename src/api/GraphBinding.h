// What the library keeps per host window: the window's device context, its
// graph and three switches.
#pragma once

#include "model/CGraph.h"
#include "platform/win32.h"

#include <memory>

namespace trendel {

struct GraphBinding {
  explicit GraphBinding(HWND hostWindow) : window(hostWindow) {}
  // Releases nothing: BindingTable::Remove gives back the device context.
  virtual ~GraphBinding() = default;
  GraphBinding(const GraphBinding &) = delete;
  GraphBinding &operator=(const GraphBinding &) = delete;

  HWND window;
  // Taken by GetDC when the binding is made and kept until it is removed;
  // every drawing pass ends in this context.
  HDC windowDC = nullptr;
  std::unique_ptr<CGraph> graph;
  bool mouseCaptured = false;
  // Set by the first fully successful load and never cleared.
  bool graphLoaded = false;
  // Gates Trendel_DrawGraph only; saving draws whatever its value.
  bool redrawEnabled = true;
};

}  // namespace trendel
