// The in-process server: the object that describes the DLL to the frame, the
// list of its class factories, and the fixed order in which they start and
// stop.
#pragma once

#include <windows.h>
#include <oaidl.h>

#include <string>
#include <vector>

namespace oddments {

class TComObjectFactory;

// What factories and objects know of their server.
class TComServerObject {
 public:
  virtual ~TComServerObject() = default;

  // The count after the change: up when created is true, down otherwise.
  virtual LONG CountObject(bool created) noexcept = 0;
  virtual LONG CountFactory(bool created) noexcept = 0;
  virtual const std::string& GetHelpFileName() const noexcept = 0;
  virtual const std::string& GetServerFileName() const noexcept = 0;
  virtual const std::string& GetServerKey() const noexcept = 0;
  virtual const std::string& GetServerName() const noexcept = 0;
  virtual bool GetStartSuspended() const noexcept = 0;
  // Null when the DLL carries no type library.
  virtual ITypeLib* GetTypeLib() const noexcept = 0;
  virtual void SetHelpFileName(std::string name) = 0;
};

class TComServer final : public TComServerObject {
 public:
  explicit TComServer(HMODULE module);
  ~TComServer() override;
  TComServer(const TComServer&) = delete;
  TComServer& operator=(const TComServer&) = delete;

  LONG CountObject(bool created) noexcept override;
  LONG CountFactory(bool created) noexcept override;
  const std::string& GetHelpFileName() const noexcept override { return FHelpFileName; }
  const std::string& GetServerFileName() const noexcept override { return FServerFileName; }
  const std::string& GetServerKey() const noexcept override;
  const std::string& GetServerName() const noexcept override { return FServerName; }
  bool GetStartSuspended() const noexcept override { return FStartSuspended; }
  ITypeLib* GetTypeLib() const noexcept override { return FTypeLib; }
  void SetHelpFileName(std::string name) override { FHelpFileName = std::move(name); }

  // The DLL stays loaded for the life of its host: a shell extension that
  // unloads while the shell still holds a menu it built crashes the shell.
  static bool CanUnloadNow() noexcept { return false; }

  // Self-registration: the type library, if any, then every factory of this
  // server. A failure raised ends it, keeping what was done before.
  void RegisterServer();
  void UnregisterServer();

  // Objects alive now; for diagnostics and tests.
  LONG ObjectCount() const noexcept { return FObjectCount; }

 private:
  volatile LONG FObjectCount = 0;
  volatile LONG FFactoryCount = 0;
  ITypeLib* FTypeLib = nullptr;
  std::string FServerName;
  std::string FServerFileName;
  std::string FHelpFileName;
  bool FStartSuspended = false;
};

// The DLL's factories, in the order they were added. The list holds no
// references; destroying the manager destroys every factory still in it.
class TComClassManager {
 public:
  TComClassManager() = default;
  ~TComClassManager();
  TComClassManager(const TComClassManager&) = delete;
  TComClassManager& operator=(const TComClassManager&) = delete;

  void AddObjectFactory(TComObjectFactory* factory);
  void RemoveObjectFactory(TComObjectFactory* factory) noexcept;

  // Calls procedure on each factory of server, in list order.
  void ForEachFactory(const TComServerObject& server, void (*procedure)(TComObjectFactory& factory));

  // The first factory with this class identifier, or null.
  TComObjectFactory* GetFactoryFromClassID(REFCLSID classID) const noexcept;

 private:
  std::vector<TComObjectFactory*> FFactories;
};

// The one server object and the one class manager, valid between the start
// and the stop of the server.
TComServer& ComServer() noexcept;
TComClassManager& ComClassManager();

// The start-up step of the extension's module, which creates its factories.
using ModuleStartup = void (*)();

// Called from DllMain: remembers the module and its start-up step. Nothing
// starts under the loader lock, because creating the server loads the type
// library, which may load libraries.
void SetServerStartup(HMODULE module, ModuleStartup startExtension) noexcept;

// Runs, once and on the first call from any thread, the start-up in its fixed
// order: the frame with no class manager, the server object, then the
// extension's module. False when it could not complete; whatever it made is
// undone, and a later call tries again.
bool EnsureServerStarted() noexcept;

// The reverse order: the server object, then the class manager with the
// factories it still lists.
void StopServer() noexcept;

}  // namespace oddments
