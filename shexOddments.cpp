// The DLL's entry point and the one place that fixes the start-up order of
// its modules: the COM frame, the server object, then the context-menu
// module with its factory.
#include <windows.h>

#include "server/com_server.h"
#include "shellext/shexOddments1.h"

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
  switch (reason) {
    case DLL_PROCESS_ATTACH:
      DisableThreadLibraryCalls(instance);
      oddments::SetServerStartup(instance, &oddments::StartContextMenuModule);
      break;
    case DLL_PROCESS_DETACH:
      // At process exit (reserved set) the memory goes with the process, and
      // other threads may have died holding it: touch nothing.
      if (!reserved) oddments::StopServer();
      break;
    default:
      break;
  }
  return TRUE;
}
