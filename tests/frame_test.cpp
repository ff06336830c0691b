// The COM frame in-process: factories, the object base, counts, failure
// translation and the class manager, with probe classes of the test's own.
#include <gtest/gtest.h>

#include <stdexcept>

#include "../server/com_object.h"
#include "../server/com_ptr.h"
#include "../server/com_server.h"
#include "../server/failure.h"
#include "../server/frame_text.h"
#include "support/com_environment.h"

namespace oddments {
namespace {

using test::TakeErrorInfo;

class ServerEnvironment : public test::OleEnvironment {
 public:
  void SetUp() override {
    OleEnvironment::SetUp();
    SetServerStartup(GetModuleHandleA(nullptr), nullptr);
    ASSERT_TRUE(EnsureServerStarted());
  }
  void TearDown() override {
    StopServer();
    OleEnvironment::TearDown();
  }
};
const auto* const g_environment = ::testing::AddGlobalTestEnvironment(new ServerEnvironment);

// A server of the test's own, whose counts the tests read.
class FakeServer final : public TComServerObject {
 public:
  LONG objects = 0;
  LONG CountObject(bool created) noexcept override { return created ? ++objects : --objects; }
  LONG CountFactory(bool) noexcept override { return 0; }
  const std::string& GetHelpFileName() const noexcept override { return helpFile; }
  const std::string& GetServerFileName() const noexcept override { return name; }
  const std::string& GetServerKey() const noexcept override { return name; }
  const std::string& GetServerName() const noexcept override { return name; }
  bool GetStartSuspended() const noexcept override { return false; }
  ITypeLib* GetTypeLib() const noexcept override { return nullptr; }
  void SetHelpFileName(std::string file) override { helpFile = std::move(file); }

  std::string name = "fake";
  std::string helpFile;
};

enum class InitializeDoes { nothing, balancedAddRef, raiseFailure, runOutOfMemory };
InitializeDoes g_initializeDoes = InitializeDoes::nothing;
int g_destroyed = 0;

class ETestFailure : public Failure {
 public:
  using Failure::Failure;
  const char* KindName() const noexcept override { return "ETestFailure"; }
};

class TProbe : public TComObject {
 public:
  explicit TProbe(TComObjectFactory& factory) : TComObject(factory) {}
  ~TProbe() override { ++g_destroyed; }

 protected:
  void Initialize() override {
    TComObject::Initialize();
    switch (g_initializeDoes) {
      case InitializeDoes::nothing: break;
      case InitializeDoes::balancedAddRef:
        AddRef();
        Release();
        break;
      case InitializeDoes::raiseFailure: throw ETestFailure("probe refused");
      case InitializeDoes::runOutOfMemory: throw std::bad_alloc();
    }
  }
};

// {6A1D3E2B-0001-4C55-9B0E-0123456789AB} and its neighbours.
const CLSID kProbeClass = {0x6A1D3E2B, 0x0001, 0x4C55, {0x9B, 0x0E, 0x01, 0x23, 0x45, 0x67, 0x89, 0xAB}};
const CLSID kOtherClass = {0x6A1D3E2B, 0x0002, 0x4C55, {0x9B, 0x0E, 0x01, 0x23, 0x45, 0x67, 0x89, 0xAB}};

class FrameTest : public ::testing::Test {
 protected:
  void SetUp() override {
    g_initializeDoes = InitializeDoes::nothing;
    g_destroyed = 0;
    factory_ = new TComObjectFactory(server_, ComClassOf<TProbe>, kProbeClass, "Probe", "Probe object",
                                     ciMultiInstance, tmApartment);
  }
  void TearDown() override { delete factory_; }

