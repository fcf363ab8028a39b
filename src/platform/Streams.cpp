#include "Streams.h"

#ifndef _WIN32
#include <string>
#endif

namespace trendel {

std::FILE *OpenStream(const char *path, const char *mode) {
#ifdef _WIN32
  return std::fopen(path, mode);
#else
  std::string hostPath = path;
  for (char &c : hostPath) {
    if (c == '\\') c = '/';
  }
  return std::fopen(hostPath.c_str(), mode);
#endif
}

}  // namespace trendel
