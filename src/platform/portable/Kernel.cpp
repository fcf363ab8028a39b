// The kernel calls: moveable global memory, files and directories, the
// temporary path and the last error.
//
// Files follow Windows' sharing rules between processes that use this layer:
// a file opened for writing without sharing holds an exclusive lock, a file
// opened for reading with sharing a shared one, and an open that would break
// a lock fails as a sharing violation. Paths accept "\" as well as "/".
#include "Handles.h"
#include "HostPath.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <new>
#include <string>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace trendel::portable;

namespace {

constexpr DWORD ERROR_FILE_NOT_FOUND = 2;
constexpr DWORD ERROR_PATH_NOT_FOUND = 3;
constexpr DWORD ERROR_ACCESS_DENIED = 5;
constexpr DWORD ERROR_INVALID_HANDLE = 6;
constexpr DWORD ERROR_NOT_ENOUGH_MEMORY = 8;
constexpr DWORD ERROR_SHARING_VIOLATION = 32;
constexpr DWORD ERROR_DISK_FULL = 112;
constexpr DWORD ERROR_INVALID_PARAMETER = 87;
constexpr DWORD ERROR_FILENAME_EXCED_RANGE = 206;

DWORD lastError = 0;

void SetLastErrorFromErrno(int error) {
  switch (error) {
    case ENOENT:
      lastError = ERROR_FILE_NOT_FOUND;
      break;
    case ENOTDIR:
      lastError = ERROR_PATH_NOT_FOUND;
      break;
    case EEXIST:
      lastError = ERROR_ALREADY_EXISTS;
      break;
    case EACCES:
    case EPERM:
    case EROFS:
      lastError = ERROR_ACCESS_DENIED;
      break;
    case EWOULDBLOCK:
      lastError = ERROR_SHARING_VIOLATION;
      break;
    case ENOSPC:
    case EFBIG:
      lastError = ERROR_DISK_FULL;
      break;
    case ENOMEM:
      lastError = ERROR_NOT_ENOUGH_MEMORY;
      break;
    default:
      lastError = ERROR_ACCESS_DENIED;
      break;
  }
}

// The path as the host reads it; false, with the last error set, when it is
// too long for the host.
bool ToHostPath(LPCSTR path, HostPath &hostPath) {
  if (hostPath.Convert(path)) return true;
  lastError = ERROR_FILENAME_EXCED_RANGE;
  return false;
}

GlobalMemory *FindGlobal(HGLOBAL memory) {
  return FindObject<GlobalMemory>(memory, ObjectKind::GlobalMemory);
}

File *FindFile(HANDLE file) { return FindObject<File>(file, ObjectKind::File); }

int OpenFlags(DWORD access, DWORD disposition) {
  int flags = O_CLOEXEC;
  if ((access & GENERIC_READ) && (access & GENERIC_WRITE)) {
    flags |= O_RDWR;
  } else if (access & GENERIC_WRITE) {
    flags |= O_WRONLY;
  } else {
    flags |= O_RDONLY;
  }
  if (disposition == CREATE_NEW) flags |= O_CREAT | O_EXCL;
  if (disposition == CREATE_ALWAYS) flags |= O_CREAT;
  return flags;
}

// Empties a file that CREATE_ALWAYS replaces. A file that is empty already
// is left alone: ext4 takes every truncation to zero as the sign of a file
// being replaced and writes the new data out at close, so each save's
// temporary BMP would go to disk, and deleting it would wait for the disk.
bool Truncate(int descriptor) {
  struct stat status{};
  if (fstat(descriptor, &status) != 0) return false;
  return status.st_size == 0 || ftruncate(descriptor, 0) == 0;
}

// Opens the descriptor and takes the lock its share mode implies; a file
// replaced by CREATE_ALWAYS is truncated only once the lock is held, so that
// a reader never sees it cut short by a writer it shuts out.
int OpenLocked(const HostPath &path, DWORD access, DWORD shareMode, DWORD disposition) {
  const int descriptor = open(path.text, OpenFlags(access, disposition), 0666);
  if (descriptor < 0) {
    SetLastErrorFromErrno(errno);
    if (disposition == CREATE_NEW && errno == EEXIST) lastError = ERROR_FILE_EXISTS;
    return -1;
  }
  const bool exclusive = (access & GENERIC_WRITE) != 0 && (shareMode & FILE_SHARE_WRITE) == 0;
  if (flock(descriptor, (exclusive ? LOCK_EX : LOCK_SH) | LOCK_NB) != 0 ||
      (disposition == CREATE_ALWAYS && !Truncate(descriptor))) {
    SetLastErrorFromErrno(errno);
    close(descriptor);
    return -1;
  }
  return descriptor;
}

}  // namespace

