#include "CheckedExports.h"

#include "TestWindow.h"

#include <gtest/gtest.h>

#include <optional>
#include <set>

namespace trendel::testing::checked {
namespace {

// Every export but Trendel_Destroy binds the window it is given.
enum class Binding { Made, Released };

// What the calls may rightly hold at any moment: which windows they bound,
// and what the layer held before the first of them.
struct Ledger {
  std::set<HWND> boundWindows;
  std::optional<LayerObjectCounts> baseline;
  bool baselineClipboard = false;
};

Ledger &TheLedger() {
  static Ledger ledger;
  return ledger;
}

void TakeBaselineOnce() {
  Ledger &ledger = TheLedger();
  if (ledger.baseline || !ledger.boundWindows.empty()) return;
  ledger.baseline = CountLayerObjects();
  ledger.baselineClipboard = ClipboardHoldsBitmap();
}

// A binding holds the device context GetDC gave it while its window lives;
// a window's device contexts die with it.
std::int64_t BoundDeviceContexts() {
  std::int64_t count = 0;
  for (HWND window : TheLedger().boundWindows) {
    count += window == nullptr || WindowExists(window) ? 1 : 0;
  }
  return count;
}

std::int32_t Checked(const char *call, Binding binding, HWND window, std::int32_t result) {
  Ledger &ledger = TheLedger();
  if (binding == Binding::Released) {
    ledger.boundWindows.erase(window);
  } else {
    ledger.boundWindows.insert(window);
  }
  const std::optional<LayerObjectCounts> now = CountLayerObjects();
  if (!ledger.baseline || !now) return result;
  LayerObjectCounts expected = *ledger.baseline;
  expected.gdiObjects += (ClipboardHoldsBitmap() ? 1 : 0) - (ledger.baselineClipboard ? 1 : 0);
  expected.deviceContexts += BoundDeviceContexts();
  EXPECT_EQ(now->gdiObjects, expected.gdiObjects) << "GDI objects after " << call;
  EXPECT_EQ(now->deviceContexts, expected.deviceContexts) << "device contexts after " << call;
  EXPECT_EQ(now->globalBlocks, expected.globalBlocks) << "global memory blocks after " << call;
  EXPECT_EQ(now->files, expected.files) << "open files after " << call;
  return result;
}

}  // namespace

std::int32_t SetValues(HWND window, const GraphArguments &graph) {
  TakeBaselineOnce();
  return Checked("Trendel_SetValues", Binding::Made, window, graph.Load(window));
}

std::int32_t DrawGraph(HWND window) {
  TakeBaselineOnce();
  return Checked("Trendel_DrawGraph", Binding::Made, window, Trendel_DrawGraph(window));
}

std::int32_t MouseMove(HWND window, std::int32_t reserved, std::int32_t x, std::int32_t y) {
  TakeBaselineOnce();
  return Checked("Trendel_MouseMove", Binding::Made, window,
                 Trendel_MouseMove(window, reserved, x, y));
}

std::int32_t SetRedraw(HWND window, std::int32_t enable) {
  TakeBaselineOnce();
  return Checked("Trendel_SetRedraw", Binding::Made, window, Trendel_SetRedraw(window, enable));
}

std::int32_t SaveFile(HWND window, const char *fileName, std::int32_t width, std::int32_t height) {
  TakeBaselineOnce();
  return Checked("Trendel_SaveFile", Binding::Made, window,
                 Trendel_SaveFile(window, fileName, width, height));
}

std::int32_t Destroy(HWND window) {
  TakeBaselineOnce();
  return Checked("Trendel_Destroy", Binding::Released, window, Trendel_Destroy(window));
}

}  // namespace trendel::testing::checked
