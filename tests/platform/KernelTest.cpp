// Global memory and the storage it shares with bitmaps, files with their
// sharing rules, and the temporary path.
#include "platform/portable/Accounting.h"
#include "platform/portable/Blocks.h"
#include "platform/portable/RecycledStorage.h"
#include "platform/win32.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <random>
#include <string>
#include <utility>
#include <vector>
#include <unistd.h>

namespace trendel {
namespace {

std::string TemporaryName(const char *stem) {
  char directory[MAX_PATH];
  EXPECT_GT(GetTempPathA(sizeof directory, directory), 0u);
  return std::string(directory) + stem + std::to_string(getpid());
}

TEST(GlobalMemory, ZeroFilledLockableAndSized) {
  const int before = portable::CountLiveObjects().globalBlocks;
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, 10);
  ASSERT_NE(block, nullptr);
  EXPECT_EQ(GlobalSize(block), 10u);
  auto *bytes = static_cast<unsigned char *>(GlobalLock(block));
  ASSERT_NE(bytes, nullptr);
  for (int i = 0; i < 10; ++i) EXPECT_EQ(bytes[i], 0);
  EXPECT_FALSE(GlobalUnlock(block));  // lock count back at 0
  EXPECT_FALSE(GlobalUnlock(block));
  EXPECT_EQ(GlobalFree(block), nullptr);
  EXPECT_EQ(GlobalFree(block), block);
  EXPECT_EQ(GlobalSize(block), 0u);
  EXPECT_EQ(portable::CountLiveObjects().globalBlocks, before);
}

// Large blocks are kept when freed and handed out again, never while their
// owner still holds them.
TEST(Blocks, AFreedLargeBlockServesTheNextOneOfAboutItsSize) {
  using portable::BlockContents;
  portable::Block first = portable::NewBlock(100000, BlockContents::Undefined);
  portable::Block second = portable::NewBlock(100000, BlockContents::Undefined);
  EXPECT_NE(first.get(), second.get());
  const std::uint8_t *freed = first.get();
  first.reset();
  const portable::Block third = portable::NewBlock(90000, BlockContents::Zeros);
  if (portable::RECYCLE_STORAGE) {
    EXPECT_EQ(third.get(), freed);
  }
  EXPECT_EQ(std::vector<std::uint8_t>(third.get(), third.get() + 90000),
            std::vector<std::uint8_t>(90000, 0));
}

// Whatever a kept block's last owner left in it must not show through in a
// zero-initialised global block, a DIB section or a compatible bitmap; each
// of them here follows one of the same size that was filled with other bytes.
TEST(Blocks, ReusedStorageStartsAsNewStorageWould) {
  constexpr int SIDE = 200;  // 160,000 bytes at 32 bits: a block that is kept
  constexpr std::size_t BYTES = SIDE * SIDE * 4;
  const std::vector<std::uint8_t> zeros(BYTES, 0);
  HDC screen = GetDC(nullptr);
  BITMAPINFO info{};
  info.bmiHeader =
      BITMAPINFOHEADER{sizeof(BITMAPINFOHEADER), SIDE, SIDE, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  for (int round = 0; round < 3; ++round) {
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, BYTES);
    auto *bytes = static_cast<std::uint8_t *>(GlobalLock(block));
    EXPECT_EQ(std::vector<std::uint8_t>(bytes, bytes + BYTES), zeros) << "round " << round;
    std::memset(bytes, 0xAB, BYTES);
    GlobalUnlock(block);
    GlobalFree(block);

    void *bits = nullptr;
    HBITMAP section = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    ASSERT_NE(section, nullptr);
    const auto *sectionBytes = static_cast<std::uint8_t *>(bits);
    EXPECT_EQ(std::vector<std::uint8_t>(sectionBytes, sectionBytes + BYTES), zeros)
        << "round " << round;
    std::memset(bits, 0xCD, BYTES);
    DeleteObject(section);

    HBITMAP compatible = CreateCompatibleBitmap(screen, SIDE, SIDE);
    std::vector<std::uint8_t> pixels(BYTES, 0xEE);
    EXPECT_EQ(GetDIBits(screen, compatible, 0, SIDE, pixels.data(), &info, DIB_RGB_COLORS), SIDE);
    EXPECT_EQ(pixels, zeros) << "round " << round;
    DeleteObject(compatible);
  }
  ReleaseDC(nullptr, screen);
}

// A kept block of one size is let go rather than held beside a new block
// that it cannot serve, when holding both would pass the most ever in use.
TEST(Blocks, KeptBlocksOfAnotherSizeGoRatherThanPassTheMostEverInUse) {
  using portable::BlockContents;
  // Larger than anything this process used before, so that these blocks set
  // the most in use.
  const std::size_t large =
      std::max<std::size_t>(std::size_t{1} << 20, portable::CountLargeBlockBytes().mostInUse);
  portable::Block first = portable::NewBlock(large, BlockContents::Undefined);
  portable::Block second = portable::NewBlock(large, BlockContents::Undefined);
  const std::size_t mostInUse = portable::CountLargeBlockBytes().mostInUse;
  first.reset();
  second.reset();
  if (portable::RECYCLE_STORAGE) {
    EXPECT_EQ(portable::CountLargeBlockBytes().kept, 2 * large);
  }
  // Too small for either kept block to serve without wasting half of it.
  const portable::Block small = portable::NewBlock(large / 4, BlockContents::Undefined);
  const portable::LargeBlockBytes bytes = portable::CountLargeBlockBytes();
  EXPECT_EQ(bytes.mostInUse, mostInUse);
  EXPECT_LE(bytes.inUse + bytes.kept, mostInUse);
  if (portable::RECYCLE_STORAGE) {
    EXPECT_EQ(bytes.kept, large) << "one kept block goes, the other stays";
  }
}

// Seeded walk through allocations and frees of large blocks of several
// sizes: after every step the blocks in use and kept together hold no more
// than the most ever in use, and the count of bytes in use covers every live
// block.
TEST(Blocks, InUseAndKeptTogetherNeverPassTheMostEverInUse) {
  using portable::BlockContents;
  constexpr unsigned SEED = 20261209;
  constexpr int STEPS = 3000;
  constexpr std::size_t MOST_LIVE = 10;
  constexpr std::size_t SIZES[] = {70000, 100000, 240000, 1000000, 3000000};
  std::mt19937 random(SEED);
  std::vector<std::pair<portable::Block, std::size_t>> live;
  for (int step = 0; step < STEPS; ++step) {
    const bool allocate = live.empty() || (live.size() < MOST_LIVE && random() % 2 == 0);
    if (allocate) {
      // Sizes near each other, so that kept blocks serve some and not others.
      const std::size_t size = SIZES[random() % std::size(SIZES)] + random() % 50000;
      live.emplace_back(portable::NewBlock(size, BlockContents::Undefined), size);
    } else {
      live.erase(live.begin() + static_cast<std::ptrdiff_t>(random() % live.size()));
    }
    std::size_t liveBytes = 0;
    for (const auto &block : live) liveBytes += block.second;
    const portable::LargeBlockBytes bytes = portable::CountLargeBlockBytes();
    ASSERT_LE(bytes.inUse + bytes.kept, bytes.mostInUse) << "seed " << SEED << " step " << step;
    ASSERT_GE(bytes.inUse, liveBytes) << "seed " << SEED << " step " << step;
  }
}

TEST(Files, WriteReadAndSize) {
  const std::string path = TemporaryName("trendel-kernel-");
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  DWORD written = 0;
  EXPECT_TRUE(WriteFile(file, "hello", 5, &written, nullptr));
  EXPECT_EQ(written, 5u);
  EXPECT_TRUE(CloseHandle(file));
  EXPECT_FALSE(CloseHandle(file));

  file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                     OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetFileSize(file, nullptr), 5u);
  char buffer[8] = {};
  DWORD read = 0;
  EXPECT_TRUE(ReadFile(file, buffer, sizeof buffer, &read, nullptr));
  EXPECT_EQ(read, 5u);
  EXPECT_STREQ(buffer, "hello");
  CloseHandle(file);

