#include "com_object.h"

#include <memory>

#include "com_ptr.h"
#include "com_server.h"
#include "failure.h"
#include "guid_text.h"
#include "registry.h"
#include "win_text.h"

namespace oddments {

HRESULT HandleSafeCallException(const std::exception_ptr& failure, REFGUID errorIID,
                                const std::string& progID, const std::string& helpFile) noexcept {
  try {
    HRESULT result = E_UNEXPECTED;
    ComPtr<ICreateErrorInfo> info;
    if (FAILED(CreateErrorInfo(info.Receive())) || !info) return E_UNEXPECTED;
    info->SetGUID(errorIID);
    if (!progID.empty()) info->SetSource(AnsiToWide(progID).data());
    if (!helpFile.empty()) info->SetHelpFile(AnsiToWide(helpFile).data());
    VisitFailure(failure, [&](const Failure& known) {
      info->SetDescription(Utf8ToWide(known.Message()).data());
      info->SetHelpContext(static_cast<DWORD>(known.HelpContext()));
      if (const auto* ole = dynamic_cast<const EOleSysError*>(&known); ole && ole->ErrorCode() < 0) {
        result = ole->ErrorCode();
      }
    });
    if (ComPtr<IErrorInfo> published = info.As<IErrorInfo>()) SetErrorInfo(0, published.Get());
    return result;
  } catch (...) {
    return E_UNEXPECTED;
  }
}

TComObjectFactory::TComObjectFactory(TComServerObject& server, TComClass comClass, REFCLSID classID,
                                     std::string className, std::string classVersion,
                                     std::string description, TClassInstancing instancing,
                                     TThreadingModel threadingModel)
    : FComServer(server),
      FComClass(comClass),
      FClassID(classID),
      FClassName(std::move(className)),
      FClassVersion(std::move(classVersion)),
      FDescription(std::move(description)),
      FInstancing(instancing),
      FThreadingModel(threadingModel) {
  ComClassManager().AddObjectFactory(this);
}

TComObjectFactory::TComObjectFactory(TComServerObject& server, TComClass comClass, REFCLSID classID,
                                     std::string className, std::string description,
                                     TClassInstancing instancing, TThreadingModel threadingModel)
    : TComObjectFactory(server, comClass, classID, std::move(className), std::string(),
                        std::move(description), instancing, threadingModel) {}

TComObjectFactory::~TComObjectFactory() { ComClassManager().RemoveObjectFactory(this); }

TComObject* TComObjectFactory::CreateComObject(IUnknown*) {
  // Two phases, so that the derived class's Initialize runs, not the base's.
  std::unique_ptr<TComObject> object(FComClass(*this));
  object->Initialize();
  // Construction's own reference goes; the creator's first query takes one.
  InterlockedDecrement(&object->FRefCount);
  return object.release();
}

namespace {

const char* ThreadingModelText(TThreadingModel model) noexcept {
  switch (model) {
    case tmApartment: return "Apartment";
    case tmFree: return "Free";
    case tmBoth: return "Both";
    case tmNeutral: return "Neutral";
    case tmSingle: break;
  }
  return "";
}

}  // namespace

void TComObjectFactory::UpdateRegistry(bool doRegister) {
  // No factory of this DLL has a class version, so none gets the versioned
  // keys either.
  if (FInstancing == ciInternal || !FClassVersion.empty()) return;
  const std::string classID = GuidText(FClassID);
  const std::string classKey = "CLSID\\" + classID;
  const std::string serverKey = classKey + "\\InprocServer32";
  const std::string progID = GetProgID();
  if (doRegister) {
    CreateRegKey(classKey, "", FDescription);
    CreateRegKey(classKey + "\\ProgID", "", progID);
    CreateRegKey(serverKey, "", FComServer.GetServerFileName());
    CreateRegKey(serverKey, "ThreadingModel", ThreadingModelText(FThreadingModel));
    CreateRegKey(progID, "", FDescription);
    CreateRegKey(progID + "\\CLSID", "", classID);
  } else {
    DeleteRegKey(serverKey);
    DeleteRegKey(classKey + "\\VersionIndependentProgID");
    DeleteRegKey(classKey + "\\ProgID");
    DeleteRegKey(classKey);
    DeleteRegKey(progID + "\\CLSID");
    DeleteRegKey(progID);
    // A user's own CLSID key may have been made by this registration; left
    // empty, it goes with it.
    if (PerUserRegistryRoots::Active()) DeleteEmptyKeys(HKEY_CLASSES_ROOT, "CLSID", 1);
  }
}

std::string TComObjectFactory::GetProgID() const { return FComServer.GetServerName() + "." + FClassName; }

HRESULT TComObjectFactory::SafeCallException(const std::exception_ptr& failure) const noexcept {
  try {
    return HandleSafeCallException(failure, FErrorIID, GetProgID(), FComServer.GetHelpFileName());
  } catch (...) {
    return E_UNEXPECTED;
  }
}

HRESULT TComObjectFactory::QueryInterface(REFIID iid, void** ppv) noexcept {
  if (!ppv) return E_POINTER;
  if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IClassFactory)) {
    *ppv = static_cast<IClassFactory*>(this);
    AddRef();
    return S_OK;
  }
  *ppv = nullptr;
  return E_NOINTERFACE;
}

