// Running out of memory at any point of a call: each allocation a drawing
// pass, a tracked mouse move, a graph load or a save makes is failed in
// turn, and every time the call must end cleanly. That means an allowed
// result code, no object of the portable layer and no heap byte left behind,
// the window either untouched or drawn, a saved file either absent or whole,
// no temporary file, and a library that works exactly as before on the next
// call. Heap bytes are weighed where the hook owns malloc; under the
// sanitizers LeakSanitizer weighs them when each test's process ends (a
// check half way would take fontconfig's encoded pointers for leaks).
#include "AllocationHook.h"
#include "SavedFile.h"
#include "export/Decoders.h"
#include "platform/portable/Accounting.h"
#include "platform/win32.h"
#include "render/Tracking.h"
#include "support/TestGraphs.h"
#include "trendel.h"

#include <gtest/gtest.h>

#include <malloc.h>
#include <sys/stat.h>
#include <cstdlib>
#include <string>
#include <vector>

namespace trendel::testing {
namespace {

constexpr int WIDTH = 240;
constexpr int HEIGHT = 180;
// A point over the plot, where a mouse move draws the tracking overlay.
constexpr int PLOT_X = 125;
constexpr int PLOT_Y = 80;
constexpr int HEAP_REPEATS = 2;

bool SameObjects(const portable::LiveObjectCounts &first,
                 const portable::LiveObjectCounts &second) {
  return first.gdiObjects == second.gdiObjects && first.deviceContexts == second.deviceContexts &&
         first.globalBlocks == second.globalBlocks && first.files == second.files &&
         first.windows == second.windows;
}

// Bytes the C library's allocator has handed out and not had back; only
// meaningful where the hook sees malloc (no sanitizer owns it).
std::size_t HeapInUse() {
  return mallinfo2().uordblks;
}

std::vector<std::uint32_t> PixelsOf(HWND window) {
  std::vector<std::uint32_t> pixels(static_cast<std::size_t>(WIDTH) * HEIGHT);
  TrendelHost_ReadPixels(window, pixels.data(), WIDTH, HEIGHT);
  return pixels;
}

bool AllWhite(const std::vector<std::uint32_t> &pixels) {
  for (std::uint32_t pixel : pixels) {
    if (pixel != 0xFFFFFF) return false;
  }
  return true;
}

// A graph's arguments with their pointer arrays made in advance, so that
// loading it allocates nothing outside the library.
class PreparedGraph {
 public:
  explicit PreparedGraph(GraphArguments graph) : graph_(std::move(graph)) {
    for (const std::string &name : graph_.seriesNames) series_.push_back(name.c_str());
    for (const std::string &name : graph_.categoryNames) categories_.push_back(name.c_str());
  }
  std::int32_t Load(HWND window) const {
    return Trendel_SetValues(
        window, graph_.kind.c_str(), graph_.title.c_str(), graph_.labelAngle,
        graph_.categoryAxisTitle.c_str(), graph_.valueAxisTitle.c_str(),
        graph_.legendTitle.c_str(), series_.data(), static_cast<std::int32_t>(series_.size()),
        graph_.seriesColors.data(), static_cast<std::int32_t>(graph_.seriesColors.size()),
        graph_.sortCategories, graph_.rangeMin, graph_.rangeMax, graph_.showGrid,
        graph_.scaleMode.c_str(), graph_.step, graph_.stepCount, graph_.pointMarkers,
        categories_.data(), static_cast<std::int32_t>(categories_.size()), graph_.values.data(),
        graph_.rowCount, graph_.columnCount);
  }

