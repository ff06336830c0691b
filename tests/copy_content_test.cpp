// Copy content on real files and a real clipboard: the three kinds of file,
// the join order, Ctrl-append, and the failures that leave the clipboard as
// it was.
#include <windows.h>
#include <winioctl.h>

#include <gtest/gtest.h>

#include <string_view>

#include "support/clipboard.h"
#include "support/drop_block.h"
#include "support/fake_data_object.h"
#include "support/message_boxes.h"
#include "support/module_environment.h"
#include "support/temp_files.h"

namespace oddments {
namespace {

using namespace std::string_literals;
using test::ClipboardBlock;
using test::UnicodeTextBlock;

const auto* const g_environment = ::testing::AddGlobalTestEnvironment(new test::ModuleEnvironment);

constexpr UINT kCopyContent = 2;

// Runs Copy content on paths; returns the message boxes it showed.
std::vector<test::ShownBox> CopyContentOf(const std::vector<std::byte>& selection, bool ctrl = false) {
  const auto menu = test::HandlerWithSelection(selection);
  const test::MessageBoxCatcher boxes;
  test::HoldCtrl(ctrl);
  CMINVOKECOMMANDINFO info{};
  info.cbSize = sizeof info;
  info.lpVerb = MAKEINTRESOURCEA(kCopyContent);
  EXPECT_EQ(menu->InvokeCommand(&info), S_OK);
  test::HoldCtrl(false);
  return boxes.Boxes();
}
std::vector<test::ShownBox> CopyContent(const std::vector<std::string>& paths, bool ctrl = false) {
  return CopyContentOf(test::AnsiDropBlock(paths), ctrl);
}
std::vector<test::ShownBox> CopyContent(const std::vector<std::u16string>& paths) {
  return CopyContentOf(test::WideDropBlock(paths));
}

struct Case {
  const char* name;
  std::string bytes;
  std::u16string text;
};

TEST(CopyContent, DecodesEachKindOfFileByItsMark) {
  const Case cases[] = {
      {"ANSI", "abc", u"abc"},
      {"ANSI, Western code page", "\x80\xE9\xC3\xA9", u"\u20AC\u00E9\u00C3\u00A9"},
      {"ANSI, zero bytes kept", "a\0b"s, u"a\0b"s},
      {"ANSI, CR LF kept", "a\r\nb", u"a\r\nb"},
      {"UTF-16", "\xFF\xFE" "A\0"s, u"A"},
      {"UTF-16, odd last byte", "\xFF\xFE" "A\0B"s, u"A"},
      {"UTF-16, zero unit kept", "\xFF\xFE" "A\0\0\0B\0"s, u"A\0B"s},
      {"UTF-16, mark alone", "\xFF\xFE", u""},
      {"UTF-16 mark on UTF-32", "\xFF\xFE\0\0" "A\0\0\0"s, u"\0A\0"s},
      {"UTF-8", "\xEF\xBB\xBF\xC3\xA9", u"\u00E9"},
      {"UTF-8, four bytes", "\xEF\xBB\xBF\xF0\x9F\x98\x80", u"\U0001F600"},
      {"UTF-8, overlong", "\xEF\xBB\xBF\xC0\xAF", u"?"},
      {"UTF-8, cut short at the end", "\xEF\xBB\xBFok\xE2\x82", u"ok?"},
      {"UTF-8, mark alone", "\xEF\xBB\xBF", u""},
      {"big-endian mark read as ANSI", "\xFE\xFF\0A"s, u"\u00FE\u00FF\0A"s},
      {"one byte", "x", u"x"},
      {"empty", "", u""},
  };
  test::TempFolder folder;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string path = folder.AddFile(std::string("case ") + std::to_string(&c - cases) + ".txt", c.bytes);
    EXPECT_TRUE(CopyContent({path}).empty());
    EXPECT_EQ(ClipboardBlock(CF_UNICODETEXT), UnicodeTextBlock(c.text));
  }
}

TEST(CopyContent, JoinsFromTheLastSelectedFileToTheFirstWithNothingBetween) {
  test::TempFolder folder;
  const std::string a = folder.AddFile("a.txt", "first line\r\n");
  const std::string b = folder.AddFile("b.txt", "\xEF\xBB\xBFsecond");
  const std::string c = folder.AddFile("c.txt", "\xFF\xFE" "3\0"s);
  EXPECT_TRUE(CopyContent({a, b, c}).empty());
  EXPECT_EQ(ClipboardBlock(CF_UNICODETEXT), UnicodeTextBlock(u"3secondfirst line\r\n"));
  const auto formats = test::ClipboardFormats();
  ASSERT_FALSE(formats.empty());
  EXPECT_EQ(formats.front(), static_cast<UINT>(CF_UNICODETEXT));
}

TEST(CopyContent, AnyFileThatCannotBeOpenedEndsItWithTheClipboardUntouched) {
  test::TempFolder folder;
  const std::string good = folder.AddFile("good.txt", "good");
  const std::string busy = folder.AddFile("busy.txt", "busy");
  const std::string dir = folder.AddFolder("dir");
  const HANDLE writer = CreateFileA(busy.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(writer, INVALID_HANDLE_VALUE);
  for (const std::string& bad : {dir, folder.Path() + "\\missing.txt", busy}) {
    SCOPED_TRACE(bad);
    test::PutOnClipboard(CF_TEXT, "kept\0"s);
    const auto boxes = CopyContent({good, bad, good});
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes.front().text, "{EFOpenError}Unable to open file \"" + bad + "\"");
    EXPECT_EQ(boxes.front().caption, "Oddments");
    EXPECT_EQ(ClipboardBlock(CF_TEXT), "kept\0"s);
  }
  CloseHandle(writer);
}

TEST(CopyContent, ADeviceOrAReadThatFailsIsAnErrorAndNeverAnEmptyText) {
  test::TempFolder folder;
  const std::string good = folder.AddFile("good.txt", "good");
  for (const std::string device : {"NUL", "COM1", "\\\\.\\C:"}) {
    SCOPED_TRACE(device);
    test::PutOnClipboard(CF_UNICODETEXT, UnicodeTextBlock(u"kept"));
    const auto boxes = CopyContent({good, device});
    ASSERT_EQ(boxes.size(), 1u) << "an empty success";
    EXPECT_TRUE(boxes.front().text == "{EReadError}Unable to read file \"" + device + "\"" ||
                boxes.front().text == "{EFOpenError}Unable to open file \"" + device + "\"")
        << boxes.front().text;
    EXPECT_EQ(ClipboardBlock(CF_UNICODETEXT), UnicodeTextBlock(u"kept"));
  }

  // Linux's sysfs reports 4096 bytes for this file and delivers a few: a
  // read that stops part-way, on a file Wine serves as an ordinary one.
  const std::string shortRead = "Z:\\sys\\devices\\system\\cpu\\online";
  if (GetFileAttributesA(shortRead.c_str()) == INVALID_FILE_ATTRIBUTES) GTEST_SKIP() << "no sysfs here";
  test::PutOnClipboard(CF_UNICODETEXT, UnicodeTextBlock(u"kept"));
  const auto boxes = CopyContent({good, shortRead, good});
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes.front().text, "{EReadError}Unable to read file \"" + shortRead + "\"");
  EXPECT_EQ(ClipboardBlock(CF_UNICODETEXT), UnicodeTextBlock(u"kept"));
}

