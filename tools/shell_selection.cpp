#include "shell_selection.h"

#include <shlobj.h>

#include <memory>

namespace oddments {

namespace {

struct PidlFree {
  void operator()(ITEMIDLIST* pidl) const noexcept { CoTaskMemFree(pidl); }
};
using Pidl = std::unique_ptr<ITEMIDLIST, PidlFree>;

}  // namespace

HRESULT ShellDataObject(const std::vector<std::wstring>& paths, ComPtr<IDataObject>& dataObject) {
  dataObject.Reset();
  if (paths.empty()) return E_INVALIDARG;
  ComPtr<IShellFolder> desktop;
  HRESULT result = SHGetDesktopFolder(desktop.Receive());
  if (FAILED(result)) return result;

  std::vector<Pidl> items;
  for (const std::wstring& path : paths) {
    std::wstring name = path;  // ParseDisplayName takes a writable string
    ITEMIDLIST* pidl = nullptr;
    result = desktop->ParseDisplayName(nullptr, nullptr, name.data(), nullptr, &pidl, nullptr);
    if (FAILED(result)) return result;
    items.emplace_back(pidl);
  }

  // Like a selection in an Explorer window, the items share one folder, and
  // that folder's data object takes them relative to it.
  Pidl folderPidl(ILClone(items.front().get()));
  if (!folderPidl) return E_OUTOFMEMORY;
  ILRemoveLastID(folderPidl.get());
  ComPtr<IShellFolder> folder;
  result = folderPidl->mkid.cb == 0
               ? desktop->QueryInterface(IID_IShellFolder, folder.ReceiveVoid())
               : desktop->BindToObject(folderPidl.get(), nullptr, IID_IShellFolder, folder.ReceiveVoid());
  if (FAILED(result)) return result;

  std::vector<PCUITEMID_CHILD> children;
  for (const Pidl& item : items) {
    if (!ILIsParent(folderPidl.get(), item.get(), TRUE)) return E_INVALIDARG;
    children.push_back(ILFindLastID(item.get()));
  }
  return folder->GetUIObjectOf(nullptr, static_cast<UINT>(children.size()), children.data(),
                               IID_IDataObject, nullptr, dataObject.ReceiveVoid());
}

const char* HResultName(HRESULT result) noexcept {
  switch (static_cast<unsigned long>(result)) {
    case 0x00000000: return "S_OK";
    case 0x00000001: return "S_FALSE";
    case 0x80004001: return "E_NOTIMPL";
    case 0x80004002: return "E_NOINTERFACE";
    case 0x80004003: return "E_POINTER";
    case 0x80004005: return "E_FAIL";
    case 0x8000FFFF: return "E_UNEXPECTED";
    case 0x8007000E: return "E_OUTOFMEMORY";
    case 0x80070057: return "E_INVALIDARG";
    case 0x80040110: return "CLASS_E_NOAGGREGATION";
    case 0x80040111: return "CLASS_E_CLASSNOTAVAILABLE";
    case 0x80040154: return "REGDB_E_CLASSNOTREG";
    case 0x80040064: return "DV_E_FORMATETC";
    case 0xFFFFFFFF: return "no class object";
    case 0xFFFFFFFE: return "registration failed";
    default: return "";
  }
}

}  // namespace oddments
