// The exports through which the host reaches the server.
#include <windows.h>
#include <objbase.h>

#include "com_object.h"
#include "com_server.h"

using namespace oddments;

namespace {

// What the host gets for a class or an interface this DLL does not serve.
const HRESULT kNoClassObject = static_cast<HRESULT>(0xFFFFFFFF);

// What an installer gets for any failed (un)registration; the cause is not
// reported, and what was written before it stays.
const HRESULT kRegistrationFailed = static_cast<HRESULT>(0xFFFFFFFE);

HRESULT Registration(void (TComServer::*operation)()) noexcept {
  if (!EnsureServerStarted()) return kRegistrationFailed;
  try {
    (ComServer().*operation)();
    return S_OK;
  } catch (...) {
    return kRegistrationFailed;
  }
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
