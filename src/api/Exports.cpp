// The six exports. Each is one boundary: whatever happens inside, the host
// gets a result code and nothing else. Each holds the library's lock for the
// whole call, so hosts may call from any thread.
#include "trendel.h"

#include "BindingTable.h"
#include "GraphLoading.h"
#include "export/SaveFile.h"
#include "platform/ExportLock.h"
#include "render/Draw.h"
#include "render/Tracking.h"

#include <new>

using namespace trendel;

namespace {

constexpr std::int32_t DRAWING_DISABLED = TRENDEL_NO_GRAPH;

// Runs an export's body under the library's lock and turns anything that
// escapes it into `failure`: running out of memory is the one failure the
// body does not handle itself.
template <typename Body>
std::int32_t Guarded(std::int32_t failure, Body body) noexcept {
  const ExportLock lock;
  try {
    return body();
  } catch (...) {
    return failure;
  }
}

// The library's own message box: no owner, an empty caption, an OK button.
void ShowMessage(const char *text) { MessageBoxA(nullptr, text, "", MB_OK); }

// The memory DC and bitmap of one off-screen pass, deleted when the pass
// ends, also when it ends by running out of memory half way.
struct OffscreenPass {
  OffscreenPass(HDC windowDC, int width, int height)
      : memoryDC(CreateCompatibleDC(windowDC)),
        bitmap(CreateCompatibleBitmap(windowDC, width, height)) {}
  OffscreenPass(const OffscreenPass &) = delete;
  OffscreenPass &operator=(const OffscreenPass &) = delete;
  ~OffscreenPass() {
    if (memoryDC != nullptr && !DeleteDC(memoryDC)) ShowMessage("here");
    if (bitmap != nullptr && !DeleteObject(bitmap)) ShowMessage("here");
  }
  const HDC memoryDC;
  const HBITMAP bitmap;
};

// The off-screen pass: the whole graph into a fresh bitmap of the client
// area, then one block transfer, so the window never shows half a graph.
std::int32_t DrawIntoWindow(GraphBinding &binding) {
  // A binding made while memory ran out lacks the window's DC; it takes it
  // now rather than failing every pass until the host destroys it.
  if (binding.windowDC == nullptr) binding.windowDC = GetDC(binding.window);
  RECT client{};
  if (binding.windowDC == nullptr || !GetClientRect(binding.window, &client)) {
    return TRENDEL_NO_BINDING;
  }
  const int width = client.right - client.left;
  const int height = client.bottom - client.top;
  const OffscreenPass pass(binding.windowDC, width, height);
  if (pass.memoryDC == nullptr || pass.bitmap == nullptr) return TRENDEL_NO_BINDING;
  SelectObject(pass.memoryDC, pass.bitmap);
  Draw(*binding.graph, pass.memoryDC, &client);
  BitBlt(binding.windowDC, 0, 0, width, height, pass.memoryDC, 0, 0, SRCCOPY);
  return TRENDEL_OK;
}

// Trendel_DrawGraph's body, which mouse moves redraw through.
std::int32_t DrawGraph(HWND window) {
  GraphBinding *binding = BindingTable::Instance().GetOrCreate(window);
  if (binding == nullptr) return TRENDEL_NO_BINDING;
  if (!binding->graphLoaded || !binding->redrawEnabled || !binding->graph) {
    return DRAWING_DISABLED;
  }
  return DrawIntoWindow(*binding);
}

bool Outside(std::int32_t x, std::int32_t y, std::int64_t width, std::int64_t height) {
  return x < 0 || y < 0 || x > width || y > height;
}

bool OutsidePlot(const CGraph &graph, std::int32_t x, std::int32_t y) {
  const std::int64_t bottom = static_cast<std::int64_t>(graph.plotTop) + graph.trackHeight;
  return x < graph.plotLeft || x > graph.plotRight || y < graph.plotTop || y > bottom;
}

void TrackPointer(GraphBinding &binding, std::int32_t x, std::int32_t y) {
  RECT frame{};
  GetWindowRect(binding.window, &frame);
  const std::int64_t width = static_cast<std::int64_t>(frame.right) - frame.left;
  const std::int64_t height = static_cast<std::int64_t>(frame.bottom) - frame.top;
  if (Outside(x, y, width, height)) {
    if (binding.mouseCaptured) {
      binding.mouseCaptured = false;
      ReleaseCapture();
    }
    if (!binding.graphLoaded) return;
    SetTrackingMode(TRACKING_OFF);
    DrawGraph(binding.window);
    return;
  }
  // While the capture lasts, the host keeps receiving moves from outside its
  // window and forwards them here, which ends the tracking above.
  if (GetCapture() != binding.window) {
    SetCapture(binding.window);
    binding.mouseCaptured = true;
  }
  if (!binding.graphLoaded || !binding.graph) return;
  const CGraph &graph = *binding.graph;
  if (OutsidePlot(graph, x, y)) {
    SetTrackingMode(TRACKING_OFF);
    DrawGraph(binding.window);
    return;
  }
  const std::int32_t snappedX = FindNearestCategory(graph, x);
  // In 64 bits: the hit area of a huge or inside-out plot must not overflow.
  const std::int64_t middle =
      graph.plotLeft + (static_cast<std::int64_t>(graph.plotRight) - graph.plotLeft) / 2;
  SetTrackingMode(snappedX > middle ? TRACKING_BOX_LEFT : TRACKING_BOX_RIGHT);
  DrawGraph(binding.window);
}

}  // namespace

