// Open URL under Wine with a real URL map in HKEY_CURRENT_USER, and a stand-in
// browser registered for a scheme of the test's own that records what the
// shell hands it.
#include <windows.h>

#include <gtest/gtest.h>

#include "../shellext/url_map.h"
#include "support/clipboard.h"
#include "support/drop_block.h"
#include "support/fake_data_object.h"
#include "support/message_boxes.h"
#include "support/module_environment.h"
#include "support/processes.h"
#include "support/registry_snapshot.h"
#include "support/temp_files.h"

namespace oddments {
namespace {

using namespace std::string_literals;

const auto* const g_environment = ::testing::AddGlobalTestEnvironment(new test::ModuleEnvironment);

constexpr UINT kOpenUrl = 5;
constexpr char kScheme[] = "oddments-test";
const std::string kNotFoundText =
    "Path not found in URL list, please edit registry key:\r\n"
    "  SOFTWARE\\Marrowgate Code Workshop\\Oddments\\URLs\r\n"
    "Select OK to copy the selected path onto the clipboard.";

std::string ReadFileText(const std::string& path) {
  const HANDLE file =
      CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return {};
  std::string text(GetFileSize(file, nullptr), '\0');
  DWORD got = 0;
  ReadFile(file, text.data(), static_cast<DWORD>(text.size()), &got, nullptr);
  CloseHandle(file);
  text.resize(got);
  return text;
}

// Each test starts with no URL map and ends with the user's map as it was.
class OpenUrl : public ::testing::Test {
 protected:
  void SetUp() override {
    savedMap_ = test::TakeTree(HKEY_CURRENT_USER, kUrlMapKey);
    test::PutTree(HKEY_CURRENT_USER, kUrlMapKey, std::nullopt);
    log_ = folder_.Path() + "\\opened.log";
    const std::string command =
        test::CommandLine({test::ProgramFolder() + "\\url_recorder.exe", log_}) + " \"%1\"";
    test::WriteString(HKEY_CLASSES_ROOT, kScheme, "URL Protocol", "");
    test::WriteString(HKEY_CLASSES_ROOT, std::string(kScheme) + "\\shell\\open\\command", "", command);
  }
  void TearDown() override {
    test::PutTree(HKEY_CURRENT_USER, kUrlMapKey, savedMap_);
    test::PutTree(HKEY_CLASSES_ROOT, kScheme, std::nullopt);
  }

  void MapEntry(const std::string& name, const std::string& url, DWORD type = REG_SZ) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, kUrlMapKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    RegSetValueExA(key, name.c_str(), 0, type, reinterpret_cast<const BYTE*>(url.data()),
                   static_cast<DWORD>(url.size()));
    RegCloseKey(key);
  }

  // Runs Open URL on paths, answering its box with answer; returns the
  // boxes it showed.
  std::vector<test::ShownBox> Run(const std::vector<std::string>& paths, int answer = IDCANCEL) {
    return RunOn(test::AnsiDropBlock(paths), answer);
  }
  std::vector<test::ShownBox> RunWide(const std::vector<std::u16string>& paths, int answer = IDCANCEL) {
    return RunOn(test::WideDropBlock(paths), answer);
  }
  std::vector<test::ShownBox> RunOn(const std::vector<std::byte>& selection, int answer) {
    const auto menu = test::HandlerWithSelection(selection);
    const test::MessageBoxCatcher boxes(answer);
    CMINVOKECOMMANDINFO info{};
    info.cbSize = sizeof info;
    info.lpVerb = MAKEINTRESOURCEA(kOpenUrl);
    EXPECT_EQ(menu->InvokeCommand(&info), S_OK);
    return boxes.Boxes();
  }

