// The PNG exports of the portable build, beside the headless windows they
// serve. Like the six exports, each is one boundary: whatever happens
// inside, the host gets a result code and nothing else, and each holds the
// library's lock for the whole call.
#include "trendel.h"

#include "BindingTable.h"
#include "export/SavePng.h"
#include "platform/ExportLock.h"

#include <cstdlib>

using namespace trendel;

namespace {

// Runs `save` on the window's graph; anything thrown (memory ran out) means
// that nothing was saved.
template <typename Save>
std::int32_t WithGraph(HWND window, Save save) noexcept {
  const ExportLock lock;
  try {
    GraphBinding *binding = BindingTable::Instance().GetOrCreate(window);
    if (binding == nullptr) return TRENDEL_NO_BINDING;
    if (!binding->graphLoaded || !binding->graph) return TRENDEL_NO_GRAPH;
    return save(*binding) ? TRENDEL_OK : TRENDEL_SAVE_FAILED;
  } catch (...) {
    return TRENDEL_SAVE_FAILED;
  }
}

}  // namespace

extern "C" {

int32_t TrendelHost_SavePng(HWND window, const char *fileName, int32_t width, int32_t height) {
  return WithGraph(window, [&](GraphBinding &binding) {
    return SaveGraphPng(*binding.graph, binding.windowDC, fileName, width, height);
  });
}

int32_t TrendelHost_EncodePng(HWND window, int32_t width, int32_t height, uint8_t **png,
                              size_t *size) {
  if (png == nullptr || size == nullptr) return TRENDEL_SAVE_FAILED;
  *png = nullptr;
  *size = 0;
  return WithGraph(window, [&](GraphBinding &binding) {
    PngBytes bytes;
    if (!EncodeGraphPng(*binding.graph, binding.windowDC, width, height, bytes)) return false;
    *size = bytes.Size();
    *png = bytes.Release();
    return true;
  });
}

void TrendelHost_FreePng(uint8_t *png) {
  std::free(png);
}

}  // extern "C"
