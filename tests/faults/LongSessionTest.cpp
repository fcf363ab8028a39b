// A long session in miniature: ten thousand cycles of drawing and saving on a
// small window, with one of four graphs loaded every hundred cycles and the
// mouse moving in and out of the plot. Afterwards every object the portable layer counts and,
// where no sanitizer owns the allocator, every heap byte is where it was
// after the first cycles; under the sanitizers LeakSanitizer counts what was
// lost when the process ends, and finding anything fails the test program.
#include "export/Decoders.h"
#include "platform/portable/Accounting.h"
#include "support/TestGraphs.h"
#include "trendel.h"

#include <gtest/gtest.h>

#include <malloc.h>
#include <sys/stat.h>
#include <cstdlib>
#include <string>

#if defined(__SANITIZE_ADDRESS__)
#define TRENDEL_ALLOCATOR_SANITIZED 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define TRENDEL_ALLOCATOR_SANITIZED 1
#endif
#endif

namespace trendel::testing {
namespace {

constexpr int CYCLES = 10000;
constexpr int CYCLES_PER_GRAPH = 100;
constexpr int GRAPHS = 4;
// Every graph once, so that the caches of glyphs and fonts hold all the
// cycles will ever need before the heap is weighed.
constexpr int WARM_UP_CYCLES = CYCLES_PER_GRAPH * GRAPHS;
constexpr int WIDTH = 64;
constexpr int HEIGHT = 48;
const char *const NAMES[] = {"cycle.bmp", "cycle.gif", "cycle.jpg", ""};
// A leak of even one byte a cycle grows the heap by thousands of bytes over
// the measured cycles. A few dozen bytes allocated once, at a moment that
// depends on the machine's load (the C runtime's own lazily made state, seen
// as 48 bytes in busy parallel runs), are not the library's.
constexpr std::size_t ONE_OFF_HEAP_BYTES = 256;

class LongSession : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::string temporary = ScratchDirectory() + "/tmp";
    mkdir(temporary.c_str(), 0777);
    setenv("TMPDIR", temporary.c_str(), 1);
    for (const char *name : NAMES) {
      paths_.push_back(*name == '\0' ? std::string() : ScratchDirectory() + "/" + name);
    }
    window_ = TrendelHost_CreateWindow(WIDTH, HEIGHT);
  }
  void TearDown() override {
    Trendel_Destroy(window_);
    TrendelHost_DestroyWindow(window_);
  }

  void Cycle(int cycle) {
    if (cycle % CYCLES_PER_GRAPH == 0) {
      const int variant = cycle / CYCLES_PER_GRAPH % GRAPHS;
      GraphArguments graph;
      graph.values = {10.0 + variant, 20, 30, 40, 50.0 - variant, 60};
      graph.showGrid = variant % 2;
      ASSERT_EQ(graph.Load(window_), TRENDEL_OK);
    }
    ASSERT_EQ(Trendel_MouseMove(window_, 0, cycle % 2 == 0 ? WIDTH / 2 : -1, HEIGHT / 2),
              TRENDEL_OK);
    ASSERT_EQ(Trendel_DrawGraph(window_), TRENDEL_OK);
    const std::string &path = paths_[static_cast<std::size_t>(cycle) % paths_.size()];
    ASSERT_EQ(Trendel_SaveFile(window_, path.c_str(), WIDTH, HEIGHT), TRENDEL_OK);
  }

  std::vector<std::string> paths_;
  HWND window_ = nullptr;
};

bool SameObjects(const portable::LiveObjectCounts &first,
                 const portable::LiveObjectCounts &second) {
  return first.gdiObjects == second.gdiObjects && first.deviceContexts == second.deviceContexts &&
         first.globalBlocks == second.globalBlocks && first.files == second.files &&
         first.windows == second.windows;
}

TEST_F(LongSession, TenThousandDrawAndSaveCyclesLeaveNothing) {
  int cycle = 0;
  for (; cycle < WARM_UP_CYCLES && !HasFatalFailure(); ++cycle) Cycle(cycle);
  const portable::LiveObjectCounts objects = portable::CountLiveObjects();
  const std::size_t heap = mallinfo2().uordblks;
  for (; cycle < CYCLES && !HasFatalFailure(); ++cycle) Cycle(cycle);
  EXPECT_TRUE(SameObjects(objects, portable::CountLiveObjects())) << "objects left behind";
#ifndef TRENDEL_ALLOCATOR_SANITIZED
  EXPECT_LE(mallinfo2().uordblks, heap + ONE_OFF_HEAP_BYTES) << "heap bytes left behind";
#else
  (void)heap;
#endif
}

}  // namespace
}  // namespace trendel::testing
