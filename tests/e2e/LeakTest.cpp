// A host's long session in miniature: a thousand rounds of every export,
// after which the process must hold exactly the drawing objects and handles
// it held before. A leak of one object per call shows as a thousand.
#include "CheckedExports.h"
#include "TestWindow.h"
#include "support/TestGraphs.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>

namespace trendel::testing {
namespace {

constexpr int CYCLES = 1000;
constexpr char OUTPUT_FOLDER[] = "e2e-output/leaks";

// One round: a new graph (its values move with the round, so that every
// pass draws something new), a drawing pass, a tracked mouse move, and a
// save in every format and to the clipboard.
void Cycle(HWND window, int round) {
  GraphArguments graph;
  graph.values = {10.0 + round % 7, 20, 30, 40, 50.0 - round % 11, 60};
  graph.showGrid = round % 2;
  ASSERT_EQ(checked::SetValues(window, graph), TRENDEL_OK);
  ASSERT_EQ(checked::DrawGraph(window), TRENDEL_OK);
  ASSERT_EQ(checked::MouseMove(window, 0, 150 + round % 50, 80), TRENDEL_OK);
  for (const char *name : {"cycle.bmp", "cycle.gif", "cycle.jpg", ""}) {
    const std::string path = *name == '\0' ? "" : std::string(OUTPUT_FOLDER) + "\\" + name;
    ASSERT_EQ(checked::SaveFile(window, path.c_str(), 240, 160), TRENDEL_OK);
  }
}

TEST(Leaks, AThousandRoundsOfEveryExportLeaveTheCountsAlone) {
  std::filesystem::create_directories(OUTPUT_FOLDER);
  TestWindow window(300, 200);
  ASSERT_NE(window.Handle(), nullptr);
  std::printf("counting %s\n", DescribeResourceCounts().c_str());
  // The first round binds the window and leaves a bitmap on the clipboard;
  // both stay until the end.
  Cycle(window.Handle(), 0);
  const ResourceCounts before = CountResources();
  for (int round = 1; round <= CYCLES && !HasFatalFailure(); ++round) {
    Cycle(window.Handle(), round);
  }
  const ResourceCounts after = CountResources();
  EXPECT_EQ(after.gdiObjects, before.gdiObjects);
  EXPECT_EQ(after.handles, before.handles);
  checked::Destroy(window.Handle());
}

}  // namespace
}  // namespace trendel::testing
