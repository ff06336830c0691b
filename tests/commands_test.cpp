// The clipboard writer and the Copy UNC, Set read-only and Touch commands on
// a real clipboard and real files.
#include <windows.h>

#include <gtest/gtest.h>

#include <regex>

#include "../shellext/clipboard.h"
#include "support/clipboard.h"
#include "support/drop_block.h"
#include "support/fake_data_object.h"
#include "support/message_boxes.h"
#include "support/module_environment.h"
#include "support/temp_files.h"

namespace oddments {
namespace {

using test::ClipboardBlock;
using test::UnicodeTextBlock;
using test::HoldCtrl;

const auto* const g_environment = ::testing::AddGlobalTestEnvironment(new test::ModuleEnvironment);

// A handler whose selection is paths, ready for its menu commands.
ComPtr<IContextMenu> HandlerFor(const std::vector<std::string>& paths) {
  return test::HandlerWithSelection(test::AnsiDropBlock(paths));
}
ComPtr<IContextMenu> HandlerFor(const std::vector<std::u16string>& paths) {
  return test::HandlerWithSelection(test::WideDropBlock(paths));
}

HRESULT RunEntry(const ComPtr<IContextMenu>& menu, UINT offset, bool ctrl = false) {
  HoldCtrl(ctrl);
  CMINVOKECOMMANDINFO info{};
  info.cbSize = sizeof info;
  info.lpVerb = MAKEINTRESOURCEA(offset);
  const HRESULT result = menu->InvokeCommand(&info);
  HoldCtrl(false);
  return result;
}

constexpr UINT kCopyUnc = 1, kReadOnly = 3, kTouch = 4;

TEST(ClipboardWriter, PutsTheTextExactlyAsUnicodeAndConvertedAsAnsiInOneOpening) {
  using namespace std::string_literals;
  for (const std::string& ascii : {"a\r\nb"s, "zero\0inside"s, ""s}) {
    ClipboardAsText(test::Widen(ascii));
    EXPECT_EQ(ClipboardBlock(CF_UNICODETEXT), UnicodeTextBlock(test::Widen(ascii))) << "text of " << ascii.size();
    EXPECT_EQ(ClipboardBlock(CF_TEXT), ascii + '\0');
  }
  const std::u16string name = u"C:\\caf\u00E9 \u0416\U0001F600";
  ClipboardAsText(name);
  EXPECT_EQ(ClipboardBlock(CF_UNICODETEXT), UnicodeTextBlock(name));
  EXPECT_EQ(ClipboardBlock(CF_TEXT), test::DragQueryFileAnsi(test::WideDropBlock({name})).at(0) + '\0')
      << "as the shell's ANSI call converts a name";
  const auto formats = test::ClipboardFormats();
  ASSERT_GE(formats.size(), 2u);
  EXPECT_EQ(formats[0], static_cast<UINT>(CF_UNICODETEXT));
  EXPECT_EQ(formats[1], static_cast<UINT>(CF_TEXT)) << "both set by the writer, the exact one first";
}

TEST(ClipboardWriter, ClipboardHeldByAnotherProgramFailsAtOnceAndKeepsItsContent) {
  test::PutOnClipboard(CF_UNICODETEXT, std::string("k\0e\0p\0t\0\0\0", 10));
  DWORD code = 0;
  std::string message;
  {
    const test::ClipboardHolder holder;
    try {
      ClipboardAsText(u"new");
      ADD_FAILURE() << "no failure raised";
    } catch (const EOSError& failure) {
      code = failure.ErrorCode();
      message = failure.Message();
    }
  }
  EXPECT_NE(code, 0u);
  char systemText[255] = {};
  FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0x400, systemText,
                 sizeof systemText, nullptr);
  EXPECT_EQ(message, "System error, (OS Code " + std::to_string(code) + "):\r\n" + systemText);
  EXPECT_EQ(ClipboardBlock(CF_UNICODETEXT), std::string("k\0e\0p\0t\0\0\0", 10));
}

TEST(ClipboardWriter, CodeZeroHasItsOwnMessage) {
  EXPECT_EQ(EOSError(0).Message(), "An operating system call failed.");
  EXPECT_STREQ(EOSError(5).KindName(), "EOSError");
}

TEST(CopyUnc, JoinsPathsWithCrLfAndTrimsOnlyTheEnds) {
  const auto menu = HandlerFor({" \tC:\\first ", " C:\\middle dir\\ ", "\\\\server\\share\\last.txt \r\n"});
  ASSERT_EQ(RunEntry(menu, kCopyUnc), S_OK);
  EXPECT_EQ(ClipboardBlock(CF_TEXT),
            std::string("C:\\first \r\n C:\\middle dir\\ \r\n\\\\server\\share\\last.txt") + '\0');
}

TEST(CopyUnc, OnePathHasNoLineBreakAndNoPathGivesEmptyText) {
  ASSERT_EQ(RunEntry(HandlerFor({"Z:\\mapped\\file.txt"}), kCopyUnc), S_OK);
  EXPECT_EQ(ClipboardBlock(CF_TEXT), std::string("Z:\\mapped\\file.txt") + '\0');
  ASSERT_EQ(RunEntry(HandlerFor(std::vector<std::string>{}), kCopyUnc), S_OK);
  EXPECT_EQ(ClipboardBlock(CF_TEXT), std::string(1, '\0'));
}

TEST(CopyUnc, CtrlCopiesNamesAndTheNamesStay) {
  const auto menu = HandlerFor({"C:\\", "C:\\dir\\a.txt", "D:\\", "plain", "C:\\x/y\\b c", "E:\\"});
  ASSERT_EQ(RunEntry(menu, kCopyUnc, true), S_OK);
  EXPECT_EQ(ClipboardBlock(CF_TEXT), std::string("a.txt\r\n\r\nplain\r\nb c") + '\0')
      << "roots give empty names: between others an empty line, at the ends trimmed away";

  ASSERT_EQ(RunEntry(menu, kCopyUnc, false), S_OK);
  EXPECT_EQ(ClipboardBlock(CF_TEXT), std::string("a.txt\r\n\r\nplain\r\nb c") + '\0')
      << "a later command sees the names";
}

TEST(CopyUnc, HeldClipboardShowsTheSystemsErrorAndKeepsTheOldText) {
  test::PutOnClipboard(CF_TEXT, std::string("old", 4));
  const test::MessageBoxCatcher boxes;
  {
    const test::ClipboardHolder holder;
    EXPECT_EQ(RunEntry(HandlerFor({"C:\\a"}), kCopyUnc), S_OK);
  }
  ASSERT_EQ(boxes.Boxes().size(), 1u);
  std::smatch code;
  const std::string text = boxes.Boxes().front().text;
  ASSERT_TRUE(std::regex_search(text, code, std::regex(R"(^\{EOSError\}System error, \(OS Code (\d+)\):\r\n)"))) << text;
  EXPECT_EQ(text.substr(code.length(0)), EOSError(std::stoul(code[1])).Message().substr(code.length(0) - 10));
  EXPECT_EQ(ClipboardBlock(CF_TEXT), std::string("old", 4));
}

DWORD Attributes(const std::string& path) { return GetFileAttributesA(path.c_str()); }

TEST(ReadOnly, SetsAndClearsOnlyTheReadOnlyBitOfFiles) {
  test::TempFolder folder;
  const std::string plain = folder.AddFile("plain.txt"), hidden = folder.AddFile("hidden.txt");
  const std::string already = folder.AddFile("already.txt");
  ASSERT_TRUE(SetFileAttributesA(hidden.c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM));
  ASSERT_TRUE(SetFileAttributesA(already.c_str(), FILE_ATTRIBUTE_READONLY));
  const DWORD plainBefore = Attributes(plain), hiddenBefore = Attributes(hidden), alreadyBefore = Attributes(already);
  const auto menu = HandlerFor({plain, hidden, already});

  ASSERT_EQ(RunEntry(menu, kReadOnly), S_OK);
  EXPECT_EQ(Attributes(plain), plainBefore | FILE_ATTRIBUTE_READONLY);
  EXPECT_EQ(Attributes(hidden), hiddenBefore | FILE_ATTRIBUTE_READONLY);
  EXPECT_EQ(Attributes(already), alreadyBefore) << "already read-only stays so";

  ASSERT_EQ(RunEntry(menu, kReadOnly, true), S_OK);
  EXPECT_EQ(Attributes(plain), plainBefore);
  EXPECT_EQ(Attributes(hidden), hiddenBefore);
  EXPECT_EQ(Attributes(already), alreadyBefore & ~FILE_ATTRIBUTE_READONLY);
}

TEST(ReadOnly, TreatsAFolderLikeAFileWithoutRecursing) {
  test::TempFolder folder;
  const std::string dir = folder.AddFolder("dir");
  const std::string inner = folder.AddFile("dir\\inner.txt");
  const DWORD before = Attributes(dir);
  ASSERT_EQ(RunEntry(HandlerFor({dir}), kReadOnly), S_OK);
  const DWORD after = Attributes(dir);
  ASSERT_EQ(RunEntry(HandlerFor({dir}), kReadOnly, true), S_OK);
  EXPECT_EQ(Attributes(dir), before);
  EXPECT_EQ(Attributes(inner) & FILE_ATTRIBUTE_READONLY, 0u) << "nothing recurses";
  if (!SetFileAttributesA(dir.c_str(), FILE_ATTRIBUTE_READONLY) || !(Attributes(dir) & FILE_ATTRIBUTE_READONLY)) {
    GTEST_SKIP() << "this file system keeps no read-only bit on folders (Wine)";
  }
  SetFileAttributesA(dir.c_str(), before);
  EXPECT_EQ(after, before | FILE_ATTRIBUTE_READONLY);
}

TEST(ReadOnly, MissingPathIsSkippedAndTheRestAreDone) {
  test::TempFolder folder;
  const std::string a = folder.AddFile("a"), b = folder.AddFile("b");
  const test::MessageBoxCatcher boxes;
  ASSERT_EQ(RunEntry(HandlerFor({a, folder.Path() + "\\missing", b}), kReadOnly), S_OK);
  EXPECT_TRUE(Attributes(a) & FILE_ATTRIBUTE_READONLY);
  EXPECT_TRUE(Attributes(b) & FILE_ATTRIBUTE_READONLY);
  EXPECT_EQ(Attributes(folder.Path() + "\\missing"), INVALID_FILE_ATTRIBUTES) << "nothing made in its place";
  EXPECT_TRUE(boxes.Boxes().empty());
}

struct FileTimes {
  FILETIME creation{}, access{}, write{};
};

FileTimes TimesOf(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data);
  return {data.ftCreationTime, data.ftLastAccessTime, data.ftLastWriteTime};
}

