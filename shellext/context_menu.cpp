// The IContextMenu side of the handler: the menu, the dispatch of the picked
// entry, and the command strings.
#include <algorithm>
#include <cwchar>
#include <iterator>

#include "../server/failure.h"
#include "../server/handles.h"
#include "../server/win_text.h"
#include "shexOddments1.h"

namespace oddments {

namespace {

constexpr UINT kEntryCount = 5;
constexpr const char* kCaptions[kEntryCount] = {"&Copy UNC", "Co&py content", "Set &read-only",
                                                "&Touch (set date)", "&Open URL..."};
constexpr char kPopupCaption[] = "Odd&ments";
constexpr wchar_t kBoxCaption[] = L"Oddments";
constexpr wchar_t kHelpText[] = L"Perform one of several functions on files";

// Inserted nothing, used no identifier.
const HRESULT kNoEntries = MAKE_HRESULT(SEVERITY_SUCCESS, 0, 0);
// The highest offset used, plus one.
const HRESULT kEntriesAdded = MAKE_HRESULT(SEVERITY_SUCCESS, 0, kEntryCount + 1);

// "{Kind}message", as the user sees a failure.
std::string FailureText(const std::exception_ptr& failure) {
  std::string text;
  const bool known = VisitFailure(failure, [&](const Failure& f) {
    text = std::string("{") + f.KindName() + "}" + f.Message();
  });
  if (known) return text;
  try {
    std::rethrow_exception(failure);
  } catch (const std::exception& other) {
    return std::string("{Exception}") + other.what();
  } catch (...) {
    return "{Exception}Unknown failure";
  }
}

// Shown wide, so that a message naming a path shows that path whole.
void ShowFailure(const std::exception_ptr& failure) noexcept {
  try {
    MessageBoxW(GetDesktopWindow(), Utf8ToWide(FailureText(failure)).c_str(), kBoxCaption, MB_ICONERROR | MB_OK);
  } catch (...) {
    // No memory for the text: the one failure that needs none.
    MessageBoxW(GetDesktopWindow(), L"{EOutOfMemory}Out of memory", kBoxCaption, MB_ICONERROR | MB_OK);
  }
}

}  // namespace

HRESULT TContextMenu::QueryContextMenu(HMENU Menu, UINT indexMenu, UINT idCmdFirst, UINT idCmdLast,
                                       UINT) noexcept {
  // Identifiers outside the granted range belong to other handlers: a click
  // on ours would run theirs.
  if (idCmdLast < idCmdFirst || idCmdLast - idCmdFirst < kEntryCount) return kNoEntries;
  oddments::Menu popup(CreatePopupMenu());
  if (!popup) return kNoEntries;
  for (UINT offset = 1; offset <= kEntryCount; ++offset) {
    AppendMenuA(popup.Get(), MF_STRING, idCmdFirst + offset, kCaptions[offset - 1]);
  }
  if (!InsertMenuA(Menu, indexMenu, MF_BYPOSITION | MF_POPUP, reinterpret_cast<UINT_PTR>(popup.Get()),
                   kPopupCaption)) {
    return kNoEntries;
  }
  popup.Release();  // the shell's menu owns it now
  return kEntriesAdded;
}

HRESULT TContextMenu::InvokeCommand(CMINVOKECOMMANDINFO* lpici) noexcept {
  if (!lpici) return E_INVALIDARG;
  // A verb string rather than an offset: every bit above the low 16, so that
  // a pointer is told from an offset in the 64-bit build too.
  if (!IS_INTRESOURCE(lpici->lpVerb)) return E_FAIL;
  switch (LOWORD(reinterpret_cast<ULONG_PTR>(lpici->lpVerb))) {
    case 1: RunGuarded(&TContextMenu::CopyUNC); return S_OK;
    case 2: RunGuarded(&TContextMenu::CopyContent); return S_OK;
    case 3: RunGuarded(&TContextMenu::ReadOnly); return S_OK;
    case 4: RunGuarded(&TContextMenu::Touch); return S_OK;
    case 5: RunGuarded(&TContextMenu::OpenURL); return S_OK;
    default: return E_INVALIDARG;
  }
}

HRESULT TContextMenu::GetCommandString(UINT_PTR idCmd, UINT uType, UINT*, CHAR* pszName, UINT cchMax) noexcept {
  if (idCmd != 0) return E_INVALIDARG;
  if (uType == GCS_HELPTEXTW && pszName && cchMax > 0) {
    // The buffer holds wide characters for GCS_HELPTEXTW.
    const auto name = reinterpret_cast<wchar_t*>(pszName);
    const std::size_t length = std::min<std::size_t>(std::size(kHelpText) - 1, cchMax - 1);
    std::wmemcpy(name, kHelpText, length);
    name[length] = L'\0';
  }
  return S_OK;
}

void TContextMenu::RunGuarded(Command command) noexcept {
  try {
    (this->*command)();
  } catch (...) {
    ShowFailure(std::current_exception());
  }
}

}  // namespace oddments
