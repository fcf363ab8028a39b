// A recursive lock built from the system's plain one and an owner: the thread
// that owns the lock only counts further entries, every other thread waits
// for the plain lock. On Windows the plain lock is a slim reader/writer lock,
// statically initialised, so it is ready before DllMain runs and needs no
// clean-up at unload; elsewhere a std::mutex, whose constructor is constexpr
// for the same reason.
//
// On Windows a thread waiting for the lock also answers the messages other
// threads send to its windows. The thread holding the lock may be sending
// one and waiting for the answer: emptying the clipboard tells the window
// that owned it before, and that window may belong to the waiting thread.
// Without the answer each thread would wait for the other for ever.
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
// Threads waiting in AcquirePlainLock, and the event each release sets while
// there are any, so that a waiter wakes for the lock as well as for a
// message.
std::atomic<int> waitingThreads{0};

HANDLE ReleaseEvent() {
  static const HANDLE event = CreateEventA(nullptr, FALSE, FALSE, nullptr);
  return event;
}

void AcquirePlainLock() {
  if (TryAcquireSRWLockExclusive(&plainLock)) return;
  const HANDLE released = ReleaseEvent();
  if (released == nullptr) {
    AcquireSRWLockExclusive(&plainLock);
    return;
  }
  // Counted before trying again: a release after the failed try then sets
  // the event, and one before it leaves the lock free for the try.
  ++waitingThreads;
  while (!TryAcquireSRWLockExclusive(&plainLock)) {
    MsgWaitForMultipleObjectsEx(1, &released, INFINITE, QS_SENDMESSAGE, 0);
    // Peeking delivers the messages sent to this thread and removes nothing.
    MSG message;
    PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
  }
  --waitingThreads;
}

void ReleasePlainLock() {
  ReleaseSRWLockExclusive(&plainLock);
  if (waitingThreads.load() > 0) SetEvent(ReleaseEvent());
}
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