namespace trendel::portable {

File::~File() {
  if (descriptor >= 0) close(descriptor);
}

}  // namespace trendel::portable

DWORD GetLastError() { return lastError; }

HGLOBAL GlobalAlloc(UINT flags, SIZE_T bytes) {
  try {
    auto memory = std::make_unique<GlobalMemory>();
    // Even an empty block gets storage, so that a lock gives a real address.
    memory->bytes = NewBlock(bytes + 1, (flags & GMEM_ZEROINIT) ? BlockContents::Zeros
                                                                 : BlockContents::Undefined);
    memory->size = bytes;
    return static_cast<HGLOBAL>(HandleTable::Instance().Add(std::move(memory)));
  } catch (const std::bad_alloc &) {
    lastError = ERROR_NOT_ENOUGH_MEMORY;
    return nullptr;
  }
}

LPVOID GlobalLock(HGLOBAL memory) {
  GlobalMemory *block = FindGlobal(memory);
  if (block == nullptr) return nullptr;
  ++block->lockCount;
  return block->bytes.get();
}

BOOL GlobalUnlock(HGLOBAL memory) {
  GlobalMemory *block = FindGlobal(memory);
  if (block == nullptr || block->lockCount == 0) return FALSE;
  --block->lockCount;
  return block->lockCount > 0 ? TRUE : FALSE;
}

SIZE_T GlobalSize(HGLOBAL memory) {
  const GlobalMemory *block = FindGlobal(memory);
  return block != nullptr ? block->size : 0;
}

HGLOBAL GlobalFree(HGLOBAL memory) {
  if (FindGlobal(memory) == nullptr) return memory;
  HandleTable::Instance().Remove(memory);
  return nullptr;
}

DWORD GetTempPathA(DWORD size, LPSTR buffer) {
  const char *directory = std::getenv("TMPDIR");
  std::string path = directory != nullptr && directory[0] != '\0' ? directory : "/tmp";
  if (path.back() != '/') path += '/';
  const auto length = static_cast<DWORD>(path.size());
  // Like Windows: the length copied, or the size needed (terminator included).
  if (buffer == nullptr || size <= length) return length + 1;
  std::memcpy(buffer, path.c_str(), path.size() + 1);
  return length;
}

BOOL CreateDirectoryA(LPCSTR path, LPSECURITY_ATTRIBUTES) {
  if (path == nullptr || path[0] == '\0') {
    lastError = ERROR_PATH_NOT_FOUND;
    return FALSE;
  }
  HostPath hostPath;
  if (!ToHostPath(path, hostPath)) return FALSE;
  if (mkdir(hostPath.text, 0777) != 0) {
    SetLastErrorFromErrno(errno);
    return FALSE;
  }
  return TRUE;
}

BOOL DeleteFileA(LPCSTR path) {
  if (path == nullptr) {
    SetLastErrorFromErrno(ENOENT);
    return FALSE;
  }
  HostPath hostPath;
  if (!ToHostPath(path, hostPath)) return FALSE;
  if (unlink(hostPath.text) != 0) {
    SetLastErrorFromErrno(errno);
    return FALSE;
  }
  return TRUE;
}

