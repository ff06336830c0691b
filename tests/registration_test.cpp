// Self-registration of the built DLL: real regsvr32 runs in this test
// prefix, and the registry is read back; COM then activates the class from
// what was written.
#include <windows.h>

#include <gtest/gtest.h>

#include <regex>

#include "../shellext/url_map.h"
#include "support/processes.h"
#include "support/registry_snapshot.h"
#include "support/temp_files.h"

namespace oddments {
namespace {

using test::KeyExists;
using test::ReadValue;
using test::RegTree;
using test::StringValue;
using test::TakeTree;

const HRESULT kRegistrationFailed = static_cast<HRESULT>(0xFFFFFFFE);
const std::string kClassID = "{FC02AD06-B816-4EA4-94BD-65178B1A0E10}";
const std::string kClassKey = "CLSID\\" + kClassID;
const std::string kDescription = "Oddments Shell Extension";
const std::string kShellExtensions = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Shell Extensions";
const std::string kApproved = kShellExtensions + "\\Approved";
const std::string kFileHandler = "*\\shellex\\ContextMenuHandlers\\Oddments";
const std::string kFolderHandler = "Folder\\shellex\\ContextMenuHandlers\\Oddments";

std::string BuiltDll() { return test::ProgramFolder() + "\\shexOddments.dll"; }

unsigned long Regsvr32(const std::string& dll, bool unregister = false) {
  const std::string line = unregister ? test::CommandLine({"regsvr32.exe", "/s", "/u", dll})
                                      : test::CommandLine({"regsvr32.exe", "/s", dll});
  return test::RunProcess(line).exitCode;
}

// A copy of the DLL under another file name, so under another ProgID.
std::string CopyDll(test::TempFolder& folder, const std::string& name) { return folder.AddCopy(BuiltDll(), name); }

// Everything registration writes, for comparing whole states.
struct RegisteredState {
  std::optional<RegTree> classKey, progID, files, folders, urlMap;
  std::optional<test::RegValue> approved;
  bool operator==(const RegisteredState&) const = default;
};

RegisteredState TakeRegisteredState() {
  return {TakeTree(HKEY_CLASSES_ROOT, kClassKey),  TakeTree(HKEY_CLASSES_ROOT, "shexOddments."),
          TakeTree(HKEY_CLASSES_ROOT, "*\\shellex"), TakeTree(HKEY_CLASSES_ROOT, "Folder\\shellex"),
          TakeTree(HKEY_CURRENT_USER, kUrlMapKey),  ReadValue(HKEY_LOCAL_MACHINE, kApproved, kClassID)};
}

// Each test starts with the class unknown to the system and leaves it so;
// the URL map and the approved list are put back as they were.
class Registration : public ::testing::Test {
 protected:
  void SetUp() override {
    urlMap_ = TakeTree(HKEY_CURRENT_USER, kUrlMapKey);
    approved_ = ReadValue(HKEY_LOCAL_MACHINE, kApproved, kClassID);
    RemoveTraces();
    test::PutTree(HKEY_CURRENT_USER, kUrlMapKey, std::nullopt);
  }
  void TearDown() override {
    RemoveTraces();
    test::PutTree(HKEY_CURRENT_USER, kUrlMapKey, urlMap_);
    if (approved_) {
      test::WriteString(HKEY_LOCAL_MACHINE, kApproved, kClassID, approved_->data.c_str());
    } else {
      RegDeleteKeyValueA(HKEY_LOCAL_MACHINE, kApproved.c_str(), kClassID.c_str());
    }
  }

  static void RemoveTraces() {
    for (const std::string& key : {kClassKey, std::string("shexOddments."), std::string("shexRenamed."),
                                   std::string("shexBlocked."), kFileHandler, kFolderHandler}) {
      test::PutTree(HKEY_CLASSES_ROOT, key, std::nullopt);
    }
  }

