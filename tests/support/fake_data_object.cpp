#include "fake_data_object.h"

#include <shellapi.h>

#include <cstring>

namespace oddments::test {

FakeDataObject::FakeDataObject(const std::vector<std::byte>& block)
    : block_(GlobalAlloc(GMEM_MOVEABLE, block.size())) {
  std::memcpy(GlobalLock(block_), block.data(), block.size());
  GlobalUnlock(block_);
}

FakeDataObject::~FakeDataObject() { GlobalFree(block_); }

HRESULT FakeDataObject::QueryInterface(REFIID iid, void** ppv) {
  if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDataObject)) {
    *ppv = static_cast<IDataObject*>(this);
    AddRef();
    return S_OK;
  }
  *ppv = nullptr;
  return E_NOINTERFACE;
}

HRESULT FakeDataObject::GetData(FORMATETC* format, STGMEDIUM* medium) {
  ++getDataCalls;
  lastFormat = *format;
  if (FAILED(getDataResult)) return getDataResult;
  medium->tymed = tymed;
  medium->hGlobal = nullHandle ? nullptr : block_;
  medium->pUnkForRelease = &releaser_;
  return getDataResult;
}

std::vector<std::string> DragQueryFileAnsi(const std::vector<std::byte>& block) {
  FakeDataObject holder(block);
  FORMATETC format{CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
  STGMEDIUM medium{};
  holder.GetData(&format, &medium);
  const auto drop = static_cast<HDROP>(medium.hGlobal);
  std::vector<std::string> paths;
  const UINT count = DragQueryFileA(drop, 0xFFFFFFFF, nullptr, 0);
  for (UINT i = 0; i < count; ++i) {
    std::string path(DragQueryFileA(drop, i, nullptr, 0) + 1, '\0');
    path.resize(DragQueryFileA(drop, i, path.data(), static_cast<UINT>(path.size())));
    paths.push_back(std::move(path));
  }
  ReleaseStgMedium(&medium);
  return paths;
}

}  // namespace oddments::test
