// Notices when the files a chart is read from change: their modification
// time, size or identity (editors often save by writing a new file and
// renaming it over the old one). Polled, so that it works on any file system.
#pragma once

#include <string>
#include <vector>

#include <sys/types.h>

namespace trendel::view {

class SourceWatch {
 public:
  explicit SourceWatch(std::vector<std::string> paths);

  // Records how the files are now; call it just before reading them, so that
  // a change made while they are being read shows at the next look.
  void Mark();

  // Whether any file differs from the last Mark (appeared, vanished, or was
  // written); marks them as they are now.
  bool Changed();

 private:
  struct Stamp {
    bool exists = false;
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    long long modifiedSeconds = 0;
    long modifiedNanoseconds = 0;

    bool operator==(const Stamp &other) const;
  };

  std::vector<Stamp> Look() const;

  std::vector<std::string> paths;
  std::vector<Stamp> marked;
};

}  // namespace trendel::view
