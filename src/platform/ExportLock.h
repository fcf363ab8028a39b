// The one lock that makes the library safe to call from any thread.
//
// Every export holds it for the whole of its call, so the library's state
// (the binding table, the tracking state, the point-marker switch and, on the
// portable build, everything behind the Win32 names: handles, fonts and
// FreeType, recycled storage, the clipboard) only ever changes under it. One
// lock for everything, rather than one per structure: a call touches most of
// that state anyway, and a single lock cannot be taken in two orders.
//
// The lock is recursive. An export may run host code on its own thread while
// it holds the lock (a message box's message loop painting a window, the
// portable build's message handler), and that code may call an export again.
#pragma once

namespace trendel {

// Holds the library's lock for as long as it lives; the calling thread waits
// while another thread holds it.
class ExportLock {
 public:
  ExportLock();
  ~ExportLock();
  ExportLock(const ExportLock &) = delete;
  ExportLock &operator=(const ExportLock &) = delete;
};

}  // namespace trendel