TEST(CopyContent, CtrlAppendsToTheClipboardsTextUpToItsFirstZero) {
  test::TempFolder folder;
  const std::string file = folder.AddFile("f.txt", "+file");
  test::PutOnClipboard(CF_UNICODETEXT, UnicodeTextBlock(u"prior"));
  EXPECT_TRUE(CopyContent({file}, true).empty());
  EXPECT_EQ(ClipboardBlock(CF_UNICODETEXT), UnicodeTextBlock(u"prior+file"));

  test::PutOnClipboard(CF_UNICODETEXT, UnicodeTextBlock(u"x\0hidden tail"s));
  EXPECT_TRUE(CopyContent({file}, true).empty());
  EXPECT_EQ(ClipboardBlock(CF_UNICODETEXT), UnicodeTextBlock(u"x+file")) << "what followed the zero would hide the file";
}

TEST(CopyContent, CtrlWithNoUsablePriorTextGivesTheContentsAlone) {
  test::TempFolder folder;
  const std::string file = folder.AddFile("f.txt", "only");
  for (const std::string& prior : {""s, "x"s, "x\0"s}) {
    test::PutOnClipboard(CF_UNICODETEXT, prior);
    EXPECT_TRUE(CopyContent({file}, true).empty());
    EXPECT_EQ(ClipboardBlock(CF_UNICODETEXT), UnicodeTextBlock(u"only")) << "prior block of " << prior.size();
  }
  test::EmptyTheClipboard();
  EXPECT_TRUE(CopyContent({file}, true).empty());
  EXPECT_EQ(ClipboardBlock(CF_UNICODETEXT), UnicodeTextBlock(u"only"));
}

