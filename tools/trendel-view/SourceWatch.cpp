#include "SourceWatch.h"

#include <sys/stat.h>

namespace trendel::view {

bool SourceWatch::Stamp::operator==(const Stamp &other) const {
  return exists == other.exists && device == other.device && inode == other.inode &&
         size == other.size && modifiedSeconds == other.modifiedSeconds &&
         modifiedNanoseconds == other.modifiedNanoseconds;
}

SourceWatch::SourceWatch(std::vector<std::string> watchedPaths) : paths(std::move(watchedPaths)) {
  Mark();
}

void SourceWatch::Mark() { marked = Look(); }

bool SourceWatch::Changed() {
  std::vector<Stamp> now = Look();
  const bool changed = now != marked;
  marked = std::move(now);
  return changed;
}

std::vector<SourceWatch::Stamp> SourceWatch::Look() const {
  std::vector<Stamp> stamps;
  for (const std::string &path : paths) {
    struct stat status{};
    Stamp stamp;
    if (stat(path.c_str(), &status) == 0) {
      stamp.exists = true;
      stamp.device = status.st_dev;
      stamp.inode = status.st_ino;
      stamp.size = status.st_size;
      stamp.modifiedSeconds = status.st_mtim.tv_sec;
      stamp.modifiedNanoseconds = status.st_mtim.tv_nsec;
    }
    stamps.push_back(stamp);
  }
  return stamps;
}

}  // namespace trendel::view
