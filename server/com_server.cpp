#include "com_server.h"

#include <algorithm>
#include <memory>
#include <utility>

#include "com_object.h"
#include "failure.h"
#include "frame_text.h"
#include "win_text.h"

namespace oddments {

namespace {

TComServer* g_comServer = nullptr;
TComClassManager* g_classManager = nullptr;

HMODULE g_module = nullptr;
ModuleStartup g_startExtension = nullptr;
INIT_ONCE g_startOnce = INIT_ONCE_STATIC_INIT;

// The full path of a module, however long.
std::string ModuleFileName(HMODULE module) {
  std::string path(MAX_PATH, '\0');
  for (;;) {
    const DWORD length = GetModuleFileNameA(module, path.data(), static_cast<DWORD>(path.size()));
    if (length < path.size()) {
      path.resize(length);
      return path;
    }
    path.resize(path.size() * 2);
  }
}

std::string TypeLibName(ITypeLib* typeLib) {
  BSTR name = nullptr;
  if (FAILED(typeLib->GetDocumentation(-1, &name, nullptr, nullptr, nullptr)) || !name) return {};
  std::unique_ptr<OLECHAR, decltype(&SysFreeString)> owner(name, &SysFreeString);
  return WideToAnsi(std::wstring_view(name, SysStringLen(name)));
}

void RegisterServerFactory(TComObjectFactory& factory) { factory.UpdateRegistry(true); }
void UnregisterServerFactory(TComObjectFactory& factory) { factory.UpdateRegistry(false); }

void CheckTypeLibCall(HRESULT result, const char* what) {
  if (FAILED(result)) throw EOleSysError(std::string(what) + " failed", result);
}

void DestroyAll() noexcept {
  // The reverse of the start-up: the extension's module has no stop step.
  delete std::exchange(g_comServer, nullptr);
  delete g_classManager;  // factories find the manager while it destroys them
  g_classManager = nullptr;
}

BOOL CALLBACK StartOnce(INIT_ONCE*, void*, void**) noexcept {
  try {
    g_comServer = new TComServer(g_module);
    if (g_startExtension) g_startExtension();
    return TRUE;
  } catch (...) {
    DestroyAll();
    return FALSE;
  }
}

}  // namespace

TComServer::TComServer(HMODULE module) : FServerFileName(ModuleFileName(module)) {
  if (FAILED(LoadTypeLib(AnsiToWide(FServerFileName).c_str(), &FTypeLib))) FTypeLib = nullptr;
  FServerName = FTypeLib ? TypeLibName(FTypeLib) : ServerNameFromPath(FServerFileName);
}

TComServer::~TComServer() {
  if (FTypeLib) FTypeLib->Release();
}

void TComServer::RegisterServer() {
  if (FTypeLib) {
    CheckTypeLibCall(RegisterTypeLib(FTypeLib, AnsiToWide(FServerFileName).data(), nullptr), "RegisterTypeLib");
  }
  ComClassManager().ForEachFactory(*this, &RegisterServerFactory);
}

void TComServer::UnregisterServer() {
  if (FTypeLib) {
    TLIBATTR* attributes = nullptr;
    CheckTypeLibCall(FTypeLib->GetLibAttr(&attributes), "ITypeLib::GetLibAttr");
    const TLIBATTR copy = *attributes;
    FTypeLib->ReleaseTLibAttr(attributes);
    CheckTypeLibCall(UnRegisterTypeLib(copy.guid, copy.wMajorVerNum, copy.wMinorVerNum, copy.lcid, copy.syskind),
                     "UnRegisterTypeLib");
  }
  ComClassManager().ForEachFactory(*this, &UnregisterServerFactory);
}

LONG TComServer::CountObject(bool created) noexcept {
  return created ? InterlockedIncrement(&FObjectCount) : InterlockedDecrement(&FObjectCount);
}

LONG TComServer::CountFactory(bool created) noexcept {
  return created ? InterlockedIncrement(&FFactoryCount) : InterlockedDecrement(&FFactoryCount);
}

const std::string& TComServer::GetServerKey() const noexcept {
  static const std::string key = "InprocServer32";
  return key;
}

TComClassManager::~TComClassManager() {
  // Each factory's destructor takes it off the list.
  while (!FFactories.empty()) delete FFactories.back();
}

void TComClassManager::AddObjectFactory(TComObjectFactory* factory) { FFactories.push_back(factory); }

void TComClassManager::RemoveObjectFactory(TComObjectFactory* factory) noexcept {
  const auto found = std::find(FFactories.begin(), FFactories.end(), factory);
  if (found != FFactories.end()) FFactories.erase(found);
}

void TComClassManager::ForEachFactory(const TComServerObject& server,
                                      void (*procedure)(TComObjectFactory& factory)) {
  const std::size_t count = FFactories.size();
  for (std::size_t i = 0; i < count && i < FFactories.size(); ++i) {
    if (&FFactories[i]->Server() == &server) procedure(*FFactories[i]);
  }
}

TComObjectFactory* TComClassManager::GetFactoryFromClassID(REFCLSID classID) const noexcept {
  for (TComObjectFactory* factory : FFactories) {
    if (IsEqualGUID(factory->ClassID(), classID)) return factory;
  }
  return nullptr;
}

TComServer& ComServer() noexcept { return *g_comServer; }

TComClassManager& ComClassManager() {
  if (!g_classManager) g_classManager = new TComClassManager;
  return *g_classManager;
}

void SetServerStartup(HMODULE module, ModuleStartup startExtension) noexcept {
  g_module = module;
  g_startExtension = startExtension;
}

bool EnsureServerStarted() noexcept { return InitOnceExecuteOnce(&g_startOnce, StartOnce, nullptr, nullptr); }

void StopServer() noexcept {
  DestroyAll();
  InitOnceInitialize(&g_startOnce);
}

}  // namespace oddments
