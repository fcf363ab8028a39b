#include "Streams.h"

#ifndef _WIN32
#include "portable/HostPath.h"

#include <cerrno>
#endif

namespace trendel {

std::FILE *OpenStream(const char *path, const char *mode) {
#ifdef _WIN32
  return std::fopen(path, mode);
#else
  portable::HostPath hostPath;
  if (!hostPath.Convert(path)) {
    errno = ENAMETOOLONG;
    return nullptr;
  }
  return std::fopen(hostPath.text, mode);
#endif
}

}  // namespace trendel
