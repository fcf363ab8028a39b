#include "FileReplacement.h"

#include <atomic>
#include <string>

#ifdef _WIN32
#include "CodePage.h"
#include "win32.h"
#else
#include "portable/HostPath.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#endif

namespace trendel {
namespace {

// Names taken by other saves, or left by a process that died mid-save, are
// skipped; this many in a row means something else is wrong.
constexpr int STAGING_NAME_ATTEMPTS = 100;

std::atomic<unsigned> stagingCounter{0};

// "~trendel-<process>-<n>.tmp": short, so that it fits wherever the
// destination's own name fits, and with an extension no image reader takes
// for a picture.
std::string StagingName(unsigned long process) {
  return "~trendel-" + std::to_string(process) + "-" + std::to_string(stagingCounter++) + ".tmp";
}

#ifdef _WIN32

using ProcessId = DWORD;
ProcessId CurrentProcess() { return GetCurrentProcessId(); }

// Names in the device namespace ("\\.\pipe\...", "\\.\COM1") are never
// opened to look: opening a pipe would take one of its instances.
bool InDeviceNamespace(const char *path) {
  return (path[0] == '\\' || path[0] == '/') && (path[1] == '\\' || path[1] == '/') &&
         path[2] == '.' && (path[3] == '\\' || path[3] == '/');
}

// An existing name that is not a file on a disk: NUL, CON, a serial port.
bool IsDevice(const char *path) {
  if (InDeviceNamespace(path)) return true;
  HANDLE file = CreateFileA(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                            nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  const bool device = GetFileType(file) != FILE_TYPE_DISK;
  CloseHandle(file);
  return device;
}

// Everything up to the last "\", "/" or drive colon, which stays with it;
// empty for a bare name. Double-byte characters are stepped over whole: a
// trail byte may look like "\".
std::string FolderOf(const std::string &path) {
  std::size_t folderLength = 0;
  for (std::size_t i = 0; i < path.size();
       i += static_cast<std::size_t>(CodePageCharacterBytes(path.c_str() + i))) {
    if (path[i] == '\\' || path[i] == '/' || path[i] == ':') folderLength = i + 1;
  }
  return path.substr(0, folderLength);
}

// False with the last error set when the name cannot be created.
bool CreateStaging(const std::string &path) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  CloseHandle(file);
  return true;
}

bool NameTaken() {
  const DWORD error = GetLastError();
  return error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS;
}

bool ReplaceWith(const std::string &staging, const std::string &target) {
  return MoveFileExA(staging.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING) != FALSE;
}

void RemoveStaging(const std::string &staging) { DeleteFileA(staging.c_str()); }

#else

using ProcessId = pid_t;
ProcessId CurrentProcess() { return getpid(); }

// The file a symbolic link leads to, so that the rename replaces that file
// and the link stays a link; any other path as it is.
std::string ResolvedTarget(const char *path) {
  struct stat status {};
  char resolved[PATH_MAX];
  if (lstat(path, &status) == 0 && S_ISLNK(status.st_mode) && realpath(path, resolved) != nullptr) {
    return resolved;
  }
  return path;
}

std::string FolderOf(const std::string &path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

// Creates the staging file with the permissions of the file it is to
// replace, if any, so that replacing a file keeps who may read it. False,
// with errno set, when the name cannot be created.
bool CreateStaging(const std::string &path, const struct stat *replaced) {
  const mode_t mode = replaced != nullptr ? replaced->st_mode & 07777 : 0666;
  const int descriptor = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
  if (descriptor < 0) return false;
  // The umask narrowed the mode above; the replaced file's is kept exactly.
  if (replaced != nullptr) fchmod(descriptor, mode);
  close(descriptor);
  return true;
}

bool NameTaken() { return errno == EEXIST; }

bool ReplaceWith(const std::string &staging, const std::string &target) {
  return std::rename(staging.c_str(), target.c_str()) == 0;
}

void RemoveStaging(const std::string &staging) { unlink(staging.c_str()); }

#endif

}  // namespace

#ifdef _WIN32

FileReplacement::FileReplacement(const char *destination) {
  if (destination == nullptr || destination[0] == '\0') return;
  target_ = destination;
  if (IsDevice(destination)) {
    mode_ = Mode::Direct;
    return;
  }
  const std::string folder = FolderOf(target_);
  for (int attempt = 0; attempt < STAGING_NAME_ATTEMPTS; ++attempt) {
    staging_ = folder + StagingName(CurrentProcess());
    if (CreateStaging(staging_)) {
      mode_ = Mode::Staged;
      return;
    }
    if (!NameTaken()) return;
  }
}

#else

// A file that exists and that this process may not write is refused, as
// writing it in place would be, rather than replaced behind its back.
FileReplacement::FileReplacement(const char *destination) {
  portable::HostPath hostPath;
  if (destination == nullptr || destination[0] == '\0' || !hostPath.Convert(destination)) return;
  target_ = ResolvedTarget(hostPath.text);
  struct stat status {};
  const bool exists = stat(target_.c_str(), &status) == 0;
  if (exists && !S_ISREG(status.st_mode)) {
    mode_ = Mode::Direct;
    return;
  }
  if (exists && access(target_.c_str(), W_OK) != 0) return;
  const std::string folder = FolderOf(target_);
  for (int attempt = 0; attempt < STAGING_NAME_ATTEMPTS; ++attempt) {
    staging_ = folder + StagingName(static_cast<unsigned long>(CurrentProcess()));
    if (CreateStaging(staging_, exists ? &status : nullptr)) {
      mode_ = Mode::Staged;
      return;
    }
    if (!NameTaken()) return;
  }
}

#endif

FileReplacement::~FileReplacement() {
  if (mode_ == Mode::Staged) RemoveStaging(staging_);
}

const char *FileReplacement::Path() const {
  switch (mode_) {
    case Mode::Direct:
      return target_.c_str();
    case Mode::Staged:
      return staging_.c_str();
    case Mode::Refused:
      break;
  }
  return nullptr;
}

bool FileReplacement::Commit() {
  if (mode_ == Mode::Direct) return true;
  if (mode_ != Mode::Staged || !ReplaceWith(staging_, target_)) return false;
  mode_ = Mode::Direct;
  return true;
}

}  // namespace trendel
