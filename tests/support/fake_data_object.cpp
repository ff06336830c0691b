#include "fake_data_object.h"

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

}  // namespace oddments::test
