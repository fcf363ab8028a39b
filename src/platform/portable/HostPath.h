// Win32 paths as the host reads them.
#pragma once

#include <climits>
#include <cstddef>
#include <cstring>

namespace trendel::portable {

// A path with every "\" turned into "/", held in a buffer of the host's
// longest path, so that the file calls need no memory for it: DeleteFileA in
// particular runs in destructors, and when memory has run out.
struct HostPath {
  char text[PATH_MAX];

  // False for a path too long for the host.
  bool Convert(const char *path) {
    const std::size_t length = std::strlen(path);
    if (length >= sizeof text) return false;
    for (std::size_t i = 0; i <= length; ++i) text[i] = path[i] == '\\' ? '/' : path[i];
    return true;
  }
};

}  // namespace trendel::portable