 private:
  GraphArguments graph_;
  std::vector<const char *> series_;
  std::vector<const char *> categories_;
};

// Two graphs that draw differently, with every part a pass can draw: a
// title, rotated labels, a grid, point markers, a legend title, a gap.
GraphArguments FirstGraph() {
  GraphArguments graph;
  graph.legendTitle = "Regions";
  graph.labelAngle = 30;
  graph.showGrid = 1;
  graph.values = {10, 20, TRENDEL_MISSING_VALUE, 40, 50, 60};
  return graph;
}

GraphArguments SecondGraph() {
  GraphArguments graph;
  graph.title = "Another";
  graph.seriesNames = {"Only"};
  graph.values = {5, 1, 3};
  graph.rowCount = 1;
  return graph;
}

class AllocationFailure : public ::testing::Test {
 protected:
  void SetUp() override {
    temporary_ = ScratchDirectory() + "/tmp";
    output_ = ScratchDirectory() + "/out";
    mkdir(temporary_.c_str(), 0777);
    mkdir(output_.c_str(), 0777);
    ASSERT_TRUE(ListDirectory(temporary_).empty());
    setenv("TMPDIR", temporary_.c_str(), 1);
    window_ = TrendelHost_CreateWindow(WIDTH, HEIGHT);
    ASSERT_EQ(FirstGraph().Load(window_), TRENDEL_OK);
    // Fonts, glyphs and the C library's time zone are loaded once for the
    // process; a first pass of everything loads them before counting starts.
    Trendel_MouseMove(window_, 0, 1, 1);
    ASSERT_EQ(Trendel_DrawGraph(window_), TRENDEL_OK);
    for (const char *name : {"warm.bmp", "warm.gif", "warm.jpg"}) {
      Trendel_SaveFile(window_, (output_ + "/" + name).c_str(), WIDTH, HEIGHT);
    }
    Trendel_MouseMove(window_, 0, PLOT_X, PLOT_Y);
    Trendel_MouseMove(window_, 0, 1, 1);
    RemoveOutput();
  }
  void TearDown() override {
    Trendel_Destroy(window_);
    TrendelHost_DestroyWindow(window_);
  }

  // Runs the call once to count its allocations, then again for each of
  // them with that one failing. `prepare` runs before every call, `check`
  // after it with the result; both run with the hook disarmed, and whatever
  // `prepare` took has to be given back by the end of `check`.
  template <typename Prepare, typename Call, typename Check>
  void FailEachAllocation(Prepare prepare, Call call, Check check) {
    prepare();
    ArmAllocationHook(0);
    call();
    const std::int64_t count = DisarmAllocationHook();
    ASSERT_GT(count, 0);
    std::printf("%lld allocations\n", static_cast<long long>(count));
    std::int64_t injected = 0;
    for (std::int64_t failing = 1; failing <= count && !HasFailure(); ++failing) {
      SCOPED_TRACE("allocation " + std::to_string(failing) + " of " + std::to_string(count));
      prepare();
      const portable::LiveObjectCounts objects = portable::CountLiveObjects();
      ArmAllocationHook(failing);
      const std::int32_t result = call();
      DisarmAllocationHook();
      injected += AllocationFailureInjected() ? 1 : 0;
      ExpectOnlyAKeptReadBack();
      // The check makes a normal call of its own, which must not leave
      // anything behind either.
      check(result);
      EXPECT_TRUE(SameObjects(objects, portable::CountLiveObjects())) << "objects left behind";
      if (AllocationHookSeesMalloc()) ExpectNoHeapGrowth(failing, prepare, call, check);
    }
    EXPECT_EQ(injected, count) << "calls that met their failing allocation";
  }

  // A leak takes its bytes again on every run, while containers, caches and
  // the allocator's own lists may grow once when a failure first takes a
  // path: the same failure is run once more, then the heap is weighed around
  // further runs. Each run's kept read-back goes too: left, it would hold
  // the next run's temporary name, shift that run's allocations by the
  // suffix's, and be counted against the next failure.
  template <typename Prepare, typename Call, typename Check>
  void ExpectNoHeapGrowth(std::int64_t failing, Prepare prepare, Call call, Check check) {
    const auto run = [&] {
      prepare();
      ArmAllocationHook(failing);
      const std::int32_t result = call();
      DisarmAllocationHook();
      ExpectOnlyAKeptReadBack();
      check(result);
    };
    run();
    const std::size_t heap = HeapInUse();
    for (int repeat = 0; repeat < HEAP_REPEATS; ++repeat) run();
    EXPECT_EQ(HeapInUse(), heap) << "heap bytes left behind";
  }