  // The URLs the stand-in browser received, once count have come or the
  // shell has had its time.
  std::string Opened(std::size_t count = 1) const {
    std::string text;
    for (int waited = 0; waited < 10000; waited += 50) {
      text = ReadFileText(log_);
      if (static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n')) >= count) break;
      Sleep(50);
    }
    return text;
  }

  // Proof that nothing was opened: a later URL arrives first.
  void ExpectNothingOpened() {
    MapEntry("", std::string(kScheme) + ":marker\0"s);
    Run({"after"});
    EXPECT_EQ(Opened(), std::string(kScheme) + ":markerafter\n");
  }

  test::TempFolder folder_;
  std::string log_;
  std::optional<test::RegTree> savedMap_;
};

TEST_F(OpenUrl, OpensTheFirstPathUnderTheFirstMatchingEntry) {
  MapEntry("C:\\Web", std::string(kScheme) + "://short\0"s);
  MapEntry("C:\\Web\\deeper", std::string(kScheme) + "://long\0"s);
  EXPECT_TRUE(Run({"c:\\WEB\\Docs\\Read Me #1.htm", "C:\\Web\\second.htm"}).empty());
  EXPECT_EQ(Opened(), std::string(kScheme) + "://short/Docs/Read Me #1.htm\n");
  Sleep(300);
  EXPECT_EQ(Opened(), std::string(kScheme) + "://short/Docs/Read Me #1.htm\n") << "only one URL is opened";
}

TEST_F(OpenUrl, TheDefaultValueMatchesEveryPath) {
  MapEntry("", std::string(kScheme) + ":\0"s);
  Run({"C:\\dir\\f.txt"});
  EXPECT_EQ(Opened(), std::string(kScheme) + ":C:/dir/f.txt\n");
}

// Whether %USERNAME% stays unexpanded is for the portable tests: Wine's own
// ShellExecute expands environment strings in what it is handed.
TEST_F(OpenUrl, ExpandableDataCountsAsTextAndUnterminatedDataIsKeptWhole) {
  MapEntry("C:\\a", std::string(kScheme) + ":expandable\0"s, REG_EXPAND_SZ);
  MapEntry("C:\\b", std::string(kScheme) + ":unterminated");
  Run({"C:\\a\\x"});
  EXPECT_EQ(Opened(), std::string(kScheme) + ":expandable/x\n");
  Run({"C:\\b\\y"});
  EXPECT_EQ(Opened(2), std::string(kScheme) + ":expandable/x\n" + kScheme + ":unterminated/y\n");
}

TEST_F(OpenUrl, AnEditCountsFromTheNextCommand) {
  MapEntry("C:\\site", std::string(kScheme) + ":old\0"s);
  Run({"C:\\site\\p"});
  EXPECT_EQ(Opened(), std::string(kScheme) + ":old/p\n");
  MapEntry("C:\\site", std::string(kScheme) + ":new\0"s);
  Run({"C:\\site\\p"});
  EXPECT_EQ(Opened(2), std::string(kScheme) + ":old/p\n" + kScheme + ":new/p\n");
}

TEST_F(OpenUrl, AMatchingValueThatIsNoStringShowsTheRegistryErrorAndOpensNothing) {
  const DWORD number = 42;
  MapEntry("C:\\num", std::string(reinterpret_cast<const char*>(&number), sizeof number), REG_DWORD);
  const auto boxes = Run({"C:\\num\\x"});
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes.front().text, "{ERegistryException}Invalid registry data type: \"C:\\num\"");
  EXPECT_EQ(boxes.front().caption, "Oddments");
  test::PutTree(HKEY_CURRENT_USER, kUrlMapKey, std::nullopt);
  ExpectNothingOpened();
}

TEST_F(OpenUrl, ValuesThatDoNotMatchAreNeverRead) {
  const DWORD number = 42;
  MapEntry("D:\\num", std::string(reinterpret_cast<const char*>(&number), sizeof number), REG_DWORD);
  MapEntry("C:\\ok", std::string(kScheme) + ":ok\0"s);
  EXPECT_TRUE(Run({"C:\\ok\\x"}).empty());
  EXPECT_EQ(Opened(), std::string(kScheme) + ":ok/x\n");
}

TEST_F(OpenUrl, WithoutAMatchTheBoxOffersThePathAndOkCopiesIt) {
  test::PutOnClipboard(CF_TEXT, "before\0"s);
  auto boxes = Run({"C:\\no\\map.txt"}, IDCANCEL);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes.front().caption, "Oddments: Open URL");
  EXPECT_EQ(boxes.front().text, kNotFoundText);
  EXPECT_TRUE(boxes.front().hasCancel);
  EXPECT_EQ(boxes.front().icon, LoadIcon(nullptr, IDI_EXCLAMATION));
  EXPECT_EQ(boxes.front().parent, GetDesktopWindow());
  EXPECT_EQ(test::ClipboardBlock(CF_TEXT), "before\0"s) << "Cancel leaves the clipboard";

  MapEntry("D:\\", std::string(kScheme) + ":d\0"s);
  boxes = Run({"C:\\no\\map.txt", "D:\\second"}, IDOK);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(test::ClipboardBlock(CF_TEXT), "C:\\no\\map.txt\0"s) << "OK copies the first path";
}

TEST_F(OpenUrl, AnEmptySelectionDoesNothing) {
  MapEntry("", std::string(kScheme) + ":x\0"s);
  EXPECT_TRUE(Run({}).empty());
  test::PutTree(HKEY_CURRENT_USER, kUrlMapKey, std::nullopt);
  ExpectNothingOpened();
}

TEST_F(OpenUrl, NamesOutsideTheCodePageKeepTheirCharactersInTheMapAndTheUrl) {
  const std::wstring name = L"C:\\Site\\\u0421\u0430\u0439\u0442", url = L"oddments-test://host";
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, kUrlMapKeyWide, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
            ERROR_SUCCESS);
  RegSetValueExW(key, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(url.c_str()),
                 static_cast<DWORD>((url.size() + 1) * sizeof(wchar_t)));
  RegCloseKey(key);
  EXPECT_TRUE(RunWide({u"c:\\site\\\u0421\u0430\u0439\u0442\\\u041F\u0440\u0438\u0432\u0435\u0442 \U0001F600.htm"}).empty());
  EXPECT_EQ(Opened(), "oddments-test://host/\u041F\u0440\u0438\u0432\u0435\u0442 \U0001F600.htm\n");
  const std::string deep(300, 'd');
  EXPECT_TRUE(RunWide({u"C:\\Site\\\u0421\u0430\u0439\u0442\\" + test::Widen(deep) + u".htm"}).empty());
  EXPECT_EQ(Opened(2), "oddments-test://host/\u041F\u0440\u0438\u0432\u0435\u0442 \U0001F600.htm\n"
                       "oddments-test://host/" + deep + ".htm\n") << "a path past MAX_PATH, whole";

  test::PutTree(HKEY_CURRENT_USER, kUrlMapKey, std::nullopt);
  const std::u16string unmapped = u"C:\\\u5831\u544A.txt";
  ASSERT_EQ(RunWide({unmapped}, IDOK).size(), 1u);
  EXPECT_EQ(test::ClipboardBlock(CF_UNICODETEXT), test::UnicodeTextBlock(unmapped))
      << "OK copies the path as Copy UNC does";
}

}  // namespace
}  // namespace oddments
