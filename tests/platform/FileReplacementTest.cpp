// Files replaced in one step: the destination shows the old file until the
// new one is complete, a failed or interrupted write leaves the old file and
// no staging file, and what cannot be replaced (a device, a pipe) is written
// directly.
#include "platform/FileReplacement.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <new>
#include <string>
#include <vector>

namespace trendel {
namespace {

namespace fs = std::filesystem;

std::string ReadText(const std::string &path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

bool WriteText(const std::string &path, const std::string &text) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << text;
  return static_cast<bool>(out);
}

std::vector<std::string> Names(const std::string &folder) {
  std::vector<std::string> names;
  for (const fs::directory_entry &entry : fs::directory_iterator(folder)) {
    names.push_back(entry.path().filename().string());
  }
  return names;
}

class FileReplacementTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/trendel-replace-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    folder_ = pattern;
    destination_ = folder_ + "/chart.gif";
  }
  void TearDown() override { fs::remove_all(folder_); }

  std::string folder_;
  std::string destination_;
};

TEST_F(FileReplacementTest, TheNewFileAppearsWholeAndOnlyWhenComplete) {
  ASSERT_TRUE(WriteText(destination_, "old"));
  const bool replaced = WriteReplacing(destination_.c_str(), [&](const char *path) {
    EXPECT_NE(path, destination_);
    EXPECT_EQ(fs::path(path).parent_path(), fs::path(folder_));
    EXPECT_TRUE(WriteText(path, "new"));
    // Readers still see the old file while the new one is being written.
    EXPECT_EQ(ReadText(destination_), "old");
    return true;
  });
  EXPECT_TRUE(replaced);
  EXPECT_EQ(ReadText(destination_), "new");
  EXPECT_EQ(Names(folder_), std::vector<std::string>{"chart.gif"});
}

// A writer that fails, and one that runs out of memory half way.
TEST_F(FileReplacementTest, FailuresKeepTheOldFileAndLeaveNoStagingFile) {
  ASSERT_TRUE(WriteText(destination_, "old"));
  EXPECT_FALSE(WriteReplacing(destination_.c_str(), [](const char *path) {
    WriteText(path, "half");
    return false;
  }));
  EXPECT_THROW(WriteReplacing(destination_.c_str(),
                              [](const char *path) -> bool {
                                WriteText(path, "half");
                                throw std::bad_alloc();
                              }),
               std::bad_alloc);
  EXPECT_EQ(ReadText(destination_), "old");
  EXPECT_EQ(Names(folder_), std::vector<std::string>{"chart.gif"});

  const std::string fresh = folder_ + "/fresh.bmp";
  EXPECT_FALSE(WriteReplacing(fresh.c_str(), [](const char *) { return false; }));
  EXPECT_EQ(Names(folder_), std::vector<std::string>{"chart.gif"});
}

TEST_F(FileReplacementTest, WhatCannotBeReplacedIsWrittenDirectly) {
  const std::string pipe = folder_ + "/pipe";
  ASSERT_EQ(mkfifo(pipe.c_str(), 0666), 0);
  for (const std::string &device : {std::string("/dev/null"), pipe}) {
    const FileReplacement replacement(device.c_str());
    ASSERT_NE(replacement.Path(), nullptr) << device;
    EXPECT_EQ(replacement.Path(), device);
  }
  EXPECT_EQ(Names(folder_), std::vector<std::string>{"pipe"});
}

TEST_F(FileReplacementTest, ALinkStaysALinkToTheReplacedFile) {
  const std::string target = folder_ + "/target.jpg";
  const std::string link = folder_ + "/link.jpg";
  ASSERT_TRUE(WriteText(target, "old"));
  ASSERT_EQ(symlink(target.c_str(), link.c_str()), 0);
  EXPECT_TRUE(WriteReplacing(link.c_str(), [](const char *path) { return WriteText(path, "new"); }));
  EXPECT_TRUE(fs::is_symlink(link));
  EXPECT_EQ(ReadText(target), "new");
}

TEST_F(FileReplacementTest, TheReplacedFileKeepsItsPermissions) {
  ASSERT_TRUE(WriteText(destination_, "old"));
  ASSERT_EQ(chmod(destination_.c_str(), 0604), 0);
  EXPECT_TRUE(WriteReplacing(destination_.c_str(), [](const char *path) { return WriteText(path, "new"); }));
  struct stat status {};
  ASSERT_EQ(stat(destination_.c_str(), &status), 0);
  EXPECT_EQ(status.st_mode & 07777, 0604u);
}

TEST_F(FileReplacementTest, BackslashesSeparateAndMissingFoldersRefuse) {
  const std::string windowsStyle = folder_ + "\\chart.bmp";
  EXPECT_TRUE(
      WriteReplacing(windowsStyle.c_str(), [](const char *path) { return WriteText(path, "new"); }));
  EXPECT_EQ(ReadText(folder_ + "/chart.bmp"), "new");

  const std::string missing = folder_ + "/no/such/folder/chart.bmp";
  EXPECT_EQ(FileReplacement(missing.c_str()).Path(), nullptr);
  const std::string underAFile = folder_ + "/chart.bmp/chart.bmp";
  EXPECT_EQ(FileReplacement(underAFile.c_str()).Path(), nullptr);
  EXPECT_EQ(FileReplacement("").Path(), nullptr);
}

}  // namespace
}  // namespace trendel