  // No temporary file survives a call, but the one BMP a save keeps when
  // reading it back failed; that one is whole. It is removed here.
  void ExpectOnlyAKeptReadBack() {
    const std::vector<std::string> left = ListDirectory(temporary_);
    EXPECT_LE(left.size(), 1u) << "temporary files were left";
    for (const std::string &name : left) {
      const std::string path = temporary_ + "/" + name;
      const fuzzing::SavedFile kept = fuzzing::InspectSavedFile(ReadBytes(path));
      EXPECT_TRUE(kept.format == fuzzing::SavedFormat::Bmp && kept.whole) << "a temporary " << name;
      std::remove(path.c_str());
      ++keptReadBacks_;
    }
  }

  void RemoveOutput() {
    for (const std::string &name : ListDirectory(output_)) {
      std::remove((output_ + "/" + name).c_str());
    }
  }

  // Saving under each allocation's failure gives 0 and a whole file, or
  // TRENDEL_SAVE_FAILED and no file; the next save is byte for byte the save
  // before.
  void CheckSaves(const std::string &name) {
    const std::string path = output_ + "/" + name;
    // A save switches the tracking overlay off for its pass only.
    Trendel_MouseMove(window_, 0, PLOT_X, PLOT_Y);
    const std::int32_t trackingMode = SetTrackingMode(QUERY_TRACKING_MODE);
    ASSERT_NE(trackingMode, TRACKING_OFF);
    ASSERT_EQ(Trendel_SaveFile(window_, path.c_str(), WIDTH, HEIGHT), TRENDEL_OK);
    const std::vector<std::uint8_t> reference = ReadBytes(path);
    FailEachAllocation(
        [&] { RemoveOutput(); },
        [&] { return Trendel_SaveFile(window_, path.c_str(), WIDTH, HEIGHT); },
        [&](std::int32_t result) {
          EXPECT_EQ(result, FileExists(path) ? TRENDEL_OK : TRENDEL_SAVE_FAILED);
          EXPECT_EQ(SetTrackingMode(QUERY_TRACKING_MODE), trackingMode);
          for (const std::string &left : ListDirectory(output_)) {
            EXPECT_EQ(output_ + "/" + left, path) << "a staging file was left";
          }
          if (FileExists(path)) {
            const fuzzing::SavedFile saved = fuzzing::InspectSavedFile(ReadBytes(path));
            EXPECT_TRUE(saved.whole) << "a half-written file";
            EXPECT_EQ(saved.width, WIDTH);
            EXPECT_EQ(saved.height, HEIGHT);
          }
          RemoveOutput();
          ASSERT_EQ(Trendel_SaveFile(window_, path.c_str(), WIDTH, HEIGHT), TRENDEL_OK);
          EXPECT_EQ(ReadBytes(path), reference) << "the next save differs";
        });
  }

