// A data object of the test's own: it serves one CF_HDROP block, or fails as
// told, and counts how often the medium it hands out is released.
#pragma once

#include <windows.h>
#include <objidl.h>

#include <cstddef>
#include <string>
#include <vector>

namespace oddments::test {

class FakeDataObject final : public IDataObject {
 public:
  explicit FakeDataObject(const std::vector<std::byte>& block);
  ~FakeDataObject();
  FakeDataObject(const FakeDataObject&) = delete;
  FakeDataObject& operator=(const FakeDataObject&) = delete;

  // What GetData answers and hands out.
  HRESULT getDataResult = S_OK;
  DWORD tymed = TYMED_HGLOBAL;
  bool nullHandle = false;

  int getDataCalls = 0;
  FORMATETC lastFormat{};
  int MediumReleases() const noexcept { return releaser_.releases; }

  STDMETHODIMP QueryInterface(REFIID iid, void** ppv) override;
  STDMETHODIMP_(ULONG) AddRef() override { return ++references_; }
  STDMETHODIMP_(ULONG) Release() override { return --references_; }
  STDMETHODIMP GetData(FORMATETC* format, STGMEDIUM* medium) override;
  STDMETHODIMP GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
  STDMETHODIMP QueryGetData(FORMATETC*) override { return E_NOTIMPL; }
  STDMETHODIMP GetCanonicalFormatEtc(FORMATETC*, FORMATETC*) override { return E_NOTIMPL; }
  STDMETHODIMP SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
  STDMETHODIMP EnumFormatEtc(DWORD, IEnumFORMATETC**) override { return E_NOTIMPL; }
  STDMETHODIMP DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override { return E_NOTIMPL; }
  STDMETHODIMP DUnadvise(DWORD) override { return E_NOTIMPL; }
  STDMETHODIMP EnumDAdvise(IEnumSTATDATA**) override { return E_NOTIMPL; }

  ULONG References() const noexcept { return references_; }

 private:
  // Stands in the medium's pUnkForRelease: ReleaseStgMedium releases it
  // instead of freeing the block, which the fake keeps.
  struct Releaser final : IUnknown {
    int releases = 0;
    STDMETHODIMP QueryInterface(REFIID, void** ppv) override {
      *ppv = nullptr;
      return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return 1; }
    STDMETHODIMP_(ULONG) Release() override { return ++releases, 1; }
  };

  HGLOBAL block_;
  ULONG references_ = 1;
  Releaser releaser_;
};

// What DragQueryFileA reports for the block, one index at a time: the
// shell's own conversion of a wide list to the ANSI code page.
std::vector<std::string> DragQueryFileAnsi(const std::vector<std::byte>& block);

}  // namespace oddments::test
