// The DLL's entry point: the library starts when it is loaded and stops when
// it is unloaded. Bindings the host did not destroy are not released here;
// that is the host's duty through Trendel_Destroy.
#include "LibraryLoad.h"

using namespace trendel;

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID reserved) {
  switch (reason) {
    case DLL_PROCESS_ATTACH:
      return StartLibrary(SystemLibraryLoadCalls()) == LoadOutcome::Loaded ? TRUE : FALSE;
    case DLL_PROCESS_DETACH:
      // At process exit (reserved is not null) the sockets end with the
      // process, and the DLLs they live in may already be gone.
      if (reserved == nullptr) StopLibrary(SystemLibraryLoadCalls());
      return TRUE;
    default:
      return TRUE;
  }
}