 private:
  std::optional<RegTree> urlMap_;
  std::optional<test::RegValue> approved_;
};

TEST_F(Registration, WritesTheClassItsHandlersTheApprovalAndTheUrlMap) {
  ASSERT_EQ(Regsvr32(BuiltDll()), 0u);

  EXPECT_EQ(ReadValue(HKEY_CLASSES_ROOT, kClassKey, ""), StringValue("", kDescription));
  EXPECT_EQ(ReadValue(HKEY_CLASSES_ROOT, kClassKey + "\\ProgID", ""), StringValue("", "shexOddments."));
  EXPECT_EQ(ReadValue(HKEY_CLASSES_ROOT, kClassKey + "\\InprocServer32", ""), StringValue("", BuiltDll()));
  EXPECT_EQ(ReadValue(HKEY_CLASSES_ROOT, kClassKey + "\\InprocServer32", "ThreadingModel"),
            StringValue("ThreadingModel", "Apartment"));
  EXPECT_EQ(ReadValue(HKEY_CLASSES_ROOT, "shexOddments.", ""), StringValue("", kDescription));
  EXPECT_EQ(ReadValue(HKEY_CLASSES_ROOT, "shexOddments.\\CLSID", ""), StringValue("", kClassID));

  for (const char* parent : {"*", "Folder"}) {
    SCOPED_TRACE(parent);
    const std::string shellex = std::string(parent) + "\\shellex";
    EXPECT_EQ(ReadValue(HKEY_CLASSES_ROOT, shellex, ""), StringValue("", ""));
    EXPECT_EQ(ReadValue(HKEY_CLASSES_ROOT, shellex + "\\ContextMenuHandlers", ""), StringValue("", ""));
    EXPECT_EQ(ReadValue(HKEY_CLASSES_ROOT, shellex + "\\ContextMenuHandlers\\Oddments", ""),
              StringValue("", kClassID));
  }
  EXPECT_EQ(ReadValue(HKEY_LOCAL_MACHINE, kApproved, kClassID), StringValue(kClassID, kDescription));
  EXPECT_EQ(ReadValue(HKEY_CURRENT_USER, kUrlMapKey, kSeededUrlPrefix),
            StringValue(kSeededUrlPrefix, "http://localhost"));
}

TEST_F(Registration, RegisteringTwiceGivesTheSameStateAsOnce) {
  ASSERT_EQ(Regsvr32(BuiltDll()), 0u);
  const RegisteredState once = TakeRegisteredState();
  ASSERT_EQ(Regsvr32(BuiltDll()), 0u);
  EXPECT_TRUE(TakeRegisteredState() == once);
}

TEST_F(Registration, RenamedCopyRegistersUnderItsOwnProgID) {
  test::TempFolder folder;
  const std::string copy = CopyDll(folder, "shexRenamed.dll");
  ASSERT_EQ(Regsvr32(copy), 0u);
  EXPECT_EQ(ReadValue(HKEY_CLASSES_ROOT, kClassKey + "\\ProgID", ""), StringValue("", "shexRenamed."));
  EXPECT_EQ(ReadValue(HKEY_CLASSES_ROOT, kClassKey + "\\InprocServer32", ""), StringValue("", copy));
  EXPECT_EQ(ReadValue(HKEY_CLASSES_ROOT, "shexRenamed.\\CLSID", ""), StringValue("", kClassID));
  EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, "shexOddments."));
  ASSERT_EQ(Regsvr32(copy, true), 0u);
}

TEST_F(Registration, UnregistrationRemovesExactlyTheClassAndHandlerKeys) {
  ASSERT_EQ(Regsvr32(BuiltDll()), 0u);
  ASSERT_EQ(Regsvr32(BuiltDll(), true), 0u);

  EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, kClassKey));
  EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, "shexOddments."));
  EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, kFileHandler));
  EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, kFolderHandler));
  EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, "*\\shellex\\ContextMenuHandlers"));
  EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, "Folder\\shellex\\ContextMenuHandlers"));
  EXPECT_EQ(ReadValue(HKEY_LOCAL_MACHINE, kApproved, kClassID), StringValue(kClassID, kDescription));
  EXPECT_EQ(ReadValue(HKEY_CURRENT_USER, kUrlMapKey, kSeededUrlPrefix),
            StringValue(kSeededUrlPrefix, "http://localhost"));
}

TEST_F(Registration, UnregisteringUnderAnotherFileNameLeavesTheOldProgID) {
  ASSERT_EQ(Regsvr32(BuiltDll()), 0u);
  test::TempFolder folder;
  const std::string copy = CopyDll(folder, "shexRenamed.dll");
  ASSERT_EQ(Regsvr32(copy, true), 0u);
  EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, kClassKey));
  EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, "shexOddments.\\CLSID"));
}

TEST_F(Registration, UnregisteringADllNeverRegisteredSucceeds) {
  EXPECT_EQ(Regsvr32(BuiltDll(), true), 0u);
  EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, kClassKey));
}

TEST_F(Registration, KeepsOtherUrlMapEntriesAndResetsTheSeededOne) {
  test::WriteString(HKEY_CURRENT_USER, kUrlMapKey, "D:\\web", "http://example.org");
  test::WriteString(HKEY_CURRENT_USER, kUrlMapKey, kSeededUrlPrefix, "http://changed.example");
  ASSERT_EQ(Regsvr32(BuiltDll()), 0u);
  EXPECT_EQ(ReadValue(HKEY_CURRENT_USER, kUrlMapKey, "D:\\web"), StringValue("D:\\web", "http://example.org"));
  EXPECT_EQ(ReadValue(HKEY_CURRENT_USER, kUrlMapKey, kSeededUrlPrefix),
            StringValue(kSeededUrlPrefix, "http://localhost"));
}

// Counts the windows this thread creates, a message box among them.
int g_windowsCreated = 0;
LRESULT CALLBACK CountWindows(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HCBT_CREATEWND) ++g_windowsCreated;
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