  FakeServer server_;
  TComObjectFactory* factory_ = nullptr;
};

TEST_F(FrameTest, FactoryAnswersIUnknownAndIClassFactoryOnly) {
  void* unknown = nullptr;
  void* classFactory = nullptr;
  ASSERT_EQ(factory_->QueryInterface(IID_IUnknown, &unknown), S_OK);
  ASSERT_EQ(factory_->QueryInterface(IID_IClassFactory, &classFactory), S_OK);
  EXPECT_EQ(unknown, classFactory);
  EXPECT_EQ(factory_->AddRef(), 4u) << "1 for the class manager, 2 handed out, 1 now";
  EXPECT_EQ(factory_->Release(), 3u);

  void* errorInfo = reinterpret_cast<void*>(1);
  EXPECT_EQ(factory_->QueryInterface(IID_ISupportErrorInfo, &errorInfo), E_NOINTERFACE);
  EXPECT_EQ(errorInfo, nullptr);
  EXPECT_EQ(factory_->QueryInterface(IID_IUnknown, nullptr), E_POINTER);
  factory_->Release();
  EXPECT_EQ(factory_->Release(), 1u);
  EXPECT_EQ(factory_->LockServer(TRUE), S_OK);
  EXPECT_EQ(factory_->LockServer(FALSE), S_OK);
}

TEST_F(FrameTest, NewObjectHasOneReferenceAndIsCountedUntilItsLastRelease) {
  ComPtr<IUnknown> object;
  ASSERT_EQ(factory_->CreateInstance(nullptr, IID_IUnknown, object.ReceiveVoid()), S_OK);
  EXPECT_EQ(server_.objects, 1);
  EXPECT_EQ(object->AddRef(), 2u);
  EXPECT_EQ(object->Release(), 1u);

  ComPtr<ISupportErrorInfo> errorInfo = object.As<ISupportErrorInfo>();
  ASSERT_TRUE(errorInfo);
  EXPECT_EQ(errorInfo->AddRef(), 3u) << "every interface shares one count";
  errorInfo->Release();
  EXPECT_EQ(errorInfo.As<IUnknown>().Get(), object.Get()) << "IUnknown is the identity";

  errorInfo.Reset();
  EXPECT_EQ(g_destroyed, 0);
  object.Reset();
  EXPECT_EQ(g_destroyed, 1);
  EXPECT_EQ(server_.objects, 0);
}

TEST_F(FrameTest, RefusedInterfaceGivesENoInterfaceAndNullPointer) {
  ComPtr<IUnknown> object;
  ASSERT_EQ(factory_->CreateInstance(nullptr, IID_IUnknown, object.ReceiveVoid()), S_OK);
  void* dataObject = reinterpret_cast<void*>(1);
  EXPECT_EQ(object->QueryInterface(IID_IDataObject, &dataObject), E_NOINTERFACE);
  EXPECT_EQ(dataObject, nullptr);
  EXPECT_EQ(object->AddRef(), 2u) << "a refused query adds no reference";
  object->Release();
}

TEST_F(FrameTest, InterfaceSupportsErrorInfoNamesTheTablesInterfaces) {
  ComPtr<ISupportErrorInfo> object;
  ASSERT_EQ(factory_->CreateInstance(nullptr, IID_ISupportErrorInfo, object.ReceiveVoid()), S_OK);
  EXPECT_EQ(object->InterfaceSupportsErrorInfo(IID_IUnknown), S_OK);
  EXPECT_EQ(object->InterfaceSupportsErrorInfo(IID_ISupportErrorInfo), S_OK);
  EXPECT_EQ(object->InterfaceSupportsErrorInfo(IID_IDataObject), S_FALSE);
}

TEST_F(FrameTest, CreateInstanceForAMissingInterfaceDestroysTheNewObject) {
  void* out = reinterpret_cast<void*>(1);
  EXPECT_EQ(factory_->CreateInstance(nullptr, IID_IDataObject, &out), E_NOINTERFACE);
  EXPECT_EQ(out, nullptr);
  EXPECT_EQ(g_destroyed, 1);
  EXPECT_EQ(server_.objects, 0);
}

TEST_F(FrameTest, CreateInstanceRefusesAggregationAndNullOut) {
  ComPtr<IUnknown> outer;
  ASSERT_EQ(factory_->CreateInstance(nullptr, IID_IUnknown, outer.ReceiveVoid()), S_OK);
  void* out = reinterpret_cast<void*>(1);
  EXPECT_EQ(factory_->CreateInstance(outer.Get(), IID_IUnknown, &out), CLASS_E_NOAGGREGATION);
  EXPECT_EQ(out, nullptr);
  EXPECT_EQ(factory_->CreateInstance(nullptr, IID_IUnknown, nullptr), E_POINTER);
  EXPECT_EQ(server_.objects, 1) << "only the outer object was made";
}

TEST_F(FrameTest, ReferenceTakenAndGivenBackInInitializeKeepsTheObject) {
  g_initializeDoes = InitializeDoes::balancedAddRef;
  ComPtr<IUnknown> object;
  ASSERT_EQ(factory_->CreateInstance(nullptr, IID_IUnknown, object.ReceiveVoid()), S_OK);
  EXPECT_EQ(g_destroyed, 0);
  EXPECT_EQ(object->AddRef(), 2u);
  object->Release();
}

TEST_F(FrameTest, FailureInInitializeFreesTheHalfMadeObject) {
  g_initializeDoes = InitializeDoes::raiseFailure;
  SetErrorInfo(0, nullptr);
  void* out = reinterpret_cast<void*>(1);
  EXPECT_EQ(factory_->CreateInstance(nullptr, IID_IUnknown, &out), E_UNEXPECTED);
  EXPECT_EQ(out, nullptr);
  EXPECT_EQ(g_destroyed, 1);
  EXPECT_EQ(server_.objects, 0);
  const auto published = TakeErrorInfo();
  EXPECT_TRUE(published.present);
  EXPECT_EQ(published.description, L"probe refused");
  EXPECT_EQ(published.source, L"fake.Probe");
}

TEST_F(FrameTest, RunningOutOfMemoryInInitializeIsAnHResult) {
  g_initializeDoes = InitializeDoes::runOutOfMemory;
  void* out = nullptr;
  EXPECT_EQ(factory_->CreateInstance(nullptr, IID_IUnknown, &out), E_UNEXPECTED);
  EXPECT_EQ(g_destroyed, 1);
  EXPECT_EQ(server_.objects, 0);
  EXPECT_EQ(TakeErrorInfo().description, L"Out of memory");
}

TEST_F(FrameTest, ProgIDIsServerNameDotClassName) {
  EXPECT_EQ(factory_->GetProgID(), "fake.Probe");
  TComObjectFactory unnamed(ComServer(), ComClassOf<TProbe>, kOtherClass, "", "", ciInternal, tmSingle);
  EXPECT_EQ(unnamed.GetProgID(), ServerNameFromPath(ComServer().GetServerFileName()) + ".");
}

TEST(SafeCallException, PublishesTheFailureAndGivesEUnexpected) {
  const GUID errorIID = {0x11223344, 0x5566, 0x7788, {1, 2, 3, 4, 5, 6, 7, 8}};
  const HRESULT result = HandleSafeCallException(std::make_exception_ptr(ETestFailure("it broke")), errorIID,
                                                 "shexOddments.", "");
  EXPECT_EQ(result, E_UNEXPECTED);
  const auto published = TakeErrorInfo();
  ASSERT_TRUE(published.present);
  EXPECT_EQ(published.description, L"it broke");
  EXPECT_EQ(published.source, L"shexOddments.");
  EXPECT_TRUE(IsEqualGUID(published.guid, errorIID));
}

TEST(SafeCallException, OleSysErrorGivesItsNegativeCode) {
  EXPECT_EQ(HandleSafeCallException(std::make_exception_ptr(EOleSysError("no", E_NOINTERFACE)), GUID_NULL,
                                    "x.", ""),
            E_NOINTERFACE);
  EXPECT_EQ(HandleSafeCallException(std::make_exception_ptr(EOleSysError("zero", S_OK)), GUID_NULL, "x.", ""),
            E_UNEXPECTED);
  EXPECT_EQ(HandleSafeCallException(std::make_exception_ptr(EOleSysError("one", S_FALSE)), GUID_NULL, "x.", ""),
            E_UNEXPECTED);
  TakeErrorInfo();
}

TEST(SafeCallException, OtherExceptionsCarrySourceAndGuidOnly) {
  EXPECT_EQ(HandleSafeCallException(std::make_exception_ptr(std::runtime_error("odd")), GUID_NULL,
                                    "shexOddments.", ""),
            E_UNEXPECTED);
  const auto published = TakeErrorInfo();
  ASSERT_TRUE(published.present);
  EXPECT_EQ(published.description, L"");
  EXPECT_EQ(published.source, L"shexOddments.");
  EXPECT_TRUE(IsEqualGUID(published.guid, GUID_NULL));
}

TEST(ClassManager, FindsFactoriesByClassAndForgetsReleasedOnes) {
  auto* factory = new TComObjectFactory(ComServer(), ComClassOf<TProbe>, kOtherClass, "Other", "",
                                        ciMultiInstance, tmApartment);
  EXPECT_EQ(ComClassManager().GetFactoryFromClassID(kOtherClass), factory);
  EXPECT_EQ(ComClassManager().GetFactoryFromClassID(kProbeClass), nullptr);
  EXPECT_EQ(factory->Release(), 0u) << "the class manager's hold was the last";
  EXPECT_EQ(ComClassManager().GetFactoryFromClassID(kOtherClass), nullptr);
}

std::vector<TComObjectFactory*> g_visited;
void Visit(TComObjectFactory& factory) { g_visited.push_back(&factory); }

TEST(ClassManager, ForEachFactoryVisitsOnlyTheGivenServersFactoriesInOrder) {
  FakeServer other;
  auto* first = new TComObjectFactory(ComServer(), ComClassOf<TProbe>, kProbeClass, "A", "", ciMultiInstance,
                                      tmApartment);
  auto* foreign = new TComObjectFactory(other, ComClassOf<TProbe>, kOtherClass, "B", "", ciMultiInstance,
                                        tmApartment);
  auto* second = new TComObjectFactory(ComServer(), ComClassOf<TProbe>, kOtherClass, "C", "", ciMultiInstance,
                                       tmApartment);
  g_visited.clear();
  ComClassManager().ForEachFactory(ComServer(), &Visit);
  EXPECT_EQ(g_visited, (std::vector<TComObjectFactory*>{first, second}));
  g_visited.clear();
  ComClassManager().ForEachFactory(other, &Visit);
  EXPECT_EQ(g_visited, std::vector<TComObjectFactory*>{foreign});
  delete first;
  delete foreign;
  delete second;
}

TEST(ComServer, DescribesTheModuleItRunsIn) {
  char path[MAX_PATH];
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  EXPECT_EQ(ComServer().GetServerFileName(), path);
  EXPECT_EQ(ComServer().GetServerName(), "frame_test") << "no type library: the file name";
  EXPECT_EQ(ComServer().GetTypeLib(), nullptr);
  EXPECT_EQ(ComServer().GetServerKey(), "InprocServer32");
  EXPECT_FALSE(TComServer::CanUnloadNow());
}

}  // namespace
}  // namespace oddments
