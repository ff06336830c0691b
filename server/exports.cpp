// The exports through which the host reaches the server.
#include <windows.h>
#include <objbase.h>

#include <optional>

#include "com_object.h"
#include "com_server.h"
#include "registry.h"

using namespace oddments;

namespace {

// What the host gets for a class or an interface this DLL does not serve.
const HRESULT kNoClassObject = static_cast<HRESULT>(0xFFFFFFFF);

// What an installer gets for any failed (un)registration; the cause is not
// reported, and what was written before it stays.
const HRESULT kRegistrationFailed = static_cast<HRESULT>(0xFFFFFFFE);

HRESULT Registration(void (TComServer::*operation)(), bool perUser = false) noexcept {
  if (!EnsureServerStarted()) return kRegistrationFailed;
  try {
    std::optional<PerUserRegistryRoots> userRoots;
    if (perUser) userRoots.emplace();
    (ComServer().*operation)();
    return S_OK;
  } catch (...) {
    return kRegistrationFailed;
  }
}

bool IsCommandLine(PCWSTR commandLine, const wchar_t* word) noexcept {
  return CompareStringOrdinal(commandLine, -1, word, -1, TRUE) == CSTR_EQUAL;
}

}  // namespace

STDAPI DllGetClassObject(REFCLSID rclsid, REFIID riid, LPVOID* ppv) {
  if (!ppv) return E_POINTER;
  *ppv = nullptr;
  if (!EnsureServerStarted()) return E_OUTOFMEMORY;
  TComObjectFactory* factory = ComClassManager().GetFactoryFromClassID(rclsid);
  if (!factory || FAILED(factory->QueryInterface(riid, ppv))) return kNoClassObject;
  return S_OK;
}

STDAPI DllCanUnloadNow() {
  return TComServer::CanUnloadNow() ? S_OK : S_FALSE;
}

STDAPI DllRegisterServer() { return Registration(&TComServer::RegisterServer); }

STDAPI DllUnregisterServer() { return Registration(&TComServer::UnregisterServer); }

// regsvr32 /i:user (with /n, alone) registers for the current user only, under
// HKEY_CURRENT_USER, with no administrator's rights; "machine" or nothing
// registers as DllRegisterServer does. Any other word is refused before
// anything is written.
STDAPI DllInstall(BOOL bInstall, PCWSTR pszCmdLine) {
  const auto operation = bInstall ? &TComServer::RegisterServer : &TComServer::UnregisterServer;
  if (!pszCmdLine || !*pszCmdLine || IsCommandLine(pszCmdLine, L"machine")) return Registration(operation);
  if (IsCommandLine(pszCmdLine, L"user")) return Registration(operation, true);
  return E_INVALIDARG;
}