HANDLE CreateFileA(LPCSTR path, DWORD access, DWORD shareMode, LPSECURITY_ATTRIBUTES,
                   DWORD disposition, DWORD, HANDLE) {
  if (path == nullptr ||
      (disposition != CREATE_NEW && disposition != CREATE_ALWAYS && disposition != OPEN_EXISTING)) {
    lastError = ERROR_INVALID_PARAMETER;
    return INVALID_HANDLE_VALUE;
  }
  HostPath hostPath;
  if (!ToHostPath(path, hostPath)) return INVALID_HANDLE_VALUE;
  // The handle comes first and the file second, so that running out of
  // memory cannot leave a file created with no handle to it.
  std::unique_ptr<File> record(new (std::nothrow) File);
  File *file = record.get();
  void *handle = HandleTable::Instance().Add(std::move(record));
  if (handle == nullptr) {
    lastError = ERROR_NOT_ENOUGH_MEMORY;
    return INVALID_HANDLE_VALUE;
  }
  file->descriptor = OpenLocked(hostPath, access, shareMode, disposition);
  if (file->descriptor < 0) {
    HandleTable::Instance().Remove(handle);
    return INVALID_HANDLE_VALUE;
  }
  return handle;
}

BOOL ReadFile(HANDLE file, LPVOID buffer, DWORD bytesToRead, LPDWORD bytesRead, LPOVERLAPPED) {
  const File *record = FindFile(file);
  if (bytesRead != nullptr) *bytesRead = 0;
  if (record == nullptr) {
    lastError = ERROR_INVALID_HANDLE;
    return FALSE;
  }
  DWORD total = 0;
  while (total < bytesToRead) {
    const ssize_t count = read(record->descriptor, static_cast<char *>(buffer) + total,
                               bytesToRead - total);
    if (count < 0 && errno == EINTR) continue;
    if (count < 0) {
      SetLastErrorFromErrno(errno);
      return FALSE;
    }
    if (count == 0) break;
    total += static_cast<DWORD>(count);
  }
  if (bytesRead != nullptr) *bytesRead = total;
  return TRUE;
}

BOOL WriteFile(HANDLE file, LPCVOID buffer, DWORD bytesToWrite, LPDWORD bytesWritten,
               LPOVERLAPPED) {
  const File *record = FindFile(file);
  if (bytesWritten != nullptr) *bytesWritten = 0;
  if (record == nullptr) {
    lastError = ERROR_INVALID_HANDLE;
    return FALSE;
  }
  DWORD total = 0;
  while (total < bytesToWrite) {
    const ssize_t count = write(record->descriptor, static_cast<const char *>(buffer) + total,
                                bytesToWrite - total);
    if (count < 0 && errno == EINTR) continue;
    if (count <= 0) {
      SetLastErrorFromErrno(count < 0 ? errno : ENOSPC);
      if (bytesWritten != nullptr) *bytesWritten = total;
      return FALSE;
    }
    total += static_cast<DWORD>(count);
  }
  if (bytesWritten != nullptr) *bytesWritten = total;
  return TRUE;
}

DWORD GetFileSize(HANDLE file, LPDWORD sizeHigh) {
  const File *record = FindFile(file);
  struct stat status{};
  if (record == nullptr || fstat(record->descriptor, &status) != 0) {
    lastError = ERROR_INVALID_HANDLE;
    return INVALID_FILE_SIZE;
  }
  const auto size = static_cast<unsigned long long>(status.st_size);
  if (sizeHigh != nullptr) *sizeHigh = static_cast<DWORD>(size >> 32);
  return static_cast<DWORD>(size & 0xFFFFFFFFu);
}

BOOL CloseHandle(HANDLE object) {
  if (FindFile(object) == nullptr) {
    lastError = ERROR_INVALID_HANDLE;
    return FALSE;
  }
  HandleTable::Instance().Remove(object);
  return TRUE;
}