  std::string temporary_;
  std::string output_;
  int keptReadBacks_ = 0;
  HWND window_ = nullptr;
};

TEST_F(AllocationFailure, DrawingLeavesTheWindowUntouchedOrDrawn) {
  const std::vector<std::uint32_t> reference = PixelsOf(window_);
  FailEachAllocation([&] { TrendelHost_ResizeWindow(window_, WIDTH, HEIGHT); },
                     [&] { return Trendel_DrawGraph(window_); },
                     [&](std::int32_t result) {
                       EXPECT_TRUE(result == TRENDEL_OK || result == TRENDEL_NO_BINDING) << result;
                       if (result != TRENDEL_OK) {
                         EXPECT_TRUE(AllWhite(PixelsOf(window_))) << "half a graph";
                       }
                       ASSERT_EQ(Trendel_DrawGraph(window_), TRENDEL_OK);
                       EXPECT_EQ(PixelsOf(window_), reference) << "the next pass differs";
                     });
}

TEST_F(AllocationFailure, TrackedMouseMovesKeepTheTrackingState) {
  Trendel_MouseMove(window_, 0, PLOT_X, PLOT_Y);
  ASSERT_NE(SetTrackingMode(QUERY_TRACKING_MODE), TRACKING_OFF);
  const std::vector<std::uint32_t> tracked = PixelsOf(window_);
  FailEachAllocation([&] { Trendel_MouseMove(window_, 0, 1, 1); },
                     [&] { return Trendel_MouseMove(window_, 0, PLOT_X, PLOT_Y); },
                     [&](std::int32_t result) {
                       EXPECT_EQ(result, TRENDEL_OK);
                       Trendel_MouseMove(window_, 0, PLOT_X, PLOT_Y);
                       EXPECT_EQ(PixelsOf(window_), tracked) << "the next move differs";
                     });
}

TEST_F(AllocationFailure, AFailedLoadKeepsThePreviousGraph) {
  const PreparedGraph firstGraph(FirstGraph());
  const PreparedGraph secondGraph(SecondGraph());
  const std::vector<std::uint32_t> first = PixelsOf(window_);
  ASSERT_EQ(secondGraph.Load(window_), TRENDEL_OK);
  ASSERT_EQ(Trendel_DrawGraph(window_), TRENDEL_OK);
  const std::vector<std::uint32_t> second = PixelsOf(window_);
  FailEachAllocation([&] { ASSERT_EQ(firstGraph.Load(window_), TRENDEL_OK); },
                     [&] { return secondGraph.Load(window_); },
                     [&](std::int32_t result) {
                       EXPECT_TRUE(result == TRENDEL_OK || result == TRENDEL_NO_BINDING) << result;
                       ASSERT_EQ(Trendel_DrawGraph(window_), TRENDEL_OK);
                       EXPECT_EQ(PixelsOf(window_), result == TRENDEL_OK ? second : first);
                     });
}

// The first call for a window binds it; a binding that could not be made
// whole must not stand in the way of the next call.
TEST_F(AllocationFailure, BindingAWindowFailsWholly) {
  const PreparedGraph graph(FirstGraph());
  const std::vector<std::uint32_t> drawn = PixelsOf(window_);
  FailEachAllocation([&] { Trendel_Destroy(window_); }, [&] { return graph.Load(window_); },
                     [&](std::int32_t result) {
                       EXPECT_TRUE(result == TRENDEL_OK || result == TRENDEL_NO_BINDING) << result;
                       ASSERT_EQ(graph.Load(window_), TRENDEL_OK);
                       ASSERT_EQ(Trendel_DrawGraph(window_), TRENDEL_OK);
                       EXPECT_EQ(PixelsOf(window_), drawn);
                       Trendel_Destroy(window_);
                     });
  ASSERT_EQ(graph.Load(window_), TRENDEL_OK);
}

TEST_F(AllocationFailure, BmpSavesAreWholeOrAbsent) {
  CheckSaves("chart.bmp");
}
TEST_F(AllocationFailure, GifSavesAreWholeOrAbsent) {
  CheckSaves("chart.gif");
  EXPECT_GT(keptReadBacks_, 0) << "a failed read-back keeps its temporary BMP";
}
TEST_F(AllocationFailure, JpegSavesAreWholeOrAbsent) {
  CheckSaves("chart.jpg");
  EXPECT_GT(keptReadBacks_, 0) << "a failed read-back keeps its temporary BMP";
}

void EmptyTheClipboard() {
  if (OpenClipboard(nullptr)) {
    EmptyClipboard();
    CloseClipboard();
  }
}

TEST_F(AllocationFailure, ClipboardSavesLeaveOneWholeBitmapOrNone) {
  EmptyTheClipboard();
  FailEachAllocation(
      EmptyTheClipboard, [&] { return Trendel_SaveFile(window_, "", WIDTH, HEIGHT); },
      [&](std::int32_t result) {
        std::int32_t width = 0, height = 0;
        const bool taken = TrendelHost_GetClipboardSize(&width, &height) == 0;
        EXPECT_EQ(result, taken ? TRENDEL_OK : TRENDEL_SAVE_FAILED);
        if (taken) {
          EXPECT_EQ(width, WIDTH);
          EXPECT_EQ(height, HEIGHT);
        }
        EmptyTheClipboard();
      });
}

}  // namespace
}  // namespace trendel::testing
