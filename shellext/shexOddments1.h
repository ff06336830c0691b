// The context-menu handler: the object the shell creates for each context
// menu, its factory, and the module's start-up step.
#pragma once

#include <windows.h>
#include <shlobj.h>

#include <memory>
#include <string>
#include <vector>

#include "../server/com_object.h"
#include "class_id.h"
#include "path_list.h"

namespace oddments {

// Registers, besides the class, the handler for all files and folders, its
// place on the approved list, and the URL map's seeded entry.
class TContextMenuFactory final : public TComObjectFactory {
 public:
  using TComObjectFactory::TComObjectFactory;
  void UpdateRegistry(bool doRegister) override;
};

class TContextMenu final : public ComObjectWith<IShellExtInit, IContextMenu> {
 public:
  // UTF-16, as the shell names the items: no name is lost to a code page.
  using FileList = PathList;

  explicit TContextMenu(TComObjectFactory& factory) : ComObjectWith(factory) {}

  // IShellExtInit::Initialize; the name Initialize is the creation hook's.
  STDMETHODIMP Initialize(PCIDLIST_ABSOLUTE pidlFolder, IDataObject* lpdobj, HKEY hKeyProgID) noexcept override {
    return SEIInitialize(pidlFolder, lpdobj, hKeyProgID);
  }

  // Appends the data object's drop list to Files, each path whole.
  HRESULT SEIInitialize(PCIDLIST_ABSOLUTE pidlFolder, IDataObject* lpdobj, HKEY hKeyProgID) noexcept;

  // The "Odd&ments" popup with the five commands at idCmdFirst + 1 to + 5.
  STDMETHODIMP QueryContextMenu(HMENU Menu, UINT indexMenu, UINT idCmdFirst, UINT idCmdLast,
                                UINT uFlags) noexcept override;
  // Runs the command at the offset lpVerb gives; a command's failure is shown
  // to the user and never reaches the shell.
  STDMETHODIMP InvokeCommand(CMINVOKECOMMANDINFO* lpici) noexcept override;
  STDMETHODIMP GetCommandString(UINT_PTR idCmd, UINT uType, UINT* pwReserved, CHAR* pszName,
                                UINT cchMax) noexcept override;

  const FileList& SelectedFiles() const noexcept { return *Files; }

 protected:
  void Initialize() override;

 private:
  using Command = void (TContextMenu::*)();

  // Runs command and shows whatever failure it raises in the error box.
  void RunGuarded(Command command) noexcept;

  // The commands, by menu offset 1 to 5. Each reads the Ctrl key itself.
  void CopyUNC();
  void CopyContent();
  void ReadOnly();
  void Touch();
  void OpenURL();

  // The selection in the shell's order; exists from Initialize on.
  std::unique_ptr<FileList> Files;
};

// Creates the module's one factory, which the class manager then owns.
void StartContextMenuModule();

}  // namespace oddments
