// The built DLL as a host sees it: loaded by file name, reached only through
// its exports and the interfaces they hand out.
#include <windows.h>

#include <gtest/gtest.h>

#include <shlobj.h>

#include "../server/com_ptr.h"
#include "../shellext/class_id.h"
#include "../tools/shell_selection.h"
#include "support/com_environment.h"
#include "support/temp_files.h"

namespace oddments {
namespace {

const auto* const g_environment = ::testing::AddGlobalTestEnvironment(new test::OleEnvironment);

const HRESULT kNoClassObject = static_cast<HRESULT>(0xFFFFFFFF);

using GetClassObjectFunction = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);
using CanUnloadNowFunction = HRESULT(STDAPICALLTYPE*)();

class DllTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    module_ = LoadLibraryA("shexOddments.dll");
    ASSERT_NE(module_, nullptr) << "LoadLibrary failed with " << GetLastError();
    getClassObject_ = reinterpret_cast<GetClassObjectFunction>(
        reinterpret_cast<void*>(GetProcAddress(module_, "DllGetClassObject")));
    canUnloadNow_ = reinterpret_cast<CanUnloadNowFunction>(
        reinterpret_cast<void*>(GetProcAddress(module_, "DllCanUnloadNow")));
  }

  static ComPtr<IClassFactory> Factory() {
    ComPtr<IClassFactory> factory;
    EXPECT_EQ(getClassObject_(CLASS_CONTEXTMENU, IID_IClassFactory, factory.ReceiveVoid()), S_OK);
    return factory;
  }

  static HMODULE module_;
  static GetClassObjectFunction getClassObject_;
  static CanUnloadNowFunction canUnloadNow_;
};

HMODULE DllTest::module_ = nullptr;
GetClassObjectFunction DllTest::getClassObject_ = nullptr;
CanUnloadNowFunction DllTest::canUnloadNow_ = nullptr;

TEST_F(DllTest, ExportsItsEntryPointsUndecorated) {
  EXPECT_NE(getClassObject_, nullptr);
  EXPECT_NE(canUnloadNow_, nullptr);
  EXPECT_EQ(GetProcAddress(module_, "DllGetClassObject@12"), nullptr);
}

TEST_F(DllTest, CanUnloadNowAlwaysAnswersSFalse) {
  EXPECT_EQ(canUnloadNow_(), S_FALSE);
  ComPtr<IUnknown> object;
  ASSERT_EQ(Factory()->CreateInstance(nullptr, IID_IUnknown, object.ReceiveVoid()), S_OK);
  EXPECT_EQ(canUnloadNow_(), S_FALSE);
  object.Reset();
  EXPECT_EQ(canUnloadNow_(), S_FALSE);
}

TEST_F(DllTest, HandsOutTheOneFactoryForIClassFactoryAndIUnknown) {
  ComPtr<IClassFactory> first;
  ComPtr<IUnknown> second;
  ASSERT_EQ(getClassObject_(CLASS_CONTEXTMENU, IID_IClassFactory, first.ReceiveVoid()), S_OK);
  const ULONG count = first->AddRef() - 1;
  first->Release();
  ASSERT_EQ(getClassObject_(CLASS_CONTEXTMENU, IID_IUnknown, second.ReceiveVoid()), S_OK);
  EXPECT_EQ(static_cast<void*>(first.Get()), static_cast<void*>(second.Get()));
  EXPECT_EQ(first->AddRef(), count + 2) << "two hand-outs, two more references";
  first->Release();
}

TEST_F(DllTest, UnknownClassOrInterfaceGivesMinusOneAndNull) {
  const CLSID unknownClass = {0x12345678, 0x1234, 0x1234, {1, 2, 3, 4, 5, 6, 7, 8}};
  void* out = reinterpret_cast<void*>(1);
  EXPECT_EQ(getClassObject_(unknownClass, IID_IClassFactory, &out), kNoClassObject);
  EXPECT_EQ(out, nullptr);

  ComPtr<IClassFactory> factory = Factory();
  const ULONG count = factory->AddRef();
  factory->Release();
  out = reinterpret_cast<void*>(1);
  EXPECT_EQ(getClassObject_(CLASS_CONTEXTMENU, IID_IContextMenu, &out), kNoClassObject);
  EXPECT_EQ(out, nullptr);
  EXPECT_EQ(factory->AddRef(), count) << "the refused request added no reference";
  factory->Release();

  EXPECT_EQ(getClassObject_(CLASS_CONTEXTMENU, IID_IClassFactory, nullptr), E_POINTER);
}

TEST_F(DllTest, CreatesAHandlerWithOneReferenceAndOneIdentity) {
  ComPtr<IShellExtInit> handler;
  ASSERT_EQ(Factory()->CreateInstance(nullptr, IID_IShellExtInit, handler.ReceiveVoid()), S_OK);
  EXPECT_EQ(handler->AddRef(), 2u);
  EXPECT_EQ(handler->Release(), 1u);
  const ComPtr<IUnknown> identity = handler.As<IUnknown>();
  EXPECT_EQ(handler.As<ISupportErrorInfo>().As<IUnknown>().Get(), identity.Get());
  EXPECT_EQ(identity.As<IShellExtInit>().Get(), handler.Get());
}

TEST_F(DllTest, InitializesWithShellDataObjectOverRealFiles) {
  test::TempFolder folder;
  const std::string a = folder.AddFile("one.txt", "1"), b = folder.AddFile("two.txt", "2");
  ComPtr<IDataObject> dataObject;
  ASSERT_EQ(ShellDataObject({test::WidePath(a), test::WidePath(b)}, dataObject), S_OK);
  ComPtr<IShellExtInit> handler;
  ASSERT_EQ(Factory()->CreateInstance(nullptr, IID_IShellExtInit, handler.ReceiveVoid()), S_OK);
  EXPECT_EQ(handler->Initialize(nullptr, dataObject.Get(), nullptr), S_OK);
  EXPECT_EQ(handler->Initialize(nullptr, nullptr, nullptr), E_INVALIDARG);
}

}  // namespace
}  // namespace oddments