  // CREATE_ALWAYS empties a file that has contents.
  file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                     nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetFileSize(file, nullptr), 0u);
  EXPECT_TRUE(WriteFile(file, "hi", 2, &written, nullptr));
  CloseHandle(file);
  file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                     FILE_ATTRIBUTE_NORMAL, nullptr);
  EXPECT_EQ(GetFileSize(file, nullptr), 2u);
  CloseHandle(file);
  EXPECT_TRUE(DeleteFileA(path.c_str()));
  EXPECT_FALSE(DeleteFileA(path.c_str()));
}

TEST(Files, ExclusiveWritersShutOutEveryoneElse) {
  const std::string path = TemporaryName("trendel-sharing-");
  HANDLE writer = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(writer, INVALID_HANDLE_VALUE);
  HANDLE reader = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  EXPECT_EQ(reader, INVALID_HANDLE_VALUE);
  CloseHandle(writer);
  reader = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                       OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(reader, INVALID_HANDLE_VALUE);
  // A reader that allows sharing does not stop a second reader.
  HANDLE second = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  EXPECT_NE(second, INVALID_HANDLE_VALUE);
  CloseHandle(second);
  CloseHandle(reader);
  DeleteFileA(path.c_str());
}

TEST(Files, CreateNewRefusesAnExistingFile) {
  const std::string path = TemporaryName("trendel-new-");
  HANDLE first = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(first, INVALID_HANDLE_VALUE);
  CloseHandle(first);
  EXPECT_EQ(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                        FILE_ATTRIBUTE_NORMAL, nullptr),
            INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_FILE_EXISTS);
  DeleteFileA(path.c_str());
  EXPECT_EQ(portable::CountLiveObjects().files, 0);
}

TEST(Files, BackslashesSeparateDirectories) {
  const std::string directory = TemporaryName("trendel-directory-");
  std::string windowsStyle = directory;
  EXPECT_TRUE(CreateDirectoryA(windowsStyle.c_str(), nullptr));
  EXPECT_FALSE(CreateDirectoryA(windowsStyle.c_str(), nullptr));
  EXPECT_EQ(GetLastError(), ERROR_ALREADY_EXISTS);
  const std::string file = directory + "\\inside.txt";
  HANDLE handle = CreateFileA(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(handle, INVALID_HANDLE_VALUE);
  CloseHandle(handle);
  EXPECT_EQ(access((directory + "/inside.txt").c_str(), F_OK), 0);
  EXPECT_TRUE(DeleteFileA(file.c_str()));
  rmdir(directory.c_str());
}

TEST(TempPath, EndsInASeparatorAndReportsTheSizeItNeeds) {
  char buffer[MAX_PATH];
  const DWORD length = GetTempPathA(sizeof buffer, buffer);
  ASSERT_GT(length, 0u);
  EXPECT_EQ(buffer[length - 1], '/');
  EXPECT_EQ(std::strlen(buffer), length);
  char tiny[1];
  EXPECT_EQ(GetTempPathA(sizeof tiny, tiny), length + 1);
}

}  // namespace
}  // namespace trendel
