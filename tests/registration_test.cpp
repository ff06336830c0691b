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

using test::kApproved;
using test::kClassID;
using test::kFileHandler;
using test::kServerKey;
using test::kShellExtensions;
using test::KeyExists;
using test::ReadValue;
using test::RegTree;
using test::StringValue;
using test::TakeTree;

const HRESULT kRegistrationFailed = static_cast<HRESULT>(0xFFFFFFFE);
const std::string kClassKey = "CLSID\\" + kClassID;
const std::string kDescription = "Oddments Shell Extension";
const std::string kFolderHandler = "Folder\\shellex\\ContextMenuHandlers\\Oddments";

std::string BuiltDll() { return test::ProgramFolder() + "\\shexOddments.dll"; }

unsigned long Regsvr32(const std::string& dll, bool unregister = false) {
  const std::string line = unregister ? test::CommandLine({"regsvr32.exe", "/s", "/u", dll})
                                      : test::CommandLine({"regsvr32.exe", "/s", dll});
  return test::RunProcess(line).exitCode;
}

// regsvr32 /n /i:user: DllInstall alone, for the current user.
unsigned long Regsvr32PerUser(const std::string& dll, bool unregister = false) {
  const std::string line = unregister ? test::CommandLine({"regsvr32.exe", "/s", "/u", "/n", "/i:user", dll})
                                      : test::CommandLine({"regsvr32.exe", "/s", "/n", "/i:user", dll});
  return test::RunProcess(line).exitCode;
}

// Where one scope's registration lands: the classes' root with the prefix
// of their keys, and the root of the approved list.
struct Scope {
  HKEY classesRoot;
  std::string classes;
  HKEY approvedRoot;
};
const Scope kMachine{HKEY_CLASSES_ROOT, "", HKEY_LOCAL_MACHINE};
const Scope kUser{HKEY_CURRENT_USER, "Software\\Classes\\", HKEY_CURRENT_USER};

void ExpectRegistered(const Scope& scope, const std::string& dll) {
  const auto read = [&](const std::string& key, const std::string& name) {
    return ReadValue(scope.classesRoot, scope.classes + key, name);
  };
  EXPECT_EQ(read(kClassKey, ""), StringValue("", kDescription));
  EXPECT_EQ(read(kClassKey + "\\ProgID", ""), StringValue("", "shexOddments."));
  EXPECT_EQ(read(kServerKey, ""), StringValue("", dll));
  EXPECT_EQ(read(kServerKey, "ThreadingModel"), StringValue("ThreadingModel", "Apartment"));
  EXPECT_EQ(read("shexOddments.", ""), StringValue("", kDescription));
  EXPECT_EQ(read("shexOddments.\\CLSID", ""), StringValue("", kClassID));
  for (const char* parent : {"*", "Folder"}) {
    SCOPED_TRACE(parent);
    const std::string shellex = std::string(parent) + "\\shellex";
    EXPECT_EQ(read(shellex, ""), StringValue("", ""));
    EXPECT_EQ(read(shellex + "\\ContextMenuHandlers", ""), StringValue("", ""));
    EXPECT_EQ(read(shellex + "\\ContextMenuHandlers\\Oddments", ""), StringValue("", kClassID));
  }
  EXPECT_EQ(ReadValue(scope.approvedRoot, kApproved, kClassID), StringValue(kClassID, kDescription));
  EXPECT_EQ(ReadValue(HKEY_CURRENT_USER, kUrlMapKey, kSeededUrlPrefix),
            StringValue(kSeededUrlPrefix, "http://localhost"));
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
    userClasses_ = TakeTree(HKEY_CURRENT_USER, "Software\\Classes");
    userShellExtensions_ = TakeTree(HKEY_CURRENT_USER, kShellExtensions);
    urlMap_ = TakeTree(HKEY_CURRENT_USER, kUrlMapKey);
    approved_ = ReadValue(HKEY_LOCAL_MACHINE, kApproved, kClassID);
    RemoveTraces();
    test::PutTree(HKEY_CURRENT_USER, kUrlMapKey, std::nullopt);
  }
  void TearDown() override {
    RemoveTraces();
    test::PutTree(HKEY_CURRENT_USER, "Software\\Classes", userClasses_);
    test::PutTree(HKEY_CURRENT_USER, kShellExtensions, userShellExtensions_);
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
  std::optional<RegTree> userClasses_, userShellExtensions_, urlMap_;
  std::optional<test::RegValue> approved_;
};

TEST_F(Registration, WritesTheClassItsHandlersTheApprovalAndTheUrlMap) {
  ASSERT_EQ(Regsvr32(BuiltDll()), 0u);
  ExpectRegistered(kMachine, BuiltDll());
}

TEST_F(Registration, PerUserWritesTheSameKeysUnderTheUserAloneAndRemovesExactlyThem) {
  const test::RegistrationArea user = test::TakeRegistrationArea(HKEY_CURRENT_USER), machine = test::TakeRegistrationArea(HKEY_LOCAL_MACHINE);

  ASSERT_EQ(Regsvr32PerUser(BuiltDll()), 0u);
  ExpectRegistered(kUser, BuiltDll());
  EXPECT_EQ(test::TakeRegistrationArea(HKEY_LOCAL_MACHINE), machine) << "written under HKEY_LOCAL_MACHINE";

  ASSERT_EQ(Regsvr32PerUser(BuiltDll(), true), 0u);
  EXPECT_EQ(test::TakeRegistrationArea(HKEY_CURRENT_USER), user) << "per-user removal left or took something";
  EXPECT_EQ(test::TakeRegistrationArea(HKEY_LOCAL_MACHINE), machine);
  EXPECT_EQ(ReadValue(HKEY_CURRENT_USER, kUrlMapKey, kSeededUrlPrefix),
            StringValue(kSeededUrlPrefix, "http://localhost"))
      << "the URL map is the user's";
}