TEST(CopyContent, CtrlWithNoFilesPutsThePriorTextBackAlone) {
  const UINT privateFormat = RegisterClipboardFormatA("Oddments test format");
  test::PutOnClipboard(privateFormat, "private");
  test::PutOnClipboard(CF_UNICODETEXT, UnicodeTextBlock(u"prior"));
  EXPECT_TRUE(CopyContent(std::vector<std::string>{}, true).empty());
  EXPECT_EQ(ClipboardBlock(CF_UNICODETEXT), UnicodeTextBlock(u"prior"));
  EXPECT_FALSE(ClipboardBlock(privateFormat));
}

TEST(CopyContent, CtrlWithTheClipboardHeldFailsAndKeepsTheText) {
  test::TempFolder folder;
  const std::string file = folder.AddFile("f.txt", "lost?");
  test::PutOnClipboard(CF_UNICODETEXT, UnicodeTextBlock(u"user's text"));
  std::vector<test::ShownBox> boxes;
  {
    const test::ClipboardHolder holder;
    boxes = CopyContent({file}, true);
  }
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes.front().text.rfind("{EOSError}System error, (OS Code ", 0), 0u) << boxes.front().text;
  EXPECT_EQ(ClipboardBlock(CF_UNICODETEXT), UnicodeTextBlock(u"user's text"));
}

TEST(CopyContent, AFileOfTwoGibibytesOrMoreIsTooLarge) {
  test::TempFolder folder;
  const std::string small = folder.AddFile("small.txt", "small");
  const std::string huge = folder.AddFile("huge.bin");
  const HANDLE file = CreateFileA(huge.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  DWORD ignored = 0;
  DeviceIoControl(file, FSCTL_SET_SPARSE, nullptr, 0, nullptr, 0, &ignored, nullptr);
  LARGE_INTEGER end;
  end.QuadPart = LONGLONG{1} << 31;
  ASSERT_TRUE(SetFilePointerEx(file, end, nullptr, FILE_BEGIN));
  ASSERT_TRUE(SetEndOfFile(file));
  CloseHandle(file);

  test::PutOnClipboard(CF_TEXT, "kept\0"s);
  const auto boxes = CopyContent({small, huge});
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes.front().text, "{EOutOfMemory}Out of memory");
  EXPECT_EQ(ClipboardBlock(CF_TEXT), "kept\0"s);
}

TEST(CopyContent, ReadsFilesOfAnyNameAndNamesAMissingOneWhole) {
  test::TempFolder folder;
  const std::u16string longPath = folder.AddDeepFile(u"long.txt", "long;");
  const std::u16string cyrillic = folder.AddFile(u"\u041F\u0440\u0438\u0432\u0435\u0442.txt", "\xEF\xBB\xBF" "cyr;");
  const std::u16string emoji = folder.AddFile(u"\u5831\u544A \U0001F600.txt", "cjk;");
  EXPECT_TRUE(CopyContent({emoji, cyrillic, longPath}).empty());
  EXPECT_EQ(ClipboardBlock(CF_UNICODETEXT), UnicodeTextBlock(u"long;cyr;cjk;"));

  test::PutOnClipboard(CF_TEXT, "kept\0"s);
  const std::u16string missing = cyrillic.substr(0, cyrillic.rfind(u'\\')) + u"\\\u041D\u0435\u0442.txt";
  const auto boxes = CopyContent({cyrillic, missing});
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes.front().text, "{EFOpenError}Unable to open file \"" + test::Utf8(missing) + "\"");
  EXPECT_EQ(ClipboardBlock(CF_TEXT), "kept\0"s);
}

}  // namespace
}  // namespace oddments