extern "C" {

int32_t TRENDEL_CALL Trendel_SetValues(
    HWND window, const char *kind, const char *title, int32_t labelAngle,
    const char *categoryAxisTitle, const char *valueAxisTitle, const char *legendTitle,
    const char *const *seriesNames, int32_t seriesNameCount, const uint32_t *seriesColors,
    int32_t seriesColorCount, int32_t sortCategories, double rangeMin, double rangeMax,
    int32_t showGrid, const char *scaleMode, double step, int32_t stepCount, int32_t pointMarkers,
    const char *const *categoryNames, int32_t categoryNameCount, const double *values,
    int32_t rowCount, int32_t columnCount) {
  return Guarded(TRENDEL_NO_BINDING, [&] {
    GraphBinding *binding = BindingTable::Instance().GetOrCreate(window);
    if (binding == nullptr) return TRENDEL_NO_BINDING;
    GraphDefinition definition;
    definition.kind = kind;
    definition.title = title;
    definition.labelAngle = labelAngle;
    definition.categoryAxisTitle = categoryAxisTitle;
    definition.valueAxisTitle = valueAxisTitle;
    definition.legendTitle = legendTitle;
    definition.seriesNames = seriesNames;
    definition.seriesNameCount = seriesNameCount;
    definition.seriesColors = seriesColors;
    definition.seriesColorCount = seriesColorCount;
    definition.sortCategories = sortCategories;
    definition.rangeMin = rangeMin;
    definition.rangeMax = rangeMax;
    definition.showGrid = showGrid;
    definition.scaleMode = scaleMode;
    definition.step = step;
    definition.stepCount = stepCount;
    definition.pointMarkers = pointMarkers;
    definition.categoryNames = categoryNames;
    definition.categoryNameCount = categoryNameCount;
    definition.values = values;
    definition.rowCount = rowCount;
    definition.columnCount = columnCount;
    return LoadGraph(*binding, definition);
  });
}

int32_t TRENDEL_CALL Trendel_DrawGraph(HWND window) {
  return Guarded(TRENDEL_NO_BINDING, [&] { return DrawGraph(window); });
}

int32_t TRENDEL_CALL Trendel_MouseMove(HWND window, int32_t, int32_t x, int32_t y) {
  return Guarded(TRENDEL_OK, [&] {
    GraphBinding *binding = BindingTable::Instance().GetOrCreate(window);
    if (binding != nullptr) TrackPointer(*binding, x, y);
    return TRENDEL_OK;
  });
}

int32_t TRENDEL_CALL Trendel_SetRedraw(HWND window, int32_t enable) {
  return Guarded(TRENDEL_NO_BINDING, [&] {
    GraphBinding *binding = BindingTable::Instance().GetOrCreate(window);
    if (binding == nullptr) return TRENDEL_NO_BINDING;
    binding->redrawEnabled = enable != 0;
    return TRENDEL_OK;
  });
}

int32_t TRENDEL_CALL Trendel_SaveFile(HWND window, const char *fileName, int32_t width,
                                      int32_t height) {
  // Running out of memory half way saves nothing, like any other failure.
  return Guarded(TRENDEL_SAVE_FAILED, [&] {
    GraphBinding *binding = BindingTable::Instance().GetOrCreate(window);
    if (binding == nullptr) return TRENDEL_NO_BINDING;
    if (!binding->graphLoaded || !binding->graph) return TRENDEL_NO_GRAPH;
    const bool saved = SaveGraphImage(*binding->graph, binding->window, binding->windowDC,
                                      fileName, width, height);
    return saved ? TRENDEL_OK : TRENDEL_SAVE_FAILED;
  });
}

int32_t TRENDEL_CALL Trendel_Destroy(HWND window) {
  const ExportLock lock;
  BindingTable::Instance().Remove(window);
  return TRENDEL_OK;
}

}  // extern "C"