TEST_F(Registration, PerUserRemovalKeepsWhatElseLivesInTheUsersHandlerKeys) {
  const std::string other = "Software\\Classes\\*\\shellex\\ContextMenuHandlers\\Other";
  test::WriteString(HKEY_CURRENT_USER, other, "", "{00000000-0000-0000-0000-000000000001}");
  test::WriteString(HKEY_CURRENT_USER, kApproved, "{00000000-0000-0000-0000-000000000001}", "Other");
  ASSERT_EQ(Regsvr32PerUser(BuiltDll()), 0u);
  ASSERT_EQ(Regsvr32PerUser(BuiltDll(), true), 0u);
  EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, other));
  EXPECT_TRUE(ReadValue(HKEY_CURRENT_USER, kApproved, "{00000000-0000-0000-0000-000000000001}"));
  EXPECT_FALSE(ReadValue(HKEY_CURRENT_USER, kApproved, kClassID));
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kUser.classes + kFileHandler));
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kUser.classes + "Folder"));
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
  EXPECT_EQ(ReadValue(HKEY_CLASSES_ROOT, kServerKey, ""), StringValue("", copy));
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

using DllInstallExport = HRESULT(STDAPICALLTYPE*)(BOOL, PCWSTR);

HRESULT CallDllInstall(bool install, const wchar_t* commandLine) {
  const HMODULE module = LoadLibraryA(BuiltDll().c_str());
  if (!module) return E_FAIL;
  const auto function =
      reinterpret_cast<DllInstallExport>(reinterpret_cast<void*>(GetProcAddress(module, "DllInstall")));
  const HRESULT result = function ? function(install, commandLine) : E_FAIL;
  FreeLibrary(module);
  return result;
}

TEST_F(Registration, DllInstallTakesUserOrMachineInAnyCaseAndRefusesAnythingElse) {
  struct Case {
    const wchar_t* commandLine;
    const Scope* scope;  // null: refused
  };
  const Case cases[] = {{L"user", &kUser},       {L"USER", &kUser},   {L"Machine", &kMachine},
                        {L"", &kMachine},        {nullptr, &kMachine}, {L"everyone", nullptr},
                        {L"user ", nullptr},     {L"/i:user", nullptr}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "case " << &c - cases);
    const test::RegistrationArea user = test::TakeRegistrationArea(HKEY_CURRENT_USER);
    const RegisteredState machine = TakeRegisteredState();
    if (!c.scope) {
      EXPECT_EQ(CallDllInstall(true, c.commandLine), E_INVALIDARG);
      EXPECT_EQ(CallDllInstall(false, c.commandLine), E_INVALIDARG);
      EXPECT_TRUE(test::TakeRegistrationArea(HKEY_CURRENT_USER) == user);
      EXPECT_TRUE(TakeRegisteredState() == machine) << "refused, yet written: the URL map seeded?";
      continue;
    }
    const Scope& other = c.scope == &kUser ? kMachine : kUser;
    ASSERT_EQ(CallDllInstall(true, c.commandLine), S_OK);
    EXPECT_EQ(ReadValue(c.scope->classesRoot, c.scope->classes + kFileHandler, ""), StringValue("", kClassID));
    EXPECT_FALSE(KeyExists(other.classesRoot, other.classes + kFileHandler)) << "registered in the other scope";
    ASSERT_EQ(CallDllInstall(false, c.commandLine), S_OK);
    EXPECT_FALSE(KeyExists(c.scope->classesRoot, c.scope->classes + kClassKey));
    RemoveTraces();
    test::PutTree(HKEY_CURRENT_USER, kUrlMapKey, std::nullopt);
  }
}

// Wine's COM reads HKEY_CLASSES_ROOT from the machine's classes alone, so
// the host is handed the DLL that the per-user registration names.
TEST_F(Registration, HostCreatesTheClassFromThePerUserRegistrationsDll) {
  test::TempFolder folder;
  const std::string a = folder.AddFile("alpha.txt", "a"), b = folder.AddFile("beta.txt", "b");
  ASSERT_EQ(Regsvr32PerUser(BuiltDll()), 0u);
  const auto server = ReadValue(HKEY_CURRENT_USER, kUser.classes + kServerKey, "");
  ASSERT_TRUE(server);
  const std::string dll = server->data.c_str();

  const auto run = test::RunProcess(test::CommandLine(
      {test::ProgramFolder() + "\\oddments-host.exe", "--dll", dll, "--run", "Set read-only", a, b}));
  EXPECT_EQ(run.exitCode, 0u) << run.output;
  EXPECT_TRUE(GetFileAttributesA(b.c_str()) & FILE_ATTRIBUTE_READONLY) << run.output;
  ASSERT_EQ(Regsvr32PerUser(BuiltDll(), true), 0u);
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
  EXPECT_EQ(ReadValue(HKEY_CLASSES_ROOT, kServerKey, ""), StringValue("", copy));
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
