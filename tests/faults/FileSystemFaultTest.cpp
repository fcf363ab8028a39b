// Saves the file system refuses: a read-only folder or file, a full disk, a
// name too long for it, and a temporary directory that is missing or
// read-only. Every save that writes nothing says so with
// TRENDEL_SAVE_FAILED, and leaves no file half-written, no temporary or
// staging file and no object of the portable layer behind.
//
// Root ignores permissions, so the permission cases run in a child process
// that becomes the user nobody. A full disk is a child's file size limit, a
// small file system the child mounts, or a name that leads to /dev/full.
#include "ChildProcess.h"
#include "SavedFile.h"
#include "export/Decoders.h"
#include "platform/portable/Accounting.h"
#include "support/TestGraphs.h"
#include "trendel.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <iterator>
#include <string>
#include <vector>

namespace trendel::testing {
namespace {

namespace fs = std::filesystem;

constexpr int WIDTH = 240;
constexpr int HEIGHT = 180;
// Well below the 172,854 bytes of the picture as a BMP file.
constexpr rlim_t FILE_SIZE_LIMIT = 64 * 1024;
// Room for one page of 4 KiB, less than a picture of the large size takes in
// any format (the GIF, the smallest, takes about 7 KiB).
constexpr char SMALL_FILE_SYSTEM[] = "size=4k";
constexpr int LARGE_WIDTH = 800;
constexpr int LARGE_HEIGHT = 600;
const char *const FORMATS[] = {".bmp", ".gif", ".jpg"};
const char *const THROUGH_TEMPORARY_FILE[] = {".gif", ".jpg"};

// Empty when the two counts agree.
std::string CompareObjects(const portable::LiveObjectCounts &before,
                           const portable::LiveObjectCounts &after) {
  if (before.gdiObjects == after.gdiObjects && before.deviceContexts == after.deviceContexts &&
      before.globalBlocks == after.globalBlocks && before.files == after.files) {
    return {};
  }
  return "objects of the portable layer were left behind; ";
}

class FileSystemFault : public ::testing::Test {
 protected:
  // A root every user can pass through, since the permission cases run as
  // nobody.
  void SetUp() override {
    char pattern[] = "/tmp/trendel-faults-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    root_ = pattern;
    chmod(root_.c_str(), 0755);
    output_ = MakeFolder("out", 0777);
    temporary_ = MakeFolder("tmp", 0777);
    setenv("TMPDIR", temporary_.c_str(), 1);
    window_ = TrendelHost_CreateWindow(WIDTH, HEIGHT);
    ASSERT_EQ(GraphArguments().Load(window_), TRENDEL_OK);
    // Fonts are loaded once per process: here, before any child is made.
    ASSERT_EQ(Trendel_DrawGraph(window_), TRENDEL_OK);
  }
  void TearDown() override {
    Trendel_Destroy(window_);
    TrendelHost_DestroyWindow(window_);
    std::error_code ignored;
    fs::permissions(root_, fs::perms::all, ignored);
    for (const fs::directory_entry &entry : fs::recursive_directory_iterator(root_, ignored)) {
      if (entry.is_directory(ignored)) fs::permissions(entry.path(), fs::perms::all, ignored);
    }
    fs::remove_all(root_, ignored);
  }

  std::string MakeFolder(const std::string &name, mode_t mode) {
    const std::string path = root_ + "/" + name;
    mkdir(path.c_str(), 0777);
    chmod(path.c_str(), mode);
    return path;
  }

  // Saves under `path` and returns what is wrong: a result other than 0 for
  // an `expected` file or other than TRENDEL_SAVE_FAILED for none, a
  // temporary file left, objects left; and a file under `path` unless one
  // is `expected`, whole and of the right size.
  std::string SaveAndCheck(const std::string &path, bool expected, int width = WIDTH,
                           int height = HEIGHT) {
    const portable::LiveObjectCounts before = portable::CountLiveObjects();
    std::string problems;
    const std::int32_t result = Trendel_SaveFile(window_, path.c_str(), width, height);
    if (result != (expected ? TRENDEL_OK : TRENDEL_SAVE_FAILED)) {
      problems += path + ": the save answered " + std::to_string(result) + "; ";
    }
    problems += CompareObjects(before, portable::CountLiveObjects());
    const std::string temporaryDirectory = std::getenv("TMPDIR");
    if (!ListDirectory(temporaryDirectory).empty()) {
      problems += path + ": a temporary file was left; ";
    }
    struct stat status {};
    const bool regularFile = lstat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode);
    if (!expected && regularFile) problems += path + ": a file was written; ";
    if (expected) {
      const fuzzing::SavedFile saved = fuzzing::InspectSavedFile(ReadBytes(path));
      if (!saved.whole || saved.width != width || saved.height != height) {
        problems += path + ": no whole picture; ";
      }
    }
    return problems;
  }

