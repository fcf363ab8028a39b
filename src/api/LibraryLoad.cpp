#include "LibraryLoad.h"

namespace trendel {
namespace {

constexpr WORD SOCKETS_VERSION = MAKEWORD(1, 1);
constexpr wchar_t MESSAGE_CAPTION[] = L"Trendel";

// Whether this library holds a start of Windows Sockets. Other modules of the
// process may hold their own; only ours may be given back at unload, also
// when the system unloads a library whose start-up it refused.
enum class SocketsState { Stopped, Started };
SocketsState socketsState = SocketsState::Stopped;

}  // namespace

// Written with escapes so that the text survives any source or process code
// page; the message box that shows it takes wide characters.
const wchar_t SOCKETS_FAILURE_MESSAGE[] =
    L"Windows \u901A\u4FE1\u7AEF\u53E3\u521D\u59CB\u5316\u5931\u8D25\u3002";

const LibraryLoadCalls &SystemLibraryLoadCalls() {
  static const LibraryLoadCalls calls{WSAStartup, WSACleanup, MessageBoxW};
  return calls;
}

LoadOutcome StartLibrary(const LibraryLoadCalls &calls) {
  WSADATA granted{};
  if (calls.startSockets(SOCKETS_VERSION, &granted) == 0) {
    if (granted.wVersion == SOCKETS_VERSION) {
      socketsState = SocketsState::Started;
      return LoadOutcome::Loaded;
    }
    calls.stopSockets();
  }
  calls.showMessage(nullptr, SOCKETS_FAILURE_MESSAGE, MESSAGE_CAPTION, MB_OK | MB_ICONEXCLAMATION);
  return LoadOutcome::Refused;
}

void StopLibrary(const LibraryLoadCalls &calls) {
  if (socketsState != SocketsState::Started) return;
  calls.stopSockets();
  socketsState = SocketsState::Stopped;
}

}  // namespace trendel
