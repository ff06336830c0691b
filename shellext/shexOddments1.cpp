#include "shexOddments1.h"

#include <algorithm>
#include <iterator>

#include "../server/com_server.h"
#include "../server/handles.h"
#include "../server/win_text.h"
#include "drop_list.h"

namespace oddments {

namespace {

// As DragQueryFileA converts a wide list.
std::string WideListToAnsi(std::u16string_view list) {
  return WideToAnsi(std::wstring_view(reinterpret_cast<const wchar_t*>(list.data()), list.size()));
}

// The paths of a CF_HDROP medium, read in one pass: asking DragQueryFileA
// for each index rescans the list from its start, which made a large
// selection cost the shell quadratic time before its menu appeared.
TContextMenu::FileList ReadSelection(const STGMEDIUM& medium) {
  if (medium.tymed != TYMED_HGLOBAL || !medium.hGlobal) return {};
  const GlobalLockOf<const std::byte> block(medium.hGlobal);
  if (!block) return {};
  return ReadDropList({block.Data(), GlobalSize(medium.hGlobal)}, &WideListToAnsi);
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
    FileList selection = ReadSelection(medium.Get());
    // Room first, so that running out of memory leaves Files as it was.
    Files->reserve(Files->size() + selection.size());
    std::move(selection.begin(), selection.end(), std::back_inserter(*Files));
  });
}

void StartContextMenuModule() {
  new TContextMenuFactory(ComServer(), ComClassOf<TContextMenu>, CLASS_CONTEXTMENU, "",
                          "Oddments Shell Extension", ciMultiInstance, tmApartment);
}

}  // namespace oddments
