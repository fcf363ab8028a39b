// Starting and stopping the library on Windows: Windows Sockets 1.1 comes up
// when the DLL is loaded and goes down again when it is unloaded.
#pragma once

#include <winsock2.h>

#include "platform/win32.h"

namespace trendel {

// The system calls that loading and unloading make. They are passed in so
// that tests can stand in for a sockets layer that fails, which a real
// system will not do on demand.
struct LibraryLoadCalls {
  int(WINAPI *startSockets)(WORD version, LPWSADATA data);
  int(WINAPI *stopSockets)();
  int(WINAPI *showMessage)(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type);
};

const LibraryLoadCalls &SystemLibraryLoadCalls();

enum class LoadOutcome { Loaded, Refused };

// Starts Windows Sockets asking for version 1.1. A start-up error, or a
// granted version other than 1.1 (given back at once), refuses the load after
// telling the user in a message box.
LoadOutcome StartLibrary(const LibraryLoadCalls &calls);

// Shuts Windows Sockets down again, if StartLibrary started it.
void StopLibrary(const LibraryLoadCalls &calls);

// "Windows 通信端口初始化失败。": the text of the message box of a refused load.
extern const wchar_t SOCKETS_FAILURE_MESSAGE[];

}  // namespace trendel
