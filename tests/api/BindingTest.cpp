// The exports' binding and drawing logic on headless windows.
#include "trendel.h"

#include "platform/portable/Accounting.h"
#include "support/TestGraphs.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace trendel {
namespace {

using testing::GraphArguments;
using portable::CountLiveObjects;

std::vector<std::uint32_t> Pixels(HWND window) {
  std::int32_t width = 0, height = 0;
  TrendelHost_GetWindowSize(window, &width, &height);
  std::vector<std::uint32_t> pixels(static_cast<std::size_t>(width) * height);
  EXPECT_EQ(TrendelHost_ReadPixels(window, pixels.data(), width, height), 0);
  return pixels;
}

class Bindings : public ::testing::Test {
 protected:
  void SetUp() override {
    window_ = TrendelHost_CreateWindow(60, 40);
    ASSERT_NE(window_, nullptr);
    baseline_ = CountLiveObjects();
  }
  void TearDown() override {
    Trendel_Destroy(window_);
    TrendelHost_DestroyWindow(window_);
  }
  void ExpectNoLeaks() const {
    const portable::LiveObjectCounts now = CountLiveObjects();
    // The binding made by the first call keeps one window DC.
    EXPECT_LE(now.deviceContexts, baseline_.deviceContexts + 1);
    EXPECT_EQ(now.gdiObjects, baseline_.gdiObjects);
    EXPECT_EQ(now.globalBlocks, baseline_.globalBlocks);
    EXPECT_EQ(now.files, baseline_.files);
  }