ULONGLONG Ticks(const FILETIME& time) { return (ULONGLONG{time.dwHighDateTime} << 32) | time.dwLowDateTime; }

const FILETIME kOldTime{0x2A69C000, 0x01C0A2A7};  // in 2001

void SetOldTimes(const std::string& path, DWORD flags = 0) {
  const HANDLE file = CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_EXISTING, flags, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  SetFileTime(file, &kOldTime, &kOldTime, &kOldTime);
  CloseHandle(file);
}

ULONGLONG NowTicks() {
  FILETIME now;
  GetSystemTimeAsFileTime(&now);
  return Ticks(now);
}

// Whether this file system keeps a file's creation time when only its
// write time is set; Wine on Linux reports one that follows the others.
bool KeepsCreationTimes(test::TempFolder& folder) {
  const std::string probe = folder.AddFile("probe");
  SetOldTimes(probe);
  const FILETIME later{0, 0x01D00000};
  const HANDLE file = CreateFileA(probe.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  SetFileTime(file, nullptr, nullptr, &later);
  CloseHandle(file);
  return Ticks(TimesOf(probe).creation) == Ticks(kOldTime);
}

TEST(Touch, SetsOnlyTheLastWriteTimeToTheEvenSecondOfNow) {
  test::TempFolder folder;
  const std::string file = folder.AddFile("touch.txt", "data");
  SetOldTimes(file);
  const FileTimes before = TimesOf(file);
  const ULONGLONG start = NowTicks();
  ASSERT_EQ(RunEntry(HandlerFor({file}), kTouch), S_OK);
  const ULONGLONG end = NowTicks();

  const FileTimes after = TimesOf(file);
  if (KeepsCreationTimes(folder)) {
    EXPECT_EQ(Ticks(after.creation), Ticks(before.creation));
  }
  EXPECT_EQ(Ticks(after.access), Ticks(before.access));
  FILETIME local;
  SYSTEMTIME written;
  FileTimeToLocalFileTime(&after.write, &local);
  FileTimeToSystemTime(&local, &written);
  EXPECT_EQ(written.wSecond % 2, 0) << "second " << written.wSecond;
  EXPECT_EQ(written.wMilliseconds, 0);
  constexpr ULONGLONG kTwoSeconds = 20'000'000;
  EXPECT_GE(Ticks(after.write) + kTwoSeconds, start);
  EXPECT_LE(Ticks(after.write), end);
  WIN32_FILE_ATTRIBUTE_DATA data{};
  GetFileAttributesExA(file.c_str(), GetFileExInfoStandard, &data);
  EXPECT_EQ(data.nFileSizeLow, 4u) << "contents untouched";
}

// Whether a read-only file refuses to be opened for writing; it does not
// for root under Wine.
bool ReadOnlyRefusesWriting(const std::string& readOnlyFile) {
  const HANDLE file = CreateFileA(readOnlyFile.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return true;
  CloseHandle(file);
  return false;
}

TEST(Touch, FilesItCannotOpenKeepTheirTimesAndTheRestAreTouched) {
  test::TempFolder folder;
  const std::string dir = folder.AddFolder("dir");
  const std::string readOnly = folder.AddFile("read-only.txt");
  const std::string busy = folder.AddFile("busy.txt");
  const std::string last = folder.AddFile("last.txt");
  for (const auto& path : {readOnly, busy, last}) SetOldTimes(path);
  SetOldTimes(dir, FILE_FLAG_BACKUP_SEMANTICS);
  SetFileAttributesA(readOnly.c_str(), FILE_ATTRIBUTE_READONLY);
  const HANDLE held = CreateFileA(busy.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                  nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  const test::MessageBoxCatcher boxes;

  ASSERT_EQ(RunEntry(HandlerFor({dir, readOnly, busy, folder.Path() + "\\missing", last}), kTouch), S_OK);
  CloseHandle(held);
  EXPECT_EQ(Ticks(TimesOf(dir).write), Ticks(kOldTime)) << "folder";
  if (ReadOnlyRefusesWriting(readOnly)) {
    EXPECT_EQ(Ticks(TimesOf(readOnly).write), Ticks(kOldTime)) << "read-only file";
  }
  EXPECT_EQ(Ticks(TimesOf(busy).write), Ticks(kOldTime)) << "file held open";
  EXPECT_NE(Ticks(TimesOf(last).write), Ticks(kOldTime)) << "the path after them";
  EXPECT_TRUE(boxes.Boxes().empty());
}

// Names that no Western code page holds: Cyrillic, CJK, and an emoji that
// takes a surrogate pair; and a path longer than the plain calls take, in
// folders of ordinary length.
std::vector<std::u16string> AnyNames(test::TempFolder& folder) {
  std::vector<std::u16string> paths{folder.AddFile(u"\u041F\u0440\u0438\u0432\u0435\u0442.txt", "1"),
                                    folder.AddFile(u"\u5831\u544A \u66F8.txt", "2"),
                                    folder.AddFile(u"smile \U0001F600.txt", "3")};
  paths.push_back(folder.AddDeepFile(u"long \u0416.txt", "4"));
  EXPECT_GT(paths.back().size(), 300u);
  return paths;
}

// The path as the test reaches it, however long.
std::wstring Extended(const std::u16string& path) { return L"\\\\?\\" + test::WidePath(path); }

DWORD Attributes(const std::u16string& path) { return GetFileAttributesW(Extended(path).c_str()); }

ULONGLONG WriteTicks(const std::u16string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  GetFileAttributesExW(Extended(path).c_str(), GetFileExInfoStandard, &data);
  return Ticks(data.ftLastWriteTime);
}

TEST(AnyFileName, CopyUncCopiesEveryNameWholeAsUnicodeAndAsTheShellsAnsi) {
  test::TempFolder folder;
  const std::vector<std::u16string> paths = AnyNames(folder);
  const auto menu = HandlerFor(paths);
  std::string ansi;
  for (const std::string& path : test::DragQueryFileAnsi(test::WideDropBlock(paths))) ansi += path + "\r\n";
  ansi.resize(ansi.size() - 2);

  ASSERT_EQ(RunEntry(menu, kCopyUnc), S_OK);
  std::u16string joined;
  for (const auto& path : paths) joined += path + u"\r\n";
  joined.resize(joined.size() - 2);
  EXPECT_EQ(ClipboardBlock(CF_UNICODETEXT), UnicodeTextBlock(joined));
  EXPECT_EQ(ClipboardBlock(CF_TEXT), ansi + '\0');

  ASSERT_EQ(RunEntry(menu, kCopyUnc, true), S_OK);
  EXPECT_EQ(ClipboardBlock(CF_UNICODETEXT),
            UnicodeTextBlock(u"\u041F\u0440\u0438\u0432\u0435\u0442.txt\r\n\u5831\u544A \u66F8.txt\r\n"
                         u"smile \U0001F600.txt\r\nlong \u0416.txt"));
}

TEST(AnyFileName, ReadOnlyAndTouchReachEveryName) {
  test::TempFolder folder;
  const std::vector<std::u16string> paths = AnyNames(folder);
  for (const auto& path : paths) {
    const HANDLE file = CreateFileW(Extended(path).c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0,
                                    nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    SetFileTime(file, nullptr, nullptr, &kOldTime);
    CloseHandle(file);
  }
  const auto menu = HandlerFor(paths);
  ASSERT_EQ(RunEntry(menu, kTouch), S_OK);
  ASSERT_EQ(RunEntry(menu, kReadOnly), S_OK);
  for (const auto& path : paths) {
    SCOPED_TRACE(test::Utf8(path));
    EXPECT_NE(WriteTicks(path), Ticks(kOldTime)) << "touched";
    EXPECT_TRUE(Attributes(path) & FILE_ATTRIBUTE_READONLY);
  }
  ASSERT_EQ(RunEntry(menu, kReadOnly, true), S_OK);
  for (const auto& path : paths) EXPECT_FALSE(Attributes(path) & FILE_ATTRIBUTE_READONLY) << test::Utf8(path);
}

}  // namespace
}  // namespace oddments
