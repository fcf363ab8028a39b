// Several processes saving GIF and JPEG files at the same time, into one
// folder and through one temporary directory, as several instances of a host
// would: for a few seconds each saves in a loop under names of its own. Then
// every file is there, each is byte for byte the file the same graph gives
// when saved alone (whose pictures an independent decoder checks), and no
// temporary file is left. And while one process saves one name over and
// over, another reading it always finds one whole file or the other.
#include "ChildProcess.h"
#include "export/Decoders.h"
#include "support/TestGraphs.h"
#include "trendel.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

namespace trendel::testing {
namespace {

constexpr int WIDTH = 120;
constexpr int HEIGHT = 80;
constexpr auto SAVING_TIME = std::chrono::seconds(3);
const char *const FORMATS[] = {".gif", ".jpg"};

class ConcurrentSaves : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ =
        ScratchDirectory() + "/" + ::testing::UnitTest::GetInstance()->current_test_info()->name();
    output_ = folder_ + "/saved";
    temporary_ = folder_ + "/tmp";
    counts_ = folder_ + "/counts";
    for (const std::string &folder : {folder_, output_, temporary_, counts_}) {
      mkdir(folder.c_str(), 0777);
    }
    setenv("TMPDIR", temporary_.c_str(), 1);
    window_ = TrendelHost_CreateWindow(WIDTH, HEIGHT);
    ASSERT_EQ(GraphArguments().Load(window_), TRENDEL_OK);
    ASSERT_EQ(Trendel_DrawGraph(window_), TRENDEL_OK);
    drawn_.width = WIDTH;
    drawn_.height = HEIGHT;
    drawn_.pixels.resize(static_cast<std::size_t>(WIDTH) * HEIGHT);
    ASSERT_EQ(TrendelHost_ReadPixels(window_, drawn_.pixels.data(), WIDTH, HEIGHT), 0);
    for (const char *format : FORMATS) {
      const std::string path = folder_ + "/reference" + format;
      ASSERT_EQ(Trendel_SaveFile(window_, path.c_str(), WIDTH, HEIGHT), TRENDEL_OK);
      references_.push_back(ReadBytes(path));
    }
  }
  void TearDown() override {
    Trendel_Destroy(window_);
    TrendelHost_DestroyWindow(window_);
  }

  std::string NameOf(int process, long save) const {
    return output_ + "/p" + std::to_string(process) + "-" + std::to_string(save) +
           FORMATS[save % 2];
  }

  // One process's loop: its count of saves goes to a file of its own.
  std::string SaveInLoop(int process) {
    const auto end = std::chrono::steady_clock::now() + SAVING_TIME;
    long saves = 0;
    std::string problems;
    for (; std::chrono::steady_clock::now() < end; ++saves) {
      if (Trendel_SaveFile(window_, NameOf(process, saves).c_str(), WIDTH, HEIGHT) != TRENDEL_OK) {
        problems += "a save did not answer 0; ";
      }
    }
    std::ofstream(counts_ + "/" + std::to_string(process)) << saves;
    return problems;
  }

  void SaveInProcesses(int processes) {
    std::vector<Child> children;
    for (int process = 0; process < processes; ++process) {
      children.push_back(StartChild(
          Privileges::Kept, [] {}, [this, process] { return SaveInLoop(process); }));
    }
    for (const Child &child : children) EXPECT_EQ(WaitForChild(child).problems, "");

    long total = 0;
    for (int process = 0; process < processes; ++process) {
      long saves = 0;
      std::ifstream(counts_ + "/" + std::to_string(process)) >> saves;
      EXPECT_GT(saves, 0) << "process " << process;
      total += saves;
      for (long save = 0; save < saves; ++save) {
        const std::string path = NameOf(process, save);
        EXPECT_EQ(ReadBytes(path), references_[static_cast<std::size_t>(save % 2)])
            << path << " is missing or differs";
      }
    }
    std::printf("%d processes saved %ld files\n", processes, total);
    EXPECT_EQ(ListDirectory(output_).size(), static_cast<std::size_t>(total));
    EXPECT_TRUE(ListDirectory(temporary_).empty()) << "a temporary file was left";
  }

  // The reference files the copies are compared with, checked themselves by
  // an independent decoder against the picture in the window.
  void CheckReferences() {
    Image decoded;
    ASSERT_TRUE(DecodeWithPillow(folder_ + "/reference.gif", decoded));
    EXPECT_EQ(decoded.pixels, drawn_.pixels);
    ASSERT_TRUE(DecodeWithPillow(folder_ + "/reference.jpg", decoded));
    EXPECT_EQ(decoded.width, WIDTH);
    EXPECT_EQ(decoded.height, HEIGHT);
  }

  std::string folder_;
  std::string output_;
  std::string temporary_;
  std::string counts_;
  HWND window_ = nullptr;
  Image drawn_;
  std::vector<std::vector<std::uint8_t>> references_;
};

// A child saves `path` in a loop, alternating two sizes, while this process
// reads it: every read must find the file of one size or of the other,
// whole. Returns what went wrong.
std::string ReadWhileAnotherProcessSaves(HWND window, const std::string &path) {
  constexpr auto READING_TIME = std::chrono::milliseconds(1500);
  std::vector<std::vector<std::uint8_t>> versions;
  for (const int width : {WIDTH, WIDTH / 2}) {
    if (Trendel_SaveFile(window, path.c_str(), width, HEIGHT) != TRENDEL_OK) return "no first save";
    versions.push_back(ReadBytes(path));
  }
  const Child saver = StartChild(
      Privileges::Kept, [] {},
      [&] {
        const auto end = std::chrono::steady_clock::now() + READING_TIME;
        for (int save = 0; std::chrono::steady_clock::now() < end; ++save) {
          const int width = save % 2 == 0 ? WIDTH : WIDTH / 2;
          if (Trendel_SaveFile(window, path.c_str(), width, HEIGHT) != TRENDEL_OK) {
            return std::string("a save failed; ");
          }
        }
        return std::string();
      });
  long reads = 0, missing = 0, partial = 0;
  const auto end = std::chrono::steady_clock::now() + READING_TIME;
  for (; std::chrono::steady_clock::now() < end; ++reads) {
    const std::vector<std::uint8_t> bytes = ReadBytes(path);
    if (bytes.empty()) {
      ++missing;
    } else if (bytes != versions[0] && bytes != versions[1]) {
      ++partial;
    }
  }
  std::string problems = WaitForChild(saver).problems;
  std::printf("%s: %ld reads, %ld found no file, %ld half a file\n", path.c_str(), reads, missing,
              partial);
  if (missing > 0 || partial > 0) problems += path + ": a reader found no file or half a file; ";
  return problems;
}

TEST_F(ConcurrentSaves, AReaderNeverSeesAMissingOrPartialFile) {
  for (const char *format : {".bmp", ".gif", ".jpg"}) {
    EXPECT_EQ(ReadWhileAnotherProcessSaves(window_, output_ + "/live" + format), "");
  }
  EXPECT_EQ(ListDirectory(output_).size(), 3u) << "a staging file was left";
  EXPECT_TRUE(ListDirectory(temporary_).empty()) << "a temporary file was left";
}

TEST_F(ConcurrentSaves, TwoProcessesLoseNoFile) {
  CheckReferences();
  SaveInProcesses(2);
}

TEST_F(ConcurrentSaves, EightProcessesLoseNoFile) {
  CheckReferences();
  SaveInProcesses(8);
}

}  // namespace
}  // namespace trendel::testing
