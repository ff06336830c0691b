// The context-menu object in-process: its interfaces, and the capture of the
// selection from shell32's data objects and from data objects of the test's.
#include <windows.h>

#include <gtest/gtest.h>

#include <shellapi.h>
#include <shlobj.h>

#include "../tools/shell_selection.h"
#include "support/alloc_failure.h"
#include "support/module_environment.h"
#include "support/drop_block.h"
#include "support/fake_data_object.h"
#include "support/temp_files.h"

namespace oddments {
namespace {

using test::AnsiDropBlock;
using test::FakeDataObject;
using test::TempFolder;
using test::WideDropBlock;
using test::WidePath;
using FileList = std::vector<std::u16string>;

const auto* const g_environment = ::testing::AddGlobalTestEnvironment(new test::ModuleEnvironment);

using test::NewHandler;

FileList Files(const ComPtr<IShellExtInit>& handler) { return test::Entries(test::Object(handler).SelectedFiles()); }

// The selection as the handler keeps it, for paths in the ANSI code page.
FileList Wide(const std::vector<std::string>& paths) {
  FileList wide;
  for (const std::string& path : paths) {
    const std::wstring units = WidePath(path);
    wide.emplace_back(units.begin(), units.end());
  }
  return wide;
}

HRESULT InitializeWith(const ComPtr<IShellExtInit>& handler, const std::vector<std::string>& paths) {
  std::vector<std::wstring> wide;
  for (const auto& path : paths) wide.push_back(WidePath(path));
  ComPtr<IDataObject> dataObject;
  const HRESULT made = ShellDataObject(wide, dataObject);
  if (FAILED(made)) return made;
  return handler->Initialize(nullptr, dataObject.Get(), nullptr);
}

TEST(ContextMenuObject, ServesItsInterfacesWithOneIdentityAndCount) {
  const LONG before = ComServer().ObjectCount();
  ComPtr<IShellExtInit> handler = NewHandler();
  ASSERT_TRUE(handler);
  EXPECT_EQ(ComServer().ObjectCount(), before + 1);

  const ComPtr<IUnknown> identity = handler.As<IUnknown>();
  const ComPtr<ISupportErrorInfo> errorInfo = handler.As<ISupportErrorInfo>();
  ASSERT_TRUE(errorInfo);
  EXPECT_EQ(errorInfo.As<IUnknown>().Get(), identity.Get());
  EXPECT_EQ(errorInfo.As<IShellExtInit>().Get(), handler.Get());
  const ComPtr<IContextMenu> menu = handler.As<IContextMenu>();
  ASSERT_TRUE(menu);
  EXPECT_EQ(menu.As<IUnknown>().Get(), identity.Get());
  EXPECT_EQ(menu->AddRef(), 5u) << "handler, identity, errorInfo, menu, and this one";
  menu->Release();
  EXPECT_EQ(errorInfo->InterfaceSupportsErrorInfo(IID_IShellExtInit), S_OK);
  EXPECT_EQ(errorInfo->InterfaceSupportsErrorInfo(IID_IContextMenu), S_OK);
  EXPECT_EQ(errorInfo->InterfaceSupportsErrorInfo(IID_IDataObject), S_FALSE);
  EXPECT_FALSE(handler.As<IDataObject>());
  EXPECT_TRUE(Files(handler).empty()) << "Files exists, empty, before any Initialize";
}

TEST(ContextMenuObject, LastReleaseTakesItOffTheServersCount) {
  const LONG before = ComServer().ObjectCount();
  ComPtr<IShellExtInit> handler = NewHandler();
  ComPtr<IUnknown> identity = handler.As<IUnknown>();
  handler.Reset();
  EXPECT_EQ(ComServer().ObjectCount(), before + 1);
  identity.Reset();
  EXPECT_EQ(ComServer().ObjectCount(), before);
}

TEST(SelectionCapture, TakesShellDataObjectsPathsInOrderWithDuplicates) {
  TempFolder folder;
  const std::string a = folder.AddFile("a.txt"), b = folder.AddFile("b file.txt"), c = folder.AddFile("c.txt");
  const std::string sub = folder.AddFolder("sub");
  ComPtr<IShellExtInit> handler = NewHandler();
  ASSERT_EQ(InitializeWith(handler, {c, b, a, sub, c}), S_OK);
  EXPECT_EQ(Files(handler), Wide({c, b, a, sub, c}));
}

TEST(SelectionCapture, ASecondInitializeAppends) {
  TempFolder folder;
  const std::string a = folder.AddFile("a"), b = folder.AddFile("b"), c = folder.AddFile("c");
  ComPtr<IShellExtInit> handler = NewHandler();
  ASSERT_EQ(InitializeWith(handler, {a, b}), S_OK);
  ASSERT_EQ(InitializeWith(handler, {c, b, a}), S_OK);
  EXPECT_EQ(Files(handler), Wide({a, b, c, b, a}));
}

TEST(SelectionCapture, NullDataObjectIsInvalid) {
  ComPtr<IShellExtInit> handler = NewHandler();
  EXPECT_EQ(handler->Initialize(nullptr, nullptr, nullptr), E_INVALIDARG);
  EXPECT_TRUE(Files(handler).empty());
}

TEST(SelectionCapture, GetDataFailureComesBackUnchanged) {
  for (const HRESULT failure : {DV_E_FORMATETC, static_cast<HRESULT>(0x80041234)}) {
    FakeDataObject dataObject(AnsiDropBlock({"C:\\a"}));
    dataObject.getDataResult = failure;
    ComPtr<IShellExtInit> handler = NewHandler();
    EXPECT_EQ(handler->Initialize(nullptr, &dataObject, nullptr), failure);
    EXPECT_TRUE(Files(handler).empty());
    EXPECT_EQ(dataObject.MediumReleases(), 0);
  }
}

TEST(SelectionCapture, AsksForADropListInGlobalMemoryAndReleasesItOnce) {
  FakeDataObject dataObject(AnsiDropBlock({"C:\\a", "D:\\b"}));
  ComPtr<IShellExtInit> handler = NewHandler();
  ASSERT_EQ(handler->Initialize(nullptr, &dataObject, nullptr), S_OK);
  EXPECT_EQ(Files(handler), (FileList{u"C:\\a", u"D:\\b"}));
  EXPECT_EQ(dataObject.getDataCalls, 1);
  EXPECT_EQ(dataObject.MediumReleases(), 1);
  EXPECT_EQ(dataObject.References(), 1u) << "no reference to the data object is kept";
  const FORMATETC& format = dataObject.lastFormat;
  EXPECT_EQ(format.cfFormat, CF_HDROP);
  EXPECT_EQ(format.ptd, nullptr);
  EXPECT_EQ(format.dwAspect, static_cast<DWORD>(DVASPECT_CONTENT));
  EXPECT_EQ(format.lindex, -1);
  EXPECT_EQ(format.tymed, static_cast<DWORD>(TYMED_HGLOBAL));
}

TEST(SelectionCapture, AnySuccessCodeFromGetDataCounts) {
  FakeDataObject dataObject(AnsiDropBlock({"C:\\a"}));
  dataObject.getDataResult = DATA_S_SAMEFORMATETC;
  ComPtr<IShellExtInit> handler = NewHandler();
  EXPECT_EQ(handler->Initialize(nullptr, &dataObject, nullptr), S_OK);
  EXPECT_EQ(Files(handler), FileList{u"C:\\a"});
  EXPECT_EQ(dataObject.MediumReleases(), 1);
}

TEST(SelectionCapture, MediumWithoutGlobalMemoryIsAnEmptyListStillReleased) {
  for (const bool nullHandle : {false, true}) {
    FakeDataObject dataObject(AnsiDropBlock({"C:\\a"}));
    dataObject.tymed = nullHandle ? TYMED_HGLOBAL : TYMED_NULL;
    dataObject.nullHandle = nullHandle;
    ComPtr<IShellExtInit> handler = NewHandler();
    EXPECT_EQ(handler->Initialize(nullptr, &dataObject, nullptr), S_OK) << "null handle: " << nullHandle;
    EXPECT_TRUE(Files(handler).empty());
    EXPECT_EQ(dataObject.MediumReleases(), 1);
  }
}

TEST(SelectionCapture, EmptyDropListLeavesFilesAsTheyWere) {
  FakeDataObject first(AnsiDropBlock({"C:\\kept"}));
  FakeDataObject empty(WideDropBlock({}));
  ComPtr<IShellExtInit> handler = NewHandler();
  ASSERT_EQ(handler->Initialize(nullptr, &first, nullptr), S_OK);
  EXPECT_EQ(handler->Initialize(nullptr, &empty, nullptr), S_OK);
  EXPECT_EQ(Files(handler), FileList{u"C:\\kept"});
}

TEST(SelectionCapture, KeepsPathsLongerThanTheShellsOldLimitWhole) {
  const std::string longPath = "C:\\" + std::string(1500, 'L');
  FakeDataObject dataObject(AnsiDropBlock({longPath}));
  ComPtr<IShellExtInit> handler = NewHandler();
  ASSERT_EQ(handler->Initialize(nullptr, &dataObject, nullptr), S_OK);
  EXPECT_EQ(Files(handler), Wide({longPath}));
}

TEST(SelectionCapture, TenThousandItemsAreTheShellsUnicodeNames) {
  std::vector<std::string> ansi = test::ManyPaths(10000);
  ansi[7] = "C:\\caf\xE9.txt";  // é in the ANSI code page
  std::vector<std::u16string> wide;
  for (const auto& path : ansi) wide.push_back(test::Widen(path));
  wide[7] = u"C:\\caf\u00E9.txt";
  wide[8] = u"C:\\\u0416\u4E2D \U0001F600.txt";  // no place in a Western code page

  {
    FakeDataObject dataObject(WideDropBlock(wide));
    ComPtr<IShellExtInit> handler = NewHandler();
    ASSERT_EQ(handler->Initialize(nullptr, &dataObject, nullptr), S_OK);
    EXPECT_EQ(Files(handler), wide) << "a wide list as it stands";
  }
  FakeDataObject dataObject(AnsiDropBlock(ansi));
  ComPtr<IShellExtInit> handler = NewHandler();
  ASSERT_EQ(handler->Initialize(nullptr, &dataObject, nullptr), S_OK);
  ASSERT_EQ(Files(handler).size(), 10000u);
  EXPECT_EQ(Files(handler), Wide(ansi));
  EXPECT_EQ(Files(handler)[7], u"C:\\caf\u00E9.txt") << "an ANSI list from the code page";
}

TEST(SelectionCapture, RunningOutOfMemoryLeavesFilesAsTheyWere) {
  const FileList before{u"C:\\first", u"C:\\second"};
  const auto block = WideDropBlock({u"C:\\x", u"C:\\y", u"C:\\z"});
  int failures = 0;
  for (long n = 1;; ++n) {
    ComPtr<IShellExtInit> handler = NewHandler();
    FakeDataObject seed(WideDropBlock(before));
    ASSERT_EQ(handler->Initialize(nullptr, &seed, nullptr), S_OK);
    FakeDataObject dataObject(block);
    SetErrorInfo(0, nullptr);

    test::FailAllocation(n);
    const HRESULT result = handler->Initialize(nullptr, &dataObject, nullptr);
    const bool failed = !test::AllocationFailurePending();
    test::FailAllocation(0);

    EXPECT_EQ(dataObject.MediumReleases(), 1) << "allocation " << n;
    if (!failed) {
      EXPECT_EQ(result, S_OK);
      EXPECT_EQ(Files(handler), (FileList{u"C:\\first", u"C:\\second", u"C:\\x", u"C:\\y", u"C:\\z"}));
      break;
    }
    ++failures;
    EXPECT_EQ(result, E_UNEXPECTED) << "allocation " << n;
    EXPECT_EQ(Files(handler), before) << "allocation " << n;
    EXPECT_EQ(test::TakeErrorInfo().description, L"Out of memory") << "allocation " << n;
  }
  EXPECT_GE(failures, 2) << "the wide copy, its entries, and the room made in Files each allocate";
}

}  // namespace
}  // namespace oddments