ULONG TComObjectFactory::AddRef() noexcept { return static_cast<ULONG>(InterlockedIncrement(&FRefCount)); }

ULONG TComObjectFactory::Release() noexcept {
  const LONG count = InterlockedDecrement(&FRefCount);
  if (count == 0) delete this;
  return static_cast<ULONG>(count);
}

HRESULT TComObjectFactory::CreateInstance(IUnknown* outer, REFIID iid, void** ppv) noexcept {
  if (!ppv) return E_POINTER;
  *ppv = nullptr;
  if (outer) return CLASS_E_NOAGGREGATION;
  try {
    TComObject* object = CreateComObject(outer);
    const HRESULT result = object->ObjQueryInterface(iid, ppv);
    // Nobody holds the new object, so it goes when it cannot be handed out.
    if (FAILED(result)) delete object;
    return result;
  } catch (...) {
    return SafeCallException(std::current_exception());
  }
}

// The DLL never unloads while its host runs, so a lock has nothing to hold.
HRESULT TComObjectFactory::LockServer(BOOL) noexcept { return S_OK; }

TComObject::TComObject(TComObjectFactory& factory) : FFactory(&factory) {
  FFactory->Server().CountObject(true);
}

TComObject::~TComObject() {
  FFactory->Server().CountObject(false);
  // References remain only when construction failed.
  if (FRefCount > 0) CoDisconnectObject(Identity(), 0);
}

LONG TComObject::ObjAddRef() noexcept { return InterlockedIncrement(&FRefCount); }

LONG TComObject::ObjRelease() noexcept {
  const LONG count = InterlockedDecrement(&FRefCount);
  if (count == 0) delete this;
  return count;
}

HRESULT TComObject::ObjQueryInterface(REFIID iid, void** ppv) noexcept {
  if (!ppv) return E_POINTER;
  IUnknown* found = FindInterface(iid);
  *ppv = found;
  if (!found) return E_NOINTERFACE;
  found->AddRef();
  return S_OK;
}

IUnknown* TComObject::FindInterface(REFIID iid) noexcept {
  if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_ISupportErrorInfo)) return Identity();
  return nullptr;
}

HRESULT TComObject::QueryInterface(REFIID iid, void** ppv) noexcept { return ObjQueryInterface(iid, ppv); }

ULONG TComObject::AddRef() noexcept { return static_cast<ULONG>(ObjAddRef()); }

ULONG TComObject::Release() noexcept { return static_cast<ULONG>(ObjRelease()); }

HRESULT TComObject::InterfaceSupportsErrorInfo(REFIID iid) noexcept {
  return FindInterface(iid) ? S_OK : S_FALSE;
}

HRESULT TComObject::SafeCallException(const std::exception_ptr& failure) noexcept {
  return FFactory->SafeCallException(failure);
}

}  // namespace oddments
