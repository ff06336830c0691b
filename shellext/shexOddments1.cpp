#include "shexOddments1.h"

#include "../server/com_server.h"
#include "../server/guid_text.h"
#include "../server/handles.h"
#include "../server/registry.h"
#include "../server/win_text.h"
#include "drop_list.h"
#include "url_map.h"

namespace oddments {

namespace {

constexpr const char* kHandlerParents[] = {"*", "Folder"};
constexpr char kApprovedParent[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Shell Extensions";
constexpr char kDescription[] = "Oddments Shell Extension";

std::string HandlerKey(const char* parent) { return std::string(parent) + "\\shellex\\ContextMenuHandlers\\Oddments"; }

// Only NT-family systems keep an approved list.
bool IsWindowsNT() {
  OSVERSIONINFOA version{};
  version.dwOSVersionInfoSize = sizeof version;
  return GetVersionExA(&version) && version.dwPlatformId == VER_PLATFORM_WIN32_NT;
}

// Writes one value into a key under root, created if missing. A key that
// cannot be opened fails like the write, so that the value never lands in
// another key.
void SetValueUnder(HKEY root, const std::string& keyPath, const std::string& valueName, const std::string& value) {
  const RegKey key = OpenOrCreateRegKey(root, keyPath);
  if (!key) RaiseValueNotSet(valueName);
  SetRegString(key.Get(), valueName, value);
}

// What only a per-user registration takes away again: in the user's own keys
// the approval and the handlers' parent keys serve this user alone, and they
// go unless something else lives in them.
void RemovePerUserTraces(const std::string& classID) {
  const std::string approved = std::string(kApprovedParent) + "\\Approved";
  RegDeleteKeyValueA(MachineRoot(), approved.c_str(), classID.c_str());
  DeleteEmptyKeys(MachineRoot(), approved, 2);
  for (const char* parent : kHandlerParents) {
    DeleteEmptyKeys(HKEY_CLASSES_ROOT, std::string(parent) + "\\shellex\\ContextMenuHandlers", 3);
  }
}

void ApproveHandler(const std::string& classID) {
  const RegKey shellExtensions = OpenOrCreateRegKey(MachineRoot(), kApprovedParent);
  if (!shellExtensions) RaiseValueNotSet(classID);
  SetValueUnder(shellExtensions.Get(), "Approved", classID, kDescription);
}

// The paths of a CF_HDROP medium, read in one pass: asking DragQueryFile
// for each index rescans the list from its start, which made a large
// selection cost the shell quadratic time before its menu appeared.
TContextMenu::FileList ReadSelection(const STGMEDIUM& medium) {
  if (medium.tymed != TYMED_HGLOBAL || !medium.hGlobal) return {};
  const GlobalLockOf<const std::byte> block(medium.hGlobal);
  if (!block) return {};
  return ReadDropList({block.Data(), GlobalSize(medium.hGlobal)}, &AnsiToUtf16);
}

}  // namespace

void TContextMenu::Initialize() {
  TComObject::Initialize();
  Files = std::make_unique<FileList>();
}

HRESULT TContextMenu::SEIInitialize(PCIDLIST_ABSOLUTE, IDataObject* lpdobj, HKEY) noexcept {
  if (!lpdobj) return E_INVALIDARG;
  FORMATETC format{CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
  STGMEDIUM received{};
  const HRESULT result = lpdobj->GetData(&format, &received);
  if (FAILED(result)) return result;
  const StorageMedium medium(received);
  return SafeCall([&] {
    Files->Append(ReadSelection(medium.Get()));
  });
}

void TContextMenuFactory::UpdateRegistry(bool doRegister) {
  if (!doRegister) {
    DeleteRegKey(HandlerKey("Folder"));
    DeleteRegKey(HandlerKey("*"));
    TComObjectFactory::UpdateRegistry(false);
    if (PerUserRegistryRoots::Active()) RemovePerUserTraces(GuidText(CLASS_CONTEXTMENU));
    return;
  }
  TComObjectFactory::UpdateRegistry(true);
  const std::string classID = GuidText(CLASS_CONTEXTMENU);
  for (const char* parent : kHandlerParents) {
    const std::string shellex = std::string(parent) + "\\shellex";
    CreateRegKey(shellex, "", "");
    CreateRegKey(shellex + "\\ContextMenuHandlers", "", "");
    CreateRegKey(HandlerKey(parent), "", classID);
  }
  if (IsWindowsNT()) ApproveHandler(classID);
  SetValueUnder(HKEY_CURRENT_USER, kUrlMapKey, kSeededUrlPrefix, kSeededUrl);
}

void StartContextMenuModule() {
  // The class manager owns the factory from its construction on.
  new TContextMenuFactory(ComServer(), ComClassOf<TContextMenu>, CLASS_CONTEXTMENU, "", kDescription,
                          ciMultiInstance, tmApartment);
}

}  // namespace oddments