  HWND window_ = nullptr;
  portable::LiveObjectCounts baseline_;
};

TEST_F(Bindings, DrawBeforeAnyGraphBindsAndAnswersNoGraph) {
  EXPECT_EQ(Trendel_DrawGraph(window_), TRENDEL_NO_GRAPH);
  EXPECT_EQ(CountLiveObjects().deviceContexts, baseline_.deviceContexts + 1);
  EXPECT_EQ(Trendel_SaveFile(window_, "never.bmp", 10, 10), TRENDEL_NO_GRAPH);
  ExpectNoLeaks();
}

TEST_F(Bindings, DrawPaintsTheFramedWhiteBackground) {
  // Large enough that the legend box, centred on the right edge, leaves the
  // frame's left corners alone.
  ASSERT_EQ(TrendelHost_ResizeWindow(window_, 300, 200), 0);
  ASSERT_EQ(GraphArguments().Load(window_), TRENDEL_OK);
  ASSERT_EQ(Trendel_DrawGraph(window_), TRENDEL_OK);
  const std::vector<std::uint32_t> pixels = Pixels(window_);
  EXPECT_EQ(pixels[0], 0x000000u);                // frame, top left
  EXPECT_EQ(pixels[299], 0x000000u);              // frame, top right
  EXPECT_EQ(pixels[199 * 300], 0x000000u);        // frame, bottom left
  EXPECT_EQ(pixels[199 * 300 + 299], 0x000000u);  // frame, bottom right
  EXPECT_EQ(pixels[1 * 300 + 1], 0xFFFFFFu);      // inside
  ExpectNoLeaks();
}

TEST_F(Bindings, RedrawSwitchGatesDrawingOnly) {
  ASSERT_EQ(TrendelHost_ResizeWindow(window_, 300, 200), 0);  // room for the legend
  ASSERT_EQ(GraphArguments().Load(window_), TRENDEL_OK);
  EXPECT_EQ(Trendel_SetRedraw(window_, 0), TRENDEL_OK);
  EXPECT_EQ(Trendel_DrawGraph(window_), TRENDEL_NO_GRAPH);
  EXPECT_EQ(Pixels(window_)[0], 0xFFFFFFu);  // untouched
  EXPECT_EQ(Trendel_SetRedraw(window_, 7), TRENDEL_OK);
  EXPECT_EQ(Pixels(window_)[0], 0xFFFFFFu);  // enabling does not draw
  EXPECT_EQ(Trendel_DrawGraph(window_), TRENDEL_OK);
  EXPECT_EQ(Pixels(window_)[0], 0x000000u);
  // Reloading the graph keeps the switch.
  Trendel_SetRedraw(window_, 0);
  ASSERT_EQ(GraphArguments().Load(window_), TRENDEL_OK);
  EXPECT_EQ(Trendel_DrawGraph(window_), TRENDEL_NO_GRAPH);
}

TEST_F(Bindings, DestroyIsHarmlessForUnboundWindowsAndRebindsFresh) {
  HWND other = TrendelHost_CreateWindow(10, 10);
  EXPECT_EQ(Trendel_Destroy(other), TRENDEL_OK);
  ASSERT_EQ(GraphArguments().Load(window_), TRENDEL_OK);
  Trendel_SetRedraw(window_, 0);
  EXPECT_EQ(Trendel_Destroy(window_), TRENDEL_OK);
  EXPECT_EQ(Trendel_Destroy(window_), TRENDEL_OK);
  EXPECT_EQ(CountLiveObjects().deviceContexts, baseline_.deviceContexts);
  // Bound again from the initial values: no graph, drawing enabled.
  EXPECT_EQ(Trendel_DrawGraph(window_), TRENDEL_NO_GRAPH);
  ASSERT_EQ(GraphArguments().Load(window_), TRENDEL_OK);
  EXPECT_EQ(Trendel_DrawGraph(window_), TRENDEL_OK);
  TrendelHost_DestroyWindow(other);
}

TEST_F(Bindings, FailedLoadReplacesALoadedGraphWithAnEmptyOne) {
  GraphArguments arguments;
  ASSERT_EQ(arguments.Load(window_), TRENDEL_OK);
  arguments.kind = "line_graph";
  EXPECT_EQ(arguments.Load(window_), TRENDEL_NO_GRAPH);
  arguments.kind = "LINE_GRAPH";
  arguments.seriesNames.clear();
  EXPECT_EQ(arguments.Load(window_), TRENDEL_NO_SERIES_NAMES);
  // Still loaded: the window draws the new, empty graph.
  EXPECT_EQ(Trendel_DrawGraph(window_), TRENDEL_OK);

  HWND fresh = TrendelHost_CreateWindow(10, 10);
  EXPECT_EQ(arguments.Load(fresh), TRENDEL_NO_SERIES_NAMES);
  EXPECT_EQ(Trendel_DrawGraph(fresh), TRENDEL_NO_GRAPH);
  Trendel_Destroy(fresh);
  TrendelHost_DestroyWindow(fresh);
}

TEST_F(Bindings, SeveralWindowsKeepTheirOwnGraphs) {
  HWND windows[3];
  for (HWND &window : windows) {
    window = TrendelHost_CreateWindow(300, 200);  // room for the legend
    ASSERT_EQ(GraphArguments().Load(window), TRENDEL_OK);
  }
  EXPECT_EQ(Trendel_Destroy(windows[0]), TRENDEL_OK);
  EXPECT_EQ(Trendel_DrawGraph(windows[0]), TRENDEL_NO_GRAPH);
  EXPECT_EQ(Trendel_DrawGraph(windows[1]), TRENDEL_OK);
  EXPECT_EQ(Trendel_DrawGraph(windows[2]), TRENDEL_OK);
  EXPECT_EQ(Pixels(windows[2])[0], 0x000000u);
  for (HWND window : windows) {
    Trendel_Destroy(window);
    TrendelHost_DestroyWindow(window);
  }
}

TEST_F(Bindings, HandlesThatNameNoWindowNeverCrash) {
  HWND gone = TrendelHost_CreateWindow(20, 20);
  ASSERT_EQ(GraphArguments().Load(gone), TRENDEL_OK);
  ASSERT_EQ(TrendelHost_DestroyWindow(gone), 0);
  EXPECT_EQ(Trendel_DrawGraph(gone), TRENDEL_NO_BINDING);
  EXPECT_EQ(Trendel_MouseMove(gone, 0, 5, 5), TRENDEL_OK);
  // Its device context went with it: no picture can be drawn to save.
  EXPECT_EQ(Trendel_SaveFile(gone, "", 10, 10), TRENDEL_SAVE_FAILED);
  EXPECT_EQ(Trendel_Destroy(gone), TRENDEL_OK);

  const auto madeUp = reinterpret_cast<HWND>(static_cast<std::uintptr_t>(0xDEADBEEF));
  EXPECT_EQ(GraphArguments().Load(madeUp), TRENDEL_OK);
  EXPECT_EQ(Trendel_DrawGraph(madeUp), TRENDEL_NO_BINDING);
  EXPECT_EQ(Trendel_MouseMove(madeUp, 0, 0, 0), TRENDEL_OK);
  EXPECT_EQ(Trendel_Destroy(madeUp), TRENDEL_OK);
  EXPECT_EQ(Trendel_Destroy(nullptr), TRENDEL_OK);
  ExpectNoLeaks();
}

TEST_F(Bindings, MouseCaptureFollowsThePointerAcrossTheWindowEdge) {
  // Capture is handled whether or not a graph is loaded.
  EXPECT_EQ(Trendel_MouseMove(window_, 0, 60, 40), TRENDEL_OK);
  EXPECT_EQ(TrendelHost_GetCapture(), window_);
  EXPECT_EQ(Trendel_MouseMove(window_, 0, 61, 10), TRENDEL_OK);
  EXPECT_EQ(TrendelHost_GetCapture(), nullptr);
  EXPECT_EQ(Trendel_MouseMove(window_, 0, 0, 0), TRENDEL_OK);
  EXPECT_EQ(TrendelHost_GetCapture(), window_);
  EXPECT_EQ(Trendel_MouseMove(window_, 0, 5, -1), TRENDEL_OK);
  EXPECT_EQ(TrendelHost_GetCapture(), nullptr);
}

}  // namespace
}  // namespace trendel
