// ReplaceFileContents on POSIX: open(O_EXCL) for the temporary name, then
// rename(), which replaces the destination atomically within one file system
// (and the temporary name sits beside the destination for that reason).
#include "platform/ReplaceFile.h"

#include "HostPath.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <string>

namespace trendel {
namespace {

// Attempts at a free temporary name: another save in this process or in
// another one may hold the first ones.
constexpr int TEMPORARY_NAME_ATTEMPTS = 100;
// The new file's permissions before the umask, as for any file a program
// creates with fopen.
constexpr mode_t NEW_FILE_MODE = 0666;

bool WriteAll(int descriptor, const std::uint8_t *bytes, std::size_t count) {
  while (count > 0) {
    const ssize_t written = write(descriptor, bytes, count);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return false;
    bytes += written;
    count -= static_cast<std::size_t>(written);
  }
  return true;
}

// Writes into an existing device or pipe, which cannot be replaced.
bool WriteDirectly(const char *path, const std::uint8_t *bytes, std::size_t count) {
  const int descriptor = open(path, O_WRONLY | O_TRUNC | O_CLOEXEC);
  if (descriptor < 0) return false;
  const bool written = WriteAll(descriptor, bytes, count);
  return close(descriptor) == 0 && written;
}

// Creates a new, empty file beside `path` under a name no one else holds,
// ".NAME.PID-SERIAL.tmp": hidden, and telling whose it is. Its descriptor,
// or -1; `temporary` receives the name.
int CreateTemporaryBeside(const std::string &path, std::string &temporary) {
  static std::atomic<unsigned> serial{0};
  const std::size_t slash = path.find_last_of('/');
  const std::size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
  const std::string stem = path.substr(0, nameStart) + "." + path.substr(nameStart) + "." +
                           std::to_string(getpid()) + "-";
  for (int attempt = 0; attempt < TEMPORARY_NAME_ATTEMPTS; ++attempt) {
    temporary = stem + std::to_string(serial++) + ".tmp";
    const int descriptor =
        open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, NEW_FILE_MODE);
    if (descriptor >= 0 || errno != EEXIST) return descriptor;
  }
  return -1;
}

bool WriteAndRename(const std::string &path, const std::uint8_t *bytes, std::size_t count) {
  std::string temporary;
  const int descriptor = CreateTemporaryBeside(path, temporary);
  if (descriptor < 0) return false;
  const bool written = WriteAll(descriptor, bytes, count);
  if (close(descriptor) == 0 && written && std::rename(temporary.c_str(), path.c_str()) == 0) {
    return true;
  }
  unlink(temporary.c_str());
  return false;
}

}  // namespace

bool ReplaceFileContents(const char *path, const std::uint8_t *bytes, std::size_t count) {
  portable::HostPath hostPath;
  if (path == nullptr || path[0] == '\0' || !hostPath.Convert(path)) return false;
  struct stat status {};
  if (stat(hostPath.text, &status) == 0 && !S_ISREG(status.st_mode)) {
    return WriteDirectly(hostPath.text, bytes, count);
  }
  return WriteAndRename(hostPath.text, bytes, count);
}

}  // namespace trendel