  std::string root_;
  std::string output_;
  std::string temporary_;
  HWND window_ = nullptr;
};

void ExpectClean(const ChildOutcome &outcome) {
  if (outcome.skipped) GTEST_SKIP() << outcome.problems;
  EXPECT_EQ(outcome.problems, "");
}

// Whether this process can still write into a folder it should not.
// Mounts a tmpfs of `size` (mount options, "size=4k") over `folder`, in a
// mount namespace of the calling process's own, so that the mount ends with
// the child that made it. Needs root; false with errno set otherwise.
bool MountSmallFileSystem(const std::string &folder, const char *size) {
  return unshare(CLONE_NEWNS) == 0 &&
         mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0 &&
         mount("tmpfs", folder.c_str(), "tmpfs", 0, size) == 0;
}

bool CanWriteInto(const std::string &folder) {
  const std::string probe = folder + "/probe";
  const int descriptor = open(probe.c_str(), O_WRONLY | O_CREAT, 0666);
  if (descriptor < 0) return false;
  close(descriptor);
  unlink(probe.c_str());
  return true;
}

TEST_F(FileSystemFault, ReadOnlyFoldersAndFilesGetNothing) {
  const std::string readOnly = MakeFolder("read-only", 0555);
  // Files the user may not write, with other pictures in them.
  std::vector<std::string> kept;
  for (const char *format : FORMATS) {
    kept.push_back(output_ + "/kept" + format);
    ASSERT_EQ(Trendel_SaveFile(window_, kept.back().c_str(), 20, 10), TRENDEL_OK);
    chmod(kept.back().c_str(), 0444);
  }
  ExpectClean(RunInChild(
      Privileges::Dropped, [] {},
      [&] {
        if (CanWriteInto(readOnly)) return SkipBecause("permissions are not enforced here");
        std::string problems;
        for (const char *format : FORMATS) {
          problems += SaveAndCheck(readOnly + "/chart" + format, false);
          problems += SaveAndCheck(readOnly + "/new/folder/chart" + format, false);
        }
        for (const std::string &path : kept) {
          const std::vector<std::uint8_t> before = ReadBytes(path);
          if (Trendel_SaveFile(window_, path.c_str(), WIDTH, HEIGHT) != TRENDEL_SAVE_FAILED) {
            problems += path + ": the save did not fail; ";
          }
          if (ReadBytes(path) != before) problems += path + " was changed; ";
        }
        return problems;
      }));
  EXPECT_TRUE(ListDirectory(readOnly).empty());
}

TEST_F(FileSystemFault, ReadOnlyTemporaryDirectoryStopsOnlyGifAndJpeg) {
  const std::string readOnly = MakeFolder("read-only-tmp", 0555);
  ExpectClean(RunInChild(
      Privileges::Dropped, [&] { setenv("TMPDIR", readOnly.c_str(), 1); },
      [&] {
        if (CanWriteInto(readOnly)) return SkipBecause("permissions are not enforced here");
        std::string problems = SaveAndCheck(output_ + "/chart.bmp", true);
        for (const char *format : THROUGH_TEMPORARY_FILE) {
          problems += SaveAndCheck(output_ + "/chart" + format, false);
        }
        return problems;
      }));
}

TEST_F(FileSystemFault, MissingTemporaryDirectoryStopsOnlyGifAndJpeg) {
  const std::string missing = root_ + "/no/such/folder";
  ExpectClean(RunInChild(
      Privileges::Kept, [&] { setenv("TMPDIR", missing.c_str(), 1); },
      [&] {
        std::string problems = SaveAndCheck(output_ + "/chart.bmp", true);
        for (const char *format : THROUGH_TEMPORARY_FILE) {
          problems += SaveAndCheck(output_ + "/chart" + format, false);
        }
        if (fs::exists(root_ + "/no")) problems += "the temporary directory was made; ";
        return problems;
      }));
}

// A file size limit cuts every file short, the temporary BMP included.
TEST_F(FileSystemFault, FullDiskLeavesNoFile) {
  ExpectClean(RunInChild(
      Privileges::Kept,
      [] {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{FILE_SIZE_LIMIT, FILE_SIZE_LIMIT};
        setrlimit(RLIMIT_FSIZE, &limit);
      },
      [&] {
        std::string problems;
        for (const char *format : FORMATS) {
          problems += SaveAndCheck(output_ + "/chart" + format, false);
        }
        return problems;
      }));
}

// A file system too small for any of the pictures, while the temporary
// directory has room: each writer meets the full disk itself. The child
// mounts it in a mount namespace of its own, which needs root.
TEST_F(FileSystemFault, FullFileSystemLeavesNoFile) {
  const std::string small = MakeFolder("small", 0777);
  ExpectClean(RunInChild(
      Privileges::Kept, [] {},
      [&] {
        if (!MountSmallFileSystem(small, SMALL_FILE_SYSTEM)) {
          return SkipBecause(std::string("cannot mount a small file system: ") +
                             std::strerror(errno));
        }
        std::string problems;
        for (const char *format : FORMATS) {
          problems += SaveAndCheck(small + "/chart" + format, false, LARGE_WIDTH, LARGE_HEIGHT);
        }
        if (!ListDirectory(small).empty()) problems += "the small file system is not empty; ";
        return problems;
      }));
}

// Saves one small picture of each format into `folder` and returns what
// each file holds.
std::vector<std::vector<std::uint8_t>> SaveSmallPictures(HWND window, const std::string &folder) {
  std::vector<std::vector<std::uint8_t>> pictures;
  for (const char *format : FORMATS) {
    const std::string path = folder + "/kept" + format;
    if (Trendel_SaveFile(window, path.c_str(), 20, 10) != TRENDEL_OK) return {};
    pictures.push_back(ReadBytes(path));
  }
  return pictures;
}

// Saves the large picture over each small one, which must fail and leave
// every small file as it was and nothing else in the folder.
std::string SaveOverAndCheck(HWND window, const std::string &folder,
                             const std::vector<std::vector<std::uint8_t>> &pictures) {
  if (pictures.size() != std::size(FORMATS)) return "the small pictures were not saved; ";
  std::string problems;
  for (std::size_t i = 0; i < std::size(FORMATS); ++i) {
    const std::string path = folder + "/kept" + FORMATS[i];
    const std::int32_t result = Trendel_SaveFile(window, path.c_str(), LARGE_WIDTH, LARGE_HEIGHT);
    if (result != TRENDEL_SAVE_FAILED) problems += path + ": answered " + std::to_string(result) + "; ";
    if (ReadBytes(path) != pictures[i]) problems += path + ": the previous file was changed; ";
  }
  if (ListDirectory(folder).size() != std::size(FORMATS)) problems += "a staging file was left; ";
  return problems;
}

// A file size limit cuts the BMP short, and the temporary BMP of the GIF
// and JPEG saves.
TEST_F(FileSystemFault, SavesCutShortByAFileSizeLimitKeepThePreviousFile) {
  const std::vector<std::vector<std::uint8_t>> pictures = SaveSmallPictures(window_, output_);
  ExpectClean(RunInChild(
      Privileges::Kept,
      [] {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{FILE_SIZE_LIMIT, FILE_SIZE_LIMIT};
        setrlimit(RLIMIT_FSIZE, &limit);
      },
      [&] { return SaveOverAndCheck(window_, output_, pictures); }));
}

// A file system with room for the small pictures and one page more: each
// writer, the GIF and JPEG ones included, meets the full disk itself.
TEST_F(FileSystemFault, SavesCutShortByAFullFileSystemKeepThePreviousFile) {
  const std::string small = MakeFolder("small", 0777);
  ExpectClean(RunInChild(
      Privileges::Kept, [] {},
      [&] {
        if (!MountSmallFileSystem(small, "size=16k")) {
          return SkipBecause(std::string("cannot mount a small file system: ") +
                             std::strerror(errno));
        }
        return SaveOverAndCheck(window_, small, SaveSmallPictures(window_, small));
      }));
}

// A name that leads to a device, /dev/full through a link, takes the GIF
// and JPEG writers' output and refuses it when the stream first writes: the
// writers fail half way, and close the device without ever removing it.
TEST_F(FileSystemFault, WritersMeetingAFullDeviceCloseItAndRemoveNothing) {
  if (access("/dev/full", W_OK) != 0) GTEST_SKIP() << "no /dev/full to write to";
  for (const char *format : THROUGH_TEMPORARY_FILE) {
    const std::string path = output_ + "/full" + format;
    ASSERT_EQ(symlink("/dev/full", path.c_str()), 0);
    EXPECT_EQ(SaveAndCheck(path, false), "");
    struct stat status {};
    ASSERT_EQ(stat(path.c_str(), &status), 0) << path << " no longer leads to the device";
    EXPECT_TRUE(S_ISCHR(status.st_mode)) << path << " no longer leads to the device";
  }
}

TEST_F(FileSystemFault, NamesTooLongForTheFileSystemGetNothing) {
  const std::string longName(300, 'n');
  std::string deepPath = output_;
  while (deepPath.size() < 5000) deepPath += "/deep";
  for (const char *format : FORMATS) {
    EXPECT_EQ(SaveAndCheck(output_ + "/" + longName + format, false), "");
    EXPECT_EQ(SaveAndCheck(deepPath + "/chart" + format, false), "");
  }
}

}  // namespace
}  // namespace trendel::testing
