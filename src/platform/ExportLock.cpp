// A recursive lock built from the system's plain one and an owner: the thread
// that owns the lock only counts further entries, every other thread waits
// for the plain lock. On Windows the plain lock is a slim reader/writer lock,
// statically initialised, so it is ready before DllMain runs and needs no
// clean-up at unload; elsewhere a std::mutex, whose constructor is constexpr
// for the same reason.
#include "ExportLock.h"

#include <atomic>

#ifdef _WIN32
#include "win32.h"
#else
#include <mutex>
#include <thread>
#endif

namespace trendel {
namespace {

#ifdef _WIN32
using ThreadId = DWORD;
ThreadId CurrentThread() { return GetCurrentThreadId(); }
// Windows never gives a thread the identifier 0.
constexpr ThreadId NO_THREAD = 0;

SRWLOCK plainLock = SRWLOCK_INIT;
void AcquirePlainLock() { AcquireSRWLockExclusive(&plainLock); }
void ReleasePlainLock() { ReleaseSRWLockExclusive(&plainLock); }
#else
using ThreadId = std::thread::id;
ThreadId CurrentThread() { return std::this_thread::get_id(); }
const ThreadId NO_THREAD{};

std::mutex plainLock;
void AcquirePlainLock() { plainLock.lock(); }
void ReleasePlainLock() { plainLock.unlock(); }
#endif

// Read by every thread, written only by the thread that holds the plain lock:
// a thread can find its own identifier here only if it put it there itself.
std::atomic<ThreadId> owner{NO_THREAD};
// Entries of the owning thread; touched only while holding the plain lock.
int depth = 0;

}  // namespace

ExportLock::ExportLock() {
  const ThreadId self = CurrentThread();
  if (owner.load(std::memory_order_relaxed) != self) {
    AcquirePlainLock();
    owner.store(self, std::memory_order_relaxed);
  }
  ++depth;
}

ExportLock::~ExportLock() {
  if (--depth > 0) return;
  owner.store(NO_THREAD, std::memory_order_relaxed);
  ReleasePlainLock();
}

}  // namespace trendel
