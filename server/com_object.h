// The class factory and the reference-counted base of the DLL's COM objects.
#pragma once

#include <windows.h>
#include <oaidl.h>
#include <unknwn.h>

#include <exception>
#include <string>

namespace oddments {

class TComServerObject;
class TComObject;
class TComObjectFactory;

enum TClassInstancing { ciInternal = 0, ciSingleInstance = 1, ciMultiInstance = 2 };
enum TThreadingModel { tmSingle = 0, tmApartment = 1, tmFree = 2, tmBoth = 3, tmNeutral = 4 };

// The class of a factory's objects: makes one, not yet initialized.
using TComClass = TComObject* (*)(TComObjectFactory& factory);

template <class T>
TComObject* ComClassOf(TComObjectFactory& factory) {
  return new T(factory);
}

// Publishes COM error information for failure on this thread and gives the
// HRESULT that stands for it: an EOleSysError's negative code, otherwise
// E_UNEXPECTED.
HRESULT HandleSafeCallException(const std::exception_ptr& failure, REFGUID errorIID,
                                const std::string& progID, const std::string& helpFile) noexcept;

class TComObjectFactory : public IClassFactory {
 public:
  // Enters the factory into the class manager, which owns it from then on.
  TComObjectFactory(TComServerObject& server, TComClass comClass, REFCLSID classID,
                    std::string className, std::string classVersion, std::string description,
                    TClassInstancing instancing, TThreadingModel threadingModel);
  TComObjectFactory(TComServerObject& server, TComClass comClass, REFCLSID classID,
                    std::string className, std::string description, TClassInstancing instancing,
                    TThreadingModel threadingModel);
  virtual ~TComObjectFactory();
  TComObjectFactory(const TComObjectFactory&) = delete;
  TComObjectFactory& operator=(const TComObjectFactory&) = delete;

  // A new object, initialized, holding no reference yet.
  virtual TComObject* CreateComObject(IUnknown* controller);

  // Writes (true) or deletes (false) the class's COM keys under
  // HKEY_CLASSES_ROOT; a failure raised ends the whole registration.
  virtual void UpdateRegistry(bool doRegister);

  // Server name, ".", class name.
  std::string GetProgID() const;

  TComServerObject& Server() const noexcept { return FComServer; }
  TComClass ComClass() const noexcept { return FComClass; }
  const CLSID& ClassID() const noexcept { return FClassID; }
  const std::string& ClassName() const noexcept { return FClassName; }
  const std::string& ClassVersion() const noexcept { return FClassVersion; }
  const std::string& Description() const noexcept { return FDescription; }
  const GUID& ErrorIID() const noexcept { return FErrorIID; }
  TClassInstancing Instancing() const noexcept { return FInstancing; }
  TThreadingModel ThreadingModel() const noexcept { return FThreadingModel; }

  // The failure translation for this factory's class.
  HRESULT SafeCallException(const std::exception_ptr& failure) const noexcept;

  STDMETHODIMP QueryInterface(REFIID iid, void** ppv) noexcept override;
  STDMETHODIMP_(ULONG) AddRef() noexcept override;
  STDMETHODIMP_(ULONG) Release() noexcept override;
  STDMETHODIMP CreateInstance(IUnknown* outer, REFIID iid, void** ppv) noexcept override;
  STDMETHODIMP LockServer(BOOL lock) noexcept override;

 private:
  volatile LONG FRefCount = 1;  // the class manager's hold
  TComServerObject& FComServer;
  TComClass FComClass;
  CLSID FClassID;
  std::string FClassName;
  std::string FClassVersion;
  std::string FDescription;
  GUID FErrorIID{};
  TClassInstancing FInstancing;
  TThreadingModel FThreadingModel;
};

// The base of every object a factory makes. Its IUnknown pointer, the one of
// ISupportErrorInfo, is the object's identity.
class TComObject : public ISupportErrorInfo {
 public:
  // Counts the object with its factory's server; the count of references is
  // 1 until construction is over, so that a reference taken and given back in
  // Initialize cannot destroy the object.
  explicit TComObject(TComObjectFactory& factory);
  virtual ~TComObject();
  TComObject(const TComObject&) = delete;
  TComObject& operator=(const TComObject&) = delete;

  virtual LONG ObjAddRef() noexcept;
  virtual HRESULT ObjQueryInterface(REFIID iid, void** ppv) noexcept;
  virtual LONG ObjRelease() noexcept;

  STDMETHODIMP QueryInterface(REFIID iid, void** ppv) noexcept override;
  STDMETHODIMP_(ULONG) AddRef() noexcept override;
  STDMETHODIMP_(ULONG) Release() noexcept override;
  STDMETHODIMP InterfaceSupportsErrorInfo(REFIID iid) noexcept override;

  // Error information and an HRESULT for a failure inside a method.
  virtual HRESULT SafeCallException(const std::exception_ptr& failure) noexcept;

  IUnknown* Identity() noexcept { return static_cast<ISupportErrorInfo*>(this); }
  TComObjectFactory& Factory() const noexcept { return *FFactory; }

 protected:
  // The creation hook, run once after construction and before any interface
  // is handed out; a failure here destroys the half-made object.
  virtual void Initialize() {}

  // The interface for iid, searched in the object's own class first, then in
  // its bases; null when none has it. No reference is added.
  virtual IUnknown* FindInterface(REFIID iid) noexcept;

  // Runs body; a failure it raises becomes the method's HRESULT.
  template <class Body>
  HRESULT SafeCall(Body&& body) noexcept {
    try {
      body();
      return S_OK;
    } catch (...) {
      return SafeCallException(std::current_exception());
    }
  }

 private:
  friend class TComObjectFactory;

  TComObjectFactory* FFactory;
  volatile LONG FRefCount = 1;
};

// An object base that serves Interfaces besides IUnknown and
// ISupportErrorInfo, all through the base's reference count.
template <class... Interfaces>
class ComObjectWith : public TComObject, public Interfaces... {
 public:
  using TComObject::TComObject;

  STDMETHODIMP QueryInterface(REFIID iid, void** ppv) noexcept override {
    return ObjQueryInterface(iid, ppv);
  }
  STDMETHODIMP_(ULONG) AddRef() noexcept override { return static_cast<ULONG>(ObjAddRef()); }
  STDMETHODIMP_(ULONG) Release() noexcept override { return static_cast<ULONG>(ObjRelease()); }

 protected:
  IUnknown* FindInterface(REFIID iid) noexcept override {
    IUnknown* found = nullptr;
    ((found = found ? found : Match<Interfaces>(iid)), ...);
    return found ? found : TComObject::FindInterface(iid);
  }

 private:
  template <class Interface>
  IUnknown* Match(REFIID iid) noexcept {
    return IsEqualIID(iid, __uuidof(Interface)) ? static_cast<Interface*>(this) : nullptr;
  }
};

}  // namespace oddments
