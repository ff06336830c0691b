// The release's installer, run silently in this test prefix as a user or an
// administrator would run it, with the registry and the files read back. The
// installers come from the test setup: ODDMENTS_SETUP is this version's,
// ODDMENTS_OLDER_SETUP the same files labelled ODDMENTS_OLDER_VERSION.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>

#include "../shellext/url_map.h"
#include "support/clipboard.h"
#include "support/processes.h"
#include "support/registry_snapshot.h"
#include "support/temp_files.h"

namespace oddments {
namespace {

using test::kApproved;
using test::kClassID;
using test::kFileHandler;
using test::kServerKey;
using test::KeyExists;
using test::ReadValue;
using test::RegTree;
using test::StringValue;
using test::TakeTree;

const std::string kUninstallRoot = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
const std::string kUninstallKey = kUninstallRoot + "\\Oddments";
const std::string kProduct = "Oddments Shell Extension";

std::string Environment(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

std::string Expanded(const char* text) {
  char path[MAX_PATH] = {};
  ExpandEnvironmentStringsA(text, path, MAX_PATH);
  return path;
}

bool FileExists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

unsigned long RunSetup(const std::string& setup, const std::string& options = {}) {
  return test::RunProcess("\"" + setup + "\" /S" + (options.empty() ? "" : " " + options)).exitCode;
}

std::string Text(const std::optional<test::RegValue>& value) { return value ? value->data.c_str() : ""; }

// The uninstaller runs from a copy of itself, so that it can delete its own
// file; the process started here ends at once, and the copy is awaited by
// what it removes. The bound only keeps a hung uninstaller from hanging the
// test.
void RunQuietUninstall(HKEY hive) {
  const std::string command = Text(ReadValue(hive, kUninstallKey, "QuietUninstallString"));
  ASSERT_FALSE(command.empty());
  const std::string location = Text(ReadValue(hive, kUninstallKey, "InstallLocation"));
  ASSERT_EQ(test::RunProcess(command).exitCode, 0u);
  for (int wait = 0; wait < 600 && (KeyExists(hive, kUninstallKey) || FileExists(location)); ++wait) Sleep(100);
}

// What a user's own registration and a user's install touch.
struct UserState {
  test::RegistrationArea registration;
  RegTree uninstall;  // every program's entry; missing counts as empty
  bool operator==(const UserState&) const = default;
};
void PrintTo(const UserState& state, std::ostream* out) {
  *out << ::testing::PrintToString(state.registration) << "\nuninstall:" << ::testing::PrintToString(state.uninstall);
}
UserState TakeUserState() {
  // The uninstaller removes its own entry; the list's key, which Windows
  // keeps for every program, may stay.
  return {test::TakeRegistrationArea(HKEY_CURRENT_USER),
          TakeTree(HKEY_CURRENT_USER, kUninstallRoot).value_or(RegTree{})};
}

class Installer : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(FileExists(setup_)) << "ODDMENTS_SETUP names no installer: " << setup_;
    user_ = TakeUserState();
    urlMap_ = TakeTree(HKEY_CURRENT_USER, kUrlMapKey);
  }
  void TearDown() override { test::PutTree(HKEY_CURRENT_USER, kUrlMapKey, urlMap_); }

  const std::string setup_ = Environment("ODDMENTS_SETUP");
  const std::string version_ = Environment("ODDMENTS_VERSION");
  const std::string userFolder_ = Expanded("%LOCALAPPDATA%\\Programs\\Oddments");
  UserState user_;
  std::optional<RegTree> urlMap_;
};

void ExpectUninstallEntry(HKEY hive, const std::string& folder, const std::string& version, const char* mode) {
  const std::string uninstaller = "\"" + folder + "\\uninstall.exe\"" + mode;
  EXPECT_EQ(ReadValue(hive, kUninstallKey, "DisplayName"), StringValue("DisplayName", kProduct));
  EXPECT_EQ(ReadValue(hive, kUninstallKey, "DisplayVersion"), StringValue("DisplayVersion", version));
  EXPECT_EQ(ReadValue(hive, kUninstallKey, "Publisher"), StringValue("Publisher", "Marrowgate Code Workshop"));
  EXPECT_EQ(Text(ReadValue(hive, kUninstallKey, "DisplayIcon")), folder + "\\uninstall.exe,0");
  EXPECT_EQ(Text(ReadValue(hive, kUninstallKey, "UninstallString")), uninstaller);
  EXPECT_EQ(Text(ReadValue(hive, kUninstallKey, "QuietUninstallString")), uninstaller + " /S");
  const auto size = ReadValue(hive, kUninstallKey, "EstimatedSize");
  ASSERT_TRUE(size);
  EXPECT_EQ(size->type, static_cast<DWORD>(REG_DWORD));
  EXPECT_GT(*reinterpret_cast<const DWORD*>(size->data.data()), 100u) << "KiB of two DLLs";
}

TEST_F(Installer, PerUserInstallRegistersForTheUserAloneAndUninstallLeavesOnlyTheUrlMap) {
  ASSERT_EQ(RunSetup(setup_), 0u);

  for (const char* file : {"64-bit\\shexOddments.dll", "32-bit\\shexOddments.dll", "README.md", "LICENSE"}) {
    EXPECT_TRUE(FileExists(userFolder_ + "\\" + file)) << file;
  }
  const std::string dll = userFolder_ + "\\64-bit\\shexOddments.dll";
  EXPECT_EQ(Text(ReadValue(HKEY_CURRENT_USER, "Software\\Classes\\" + kServerKey, "")), dll)
      << "the 64-bit DLL, Explorer's, is the one the user's classes name";
  EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, "Software\\Classes\\" + kFileHandler));
  EXPECT_TRUE(ReadValue(HKEY_CURRENT_USER, kApproved, kClassID));
  EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, kServerKey)) << "registered for the machine";
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey));
  ExpectUninstallEntry(HKEY_CURRENT_USER, userFolder_, version_, "");

  // The installed DLL at work: Copy UNC through the host.
  test::TempFolder folder;
  const std::string file = folder.AddFile("installed.txt", "x");
  test::EmptyTheClipboard();
  const auto run = test::RunProcess(
      test::CommandLine({test::ProgramFolder() + "\\oddments-host.exe", "--dll", dll, "--run", "Copy UNC", file}));
  EXPECT_EQ(run.exitCode, 0u) << run.output;
  EXPECT_EQ(test::ClipboardBlock(CF_TEXT).value_or("").rfind(file, 0), 0u) << run.output;

  RunQuietUninstall(HKEY_CURRENT_USER);
  EXPECT_FALSE(FileExists(userFolder_));
  EXPECT_EQ(TakeUserState(), user_) << "the uninstaller left or took keys";
  EXPECT_EQ(ReadValue(HKEY_CURRENT_USER, kUrlMapKey, kSeededUrlPrefix),
            StringValue(kSeededUrlPrefix, "http://localhost"))
      << "the URL map is the user's";
}

