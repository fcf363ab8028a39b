// The large blocks of a save, as the portable layer counts them. A save
// holds the window's block and, at its busiest, two frames for BMP and JPEG
// (the off-screen bitmap and the temporary BMP's bytes, then the picture
// read back) and two and a half for GIF (the picture read back, the 32-bit
// and 8-bit DIB sections of the depth change and its 8-bit result), kept
// blocks included. A second save of the same size takes every picture-sized
// buffer from the blocks the first one kept: the heap sees none of them, so
// no fresh pages are faulted in.
#include "AllocationHook.h"
#include "export/Decoders.h"
#include "platform/portable/Accounting.h"
#include "platform/portable/RecycledStorage.h"
#include "support/TestGraphs.h"
#include "trendel.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <cstdlib>
#include <ostream>
#include <string>

namespace trendel::testing {
namespace {

// Large enough that a quarter frame, the 8-bit rows, is a block the
// portable layer keeps.
constexpr int WIDTH = 400;
constexpr int HEIGHT = 300;
constexpr std::size_t FRAME_BYTES = std::size_t{WIDTH} * HEIGHT * 4;
// Headers, colour tables and the extra byte of a global block.
constexpr std::size_t HEADER_BYTES = 4096;

struct SaveCase {
  const char *name;
  // Frames held at once beside the window's, in quarters.
  std::size_t quarterFrames;
};

void PrintTo(const SaveCase &saveCase, std::ostream *out) {
  *out << saveCase.name;
}

class SaveAllocations : public ::testing::TestWithParam<SaveCase> {
 protected:
  void SetUp() override {
    const std::string temporary = ScratchDirectory() + "/tmp";
    mkdir(temporary.c_str(), 0777);
    setenv("TMPDIR", temporary.c_str(), 1);
    window_ = TrendelHost_CreateWindow(WIDTH, HEIGHT);
    ASSERT_EQ(GraphArguments().Load(window_), TRENDEL_OK);
    ASSERT_EQ(Trendel_DrawGraph(window_), TRENDEL_OK);
  }
  void TearDown() override {
    Trendel_Destroy(window_);
    TrendelHost_DestroyWindow(window_);
  }

  // Saves once more; the most bytes held at once, in use and kept, beyond
  // those in use before.
  std::size_t HeldBySave() {
    const std::size_t before = portable::CountLargeBlockBytes().inUse;
    portable::ResetMostHeldLargeBlockBytes();
    const std::string path = ScratchDirectory() + "/" + GetParam().name;
    EXPECT_EQ(Trendel_SaveFile(window_, path.c_str(), WIDTH, HEIGHT), TRENDEL_OK);
    return portable::CountLargeBlockBytes().mostHeld - before;
  }

  HWND window_ = nullptr;
};

TEST_P(SaveAllocations, HoldsItsFramesAtMostAndTakesThemFromKeptBlocksTheSecondTime) {
  const std::size_t most = GetParam().quarterFrames * FRAME_BYTES / 4 + HEADER_BYTES;
  EXPECT_LE(HeldBySave(), most) << "first save";
  const std::size_t fromHeap = portable::CountLargeBlockBytes().blocksFromHeap;

  ArmAllocationHook(0);
  const std::size_t held = HeldBySave();
  DisarmAllocationHook();
  EXPECT_LE(held, most) << "second save";
  if (portable::RECYCLE_STORAGE) {
    EXPECT_EQ(portable::CountLargeBlockBytes().blocksFromHeap, fromHeap);
    EXPECT_LT(LargestAllocation(), FRAME_BYTES / 4);
  }
}

INSTANTIATE_TEST_SUITE_P(Formats, SaveAllocations,
                         ::testing::Values(SaveCase{"held.bmp", 8}, SaveCase{"held.jpg", 8},
                                           SaveCase{"held.gif", 10}),
                         [](const ::testing::TestParamInfo<SaveCase> &saveCase) {
                           return std::string(saveCase.param.name).substr(5);
                         });

}  // namespace
}  // namespace trendel::testing
