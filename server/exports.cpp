// The exports through which the host reaches the server.
#include <windows.h>
#include <objbase.h>

#include "com_object.h"
#include "com_server.h"

using namespace oddments;

namespace {

// What the host gets for a class or an interface this DLL does not serve.
const HRESULT kNoClassObject = static_cast<HRESULT>(0xFFFFFFFF);

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
