#include "SaveFormats.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace trendel::view {
namespace {

bool NonEmptyFile(const std::string &path) {
  struct stat status{};
  return stat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode) && status.st_size > 0;
}

// The library answers TRENDEL_SAVE_FAILED when nothing was saved; the check
// on the disk also catches a name the library read as another format.
bool SaveThroughLibrary(HWND chart, const std::string &path, std::int32_t width,
                        std::int32_t height) {
  return Trendel_SaveFile(chart, path.c_str(), width, height) == TRENDEL_OK && NonEmptyFile(path);
}

bool SavePng(HWND chart, const std::string &path, std::int32_t width, std::int32_t height) {
  return TrendelHost_SavePng(chart, path.c_str(), width, height) == TRENDEL_OK &&
         NonEmptyFile(path);
}

// The first entry is the default.
constexpr SaveFormat SAVE_FORMATS[] = {
    {"png", ".png", SavePng},
    {"gif", ".gif", SaveThroughLibrary},
    {"jpeg", ".jpg", SaveThroughLibrary},
    {"bmp", ".bmp", SaveThroughLibrary},
};

// Moves the finished file to its name unless that name exists, in one step,
// so that neither another program's file nor our own earlier save is lost.
// A file system that cannot rename so (EINVAL) may still link a second name
// under the same condition. errno tells EEXIST from other failures.
bool MoveToFreeName(const std::string &from, const std::string &to) {
  if (renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return true;
  if (errno != EINVAL || link(from.c_str(), to.c_str()) != 0) return false;
  unlink(from.c_str());
  return true;
}

}  // namespace

const SaveFormat *FindSaveFormat(const std::string &name) {
  for (const SaveFormat &format : SAVE_FORMATS) {
    if (name == format.name) return &format;
  }
  return nullptr;
}

const SaveFormat &DefaultSaveFormat() { return SAVE_FORMATS[0]; }

std::string SaveFormatNames() {
  std::string names;
  for (const SaveFormat &format : SAVE_FORMATS) {
    names += (names.empty() ? "" : ", ") + std::string(format.name);
  }
  return names;
}

std::string SaveBeside(const std::string &input, const SaveFormat &format, HWND chart,
                       std::int32_t width, std::int32_t height) {
  const std::size_t slash = input.find_last_of('/');
  const std::string directory = slash == std::string::npos ? "" : input.substr(0, slash + 1);
  const std::string name = input.substr(directory.size());
  const std::size_t dot = name.find_last_of('.');
  // A name whose only dot leads it (".chart") is all stem.
  const std::string stem = dot == std::string::npos || dot == 0 ? name : name.substr(0, dot);

  // Written under a name of our own first, so that no half-written file ever
  // carries the final name.
  const std::string staging =
      directory + ".trendel-view-" + std::to_string(getpid()) + "-" + stem + format.extension;
  if (!format.save(chart, staging, width, height)) {
    std::remove(staging.c_str());
    return "";
  }
  constexpr int MOST_TRIES = 1000;
  for (int number = 1; number <= MOST_TRIES; ++number) {
    const std::string suffix = number == 1 ? "" : "-" + std::to_string(number);
    const std::string target = directory + stem + suffix + format.extension;
    if (MoveToFreeName(staging, target)) return target;
    if (errno != EEXIST) break;
  }
  std::remove(staging.c_str());
  return "";
}

}  // namespace trendel::view