// Calls an export of a DLL loaded into this process, the way regsvr32 does,
// and counts the windows it makes.
HRESULT CallExport(const std::string& dll, const char* name, int& windows) {
  const HMODULE module = LoadLibraryA(dll.c_str());
  if (!module) return E_FAIL;
  using Export = HRESULT(STDAPICALLTYPE*)();
  const auto function = reinterpret_cast<Export>(reinterpret_cast<void*>(GetProcAddress(module, name)));
  const HHOOK hook = SetWindowsHookExA(WH_CBT, &CountWindows, nullptr, GetCurrentThreadId());
  g_windowsCreated = 0;
  const HRESULT result = function ? function() : E_FAIL;
  windows = g_windowsCreated;
  UnhookWindowsHookEx(hook);
  FreeLibrary(module);
  return result;
}

// A non-volatile key cannot be made below a volatile one: a key that really
// cannot be created.
void MakeVolatileKey(HKEY root, const std::string& path) {
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExA(root, path.c_str(), 0, nullptr, REG_OPTION_VOLATILE, KEY_ALL_ACCESS, nullptr, &key,
                            nullptr),
            ERROR_SUCCESS);
  RegCloseKey(key);
}

TEST_F(Registration, KeyThatCannotBeCreatedFailsSilentlyAndKeepsEarlierKeys) {
  test::TempFolder folder;
  const std::string copy = CopyDll(folder, "shexBlocked.dll");
  MakeVolatileKey(HKEY_CLASSES_ROOT, "shexBlocked.");
  int windows = -1;
  EXPECT_EQ(CallExport(copy, "DllRegisterServer", windows), kRegistrationFailed);
  EXPECT_EQ(windows, 0) << "registration shows nothing";

  EXPECT_EQ(ReadValue(HKEY_CLASSES_ROOT, kClassKey, ""), StringValue("", kDescription));
  EXPECT_EQ(ReadValue(HKEY_CLASSES_ROOT, kClassKey + "\\InprocServer32", ""), StringValue("", copy));
  EXPECT_EQ(ReadValue(HKEY_CLASSES_ROOT, "shexBlocked.", ""), StringValue("", kDescription));
  EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, "shexBlocked.\\CLSID")) << "the refused key";
  EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, kFileHandler)) << "no step after the failure runs";
  EXPECT_FALSE(ReadValue(HKEY_CURRENT_USER, kUrlMapKey, kSeededUrlPrefix));
}

TEST_F(Registration, ApprovedListThatCannotBeOpenedWritesNothingIntoItsParent) {
  const auto saved = TakeTree(HKEY_LOCAL_MACHINE, kShellExtensions);
  test::PutTree(HKEY_LOCAL_MACHINE, kShellExtensions, std::nullopt);
  MakeVolatileKey(HKEY_LOCAL_MACHINE, kShellExtensions);
  int windows = -1;
  const HRESULT result = CallExport(BuiltDll(), "DllRegisterServer", windows);
  const auto misplaced = ReadValue(HKEY_LOCAL_MACHINE, kShellExtensions, kClassID);
  const bool approvedMade = KeyExists(HKEY_LOCAL_MACHINE, kApproved);
  test::PutTree(HKEY_LOCAL_MACHINE, kShellExtensions, saved);

  EXPECT_EQ(result, kRegistrationFailed);
  EXPECT_EQ(windows, 0);
  EXPECT_FALSE(misplaced) << "the value landed in the parent key";
  EXPECT_FALSE(approvedMade);
  EXPECT_EQ(ReadValue(HKEY_CLASSES_ROOT, kFolderHandler, ""), StringValue("", kClassID))
      << "handler keys come before the approval";
  EXPECT_FALSE(ReadValue(HKEY_CURRENT_USER, kUrlMapKey, kSeededUrlPrefix)) << "the URL map comes after it";
}

TEST_F(Registration, ComActivatesTheRegisteredClassForRealFiles) {
  test::TempFolder folder;
  const std::string a = folder.AddFile("alpha.txt", "a"), b = folder.AddFile("beta.txt", "b");
  // Set read-only: a command that needs neither the clipboard nor a person.
  const std::string host =
      test::CommandLine({test::ProgramFolder() + "\\oddments-host.exe", "--run", "Set read-only", a, b});

  const auto unregistered = test::RunProcess(host);
  EXPECT_NE(unregistered.exitCode, 0u);
  EXPECT_NE(unregistered.output.find("not registered"), std::string::npos) << unregistered.output;

  ASSERT_EQ(Regsvr32(BuiltDll()), 0u);
  const auto registered = test::RunProcess(host);
  EXPECT_EQ(registered.exitCode, 0u) << registered.output;
  EXPECT_TRUE(std::regex_search(registered.output, std::regex(R"(CoCreateInstance\(CLSCTX_INPROC_SERVER[^\n]*= 0x00000000)")))
      << registered.output;
  EXPECT_TRUE(std::regex_search(registered.output, std::regex(R"(IShellExtInit::Initialize +=  ?0x00000000 S_OK)")))
      << registered.output;
  EXPECT_TRUE(GetFileAttributesA(b.c_str()) & FILE_ATTRIBUTE_READONLY) << "the command ran in the host";
}

}  // namespace
}  // namespace oddments