TEST_F(Installer, AllUsersInstallRegistersBothDllsForTheMachine) {
  ASSERT_EQ(RunSetup(setup_, "/ALLUSERS"), 0u);
  const std::string folder = Expanded("%ProgramFiles%\\Oddments");

  EXPECT_EQ(Text(ReadValue(HKEY_CLASSES_ROOT, kServerKey, "")), folder + "\\64-bit\\shexOddments.dll");
  HKEY classes32 = nullptr;
  ASSERT_EQ(RegOpenKeyExA(HKEY_CLASSES_ROOT, kServerKey.c_str(), 0, KEY_READ | KEY_WOW64_32KEY, &classes32),
            ERROR_SUCCESS);
  char path32[MAX_PATH] = {};
  DWORD size = sizeof path32;
  RegQueryValueExA(classes32, "", nullptr, nullptr, reinterpret_cast<BYTE*>(path32), &size);
  RegCloseKey(classes32);
  EXPECT_EQ(std::string(path32), folder + "\\32-bit\\shexOddments.dll") << "the 32-bit view";
  EXPECT_TRUE(ReadValue(HKEY_LOCAL_MACHINE, kApproved, kClassID));
  ExpectUninstallEntry(HKEY_LOCAL_MACHINE, folder, version_, " /ALLUSERS");
  EXPECT_TRUE(TakeUserState() == user_) << "an install for everyone wrote the user's keys";

  RunQuietUninstall(HKEY_LOCAL_MACHINE);
  EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, kServerKey));
  EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, kFileHandler));
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey));
  EXPECT_FALSE(FileExists(folder));
}

int ProductEntries(HKEY hive) {
  const auto entries = TakeTree(hive, kUninstallRoot);
  int count = 0;
  for (const auto& [name, entry] : entries ? entries->subkeys : decltype(entries->subkeys){}) {
    for (const test::RegValue& value : entry.values) count += value == StringValue("DisplayName", kProduct);
  }
  return count;
}

TEST_F(Installer, InstallingOverAnOlderVersionLeavesOneEntryWithTheNewVersion) {
  const std::string older = Environment("ODDMENTS_OLDER_SETUP");
  ASSERT_EQ(RunSetup(older), 0u);
  ASSERT_EQ(Text(ReadValue(HKEY_CURRENT_USER, kUninstallKey, "DisplayVersion")),
            Environment("ODDMENTS_OLDER_VERSION"));

  ASSERT_EQ(RunSetup(setup_), 0u);
  EXPECT_EQ(ProductEntries(HKEY_CURRENT_USER), 1);
  ExpectUninstallEntry(HKEY_CURRENT_USER, userFolder_, version_, "");
  EXPECT_EQ(Text(ReadValue(HKEY_CURRENT_USER, "Software\\Classes\\" + kServerKey, "")),
            userFolder_ + "\\64-bit\\shexOddments.dll");

  RunQuietUninstall(HKEY_CURRENT_USER);
  EXPECT_TRUE(TakeUserState() == user_);
}

TEST_F(Installer, InstallingIntoAnotherFolderTakesTheEarlierOneAway) {
  ASSERT_EQ(RunSetup(Environment("ODDMENTS_OLDER_SETUP")), 0u);
  ASSERT_TRUE(FileExists(userFolder_ + "\\uninstall.exe"));
  const std::string elsewhere = Expanded("%LOCALAPPDATA%\\Programs\\Oddments Elsewhere");

  ASSERT_EQ(RunSetup(setup_, "/D=" + elsewhere), 0u);
  EXPECT_FALSE(FileExists(userFolder_)) << "the earlier folder stays behind";
  ExpectUninstallEntry(HKEY_CURRENT_USER, elsewhere, version_, "");
  EXPECT_EQ(Text(ReadValue(HKEY_CURRENT_USER, "Software\\Classes\\" + kServerKey, "")),
            elsewhere + "\\64-bit\\shexOddments.dll");

  RunQuietUninstall(HKEY_CURRENT_USER);
  EXPECT_FALSE(FileExists(elsewhere));
  EXPECT_TRUE(TakeUserState() == user_);
}

}  // namespace
}  // namespace oddments
