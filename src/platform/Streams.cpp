#include "Streams.h"

#ifdef _WIN32
#include <windows.h>

#include <io.h>
#else
#include "portable/HostPath.h"

#include <sys/stat.h>
#include <cerrno>
#endif

namespace trendel {
namespace {

// A file of the stream's own, as opposed to a device or a pipe.
bool IsPlainFile(std::FILE *file) {
#ifdef _WIN32
  const auto handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(file)));
  return GetFileType(handle) == FILE_TYPE_DISK;
#else
  struct stat status {};
  return fstat(fileno(file), &status) == 0 && S_ISREG(status.st_mode);
#endif
}

void RemoveFile(const char *path) {
#ifdef _WIN32
  std::remove(path);
#else
  portable::HostPath hostPath;
  if (hostPath.Convert(path)) std::remove(hostPath.text);
#endif
}

}  // namespace

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

bool FinishStream(std::FILE *file, const char *path) {
  const bool plainFile = IsPlainFile(file);
  const bool written = std::ferror(file) == 0;
  if (std::fclose(file) == 0 && written) return true;
  if (plainFile) RemoveFile(path);
  return false;
}

void DiscardStream(std::FILE *file, const char *path) {
  const bool plainFile = IsPlainFile(file);
  std::fclose(file);
  if (plainFile) RemoveFile(path);
}

}  // namespace trendel
