// The menu read back from a real HMENU, the dispatch of offsets and verbs,
// the error box, and the command strings.
#include <windows.h>

#include <gtest/gtest.h>

#include <shlobj.h>

#include "support/clipboard.h"
#include "support/drop_block.h"
#include "support/fake_data_object.h"
#include "support/message_boxes.h"
#include "support/module_environment.h"
#include "support/temp_files.h"

namespace oddments {
namespace {

using test::NewHandler;

const auto* const g_environment = ::testing::AddGlobalTestEnvironment(new test::ModuleEnvironment);

struct MenuItem {
  std::string caption;
  UINT id = 0;
  HMENU submenu = nullptr;
};

MenuItem ItemAt(HMENU menu, UINT position) {
  char caption[64] = {};
  MENUITEMINFOA info{};
  info.cbSize = sizeof info;
  info.fMask = MIIM_STRING | MIIM_ID | MIIM_SUBMENU;
  info.dwTypeData = caption;
  info.cch = sizeof caption;
  EXPECT_TRUE(GetMenuItemInfoA(menu, position, TRUE, &info)) << "position " << position;
  return {caption, info.wID, info.hSubMenu};
}

// A shell menu with two items of its own.
class ShellMenu {
 public:
  ShellMenu() : menu_(CreatePopupMenu()) {
    AppendMenuA(menu_, MF_STRING, 1, "Open");
    AppendMenuA(menu_, MF_STRING, 2, "Properties");
  }
  ~ShellMenu() { DestroyMenu(menu_); }
  HMENU Get() const { return menu_; }

 private:
  HMENU menu_;
};

TEST(Menu, InsertsThePopupWithFiveEntriesAtTheGivenPosition) {
  ShellMenu shell;
  const auto menu = NewHandler<IContextMenu>();
  EXPECT_EQ(menu->QueryContextMenu(shell.Get(), 1, 100, 200, CMF_NORMAL), MAKE_HRESULT(SEVERITY_SUCCESS, 0, 6));
  ASSERT_EQ(GetMenuItemCount(shell.Get()), 3);
  EXPECT_EQ(ItemAt(shell.Get(), 0).caption, "Open");
  EXPECT_EQ(ItemAt(shell.Get(), 2).caption, "Properties");

  const MenuItem popup = ItemAt(shell.Get(), 1);
  EXPECT_EQ(popup.caption, "Odd&ments");
  ASSERT_NE(popup.submenu, nullptr);
  const std::vector<std::string> captions{"&Copy UNC", "Co&py content", "Set &read-only", "&Touch (set date)",
                                          "&Open URL..."};
  ASSERT_EQ(GetMenuItemCount(popup.submenu), 5);
  for (UINT i = 0; i < 5; ++i) {
    const MenuItem entry = ItemAt(popup.submenu, i);
    EXPECT_EQ(entry.caption, captions[i]);
    EXPECT_EQ(entry.id, 101 + i);
    EXPECT_EQ(GetMenuState(popup.submenu, i, MF_BYPOSITION) & (MF_GRAYED | MF_CHECKED | MF_POPUP), 0u);
  }
}

TEST(Menu, EveryFlagGetsThePopupAndEveryCallOneMore) {
  ShellMenu shell;
  const auto menu = NewHandler<IContextMenu>();
  for (const UINT flags : {CMF_DEFAULTONLY, CMF_VERBSONLY, CMF_EXPLORE}) {
    EXPECT_EQ(menu->QueryContextMenu(shell.Get(), 0, 1, 0x7FFF, flags), MAKE_HRESULT(SEVERITY_SUCCESS, 0, 6));
  }
  EXPECT_EQ(GetMenuItemCount(shell.Get()), 5);
  for (UINT i = 0; i < 3; ++i) EXPECT_EQ(ItemAt(shell.Get(), i).caption, "Odd&ments");
}

TEST(Menu, RangeTooSmallForFiveEntriesGetsNothing) {
  ShellMenu shell;
  const auto menu = NewHandler<IContextMenu>();
  EXPECT_EQ(menu->QueryContextMenu(shell.Get(), 0, 100, 102, CMF_NORMAL), MAKE_HRESULT(SEVERITY_SUCCESS, 0, 0));
  EXPECT_EQ(menu->QueryContextMenu(shell.Get(), 0, 100, 104, CMF_NORMAL), MAKE_HRESULT(SEVERITY_SUCCESS, 0, 0));
  EXPECT_EQ(menu->QueryContextMenu(shell.Get(), 0, 100, 99, CMF_NORMAL), MAKE_HRESULT(SEVERITY_SUCCESS, 0, 0));
  EXPECT_EQ(GetMenuItemCount(shell.Get()), 2);
  EXPECT_EQ(menu->QueryContextMenu(shell.Get(), 0, 100, 105, CMF_NORMAL), MAKE_HRESULT(SEVERITY_SUCCESS, 0, 6))
      << "exactly enough room";
}

TEST(Menu, AMenuThatRefusesThePopupGetsNothing) {
  const auto menu = NewHandler<IContextMenu>();
  const HMENU destroyed = CreatePopupMenu();
  DestroyMenu(destroyed);
  EXPECT_EQ(menu->QueryContextMenu(destroyed, 0, 1, 100, CMF_NORMAL), MAKE_HRESULT(SEVERITY_SUCCESS, 0, 0));
}

HRESULT Invoke(const ComPtr<IContextMenu>& menu, const char* verb, HWND window = nullptr) {
  CMINVOKECOMMANDINFO info{};
  info.cbSize = sizeof info;
  info.hwnd = window;
  info.lpVerb = verb;
  info.nShow = SW_SHOWNORMAL;
  return menu->InvokeCommand(&info);
}

HRESULT InvokeOffset(const ComPtr<IContextMenu>& menu, ULONG_PTR offset, HWND window = nullptr) {
  return Invoke(menu, reinterpret_cast<const char*>(offset), window);
}

// A handler for one real file, whose state tells which command ran.
class Dispatch : public ::testing::Test {
 protected:
  void SetUp() override {
    path_ = folder_.AddFile("target.txt", "content");
    test::FakeDataObject selection(test::AnsiDropBlock({path_}));
    const auto init = NewHandler<IShellExtInit>();
    ASSERT_EQ(init->Initialize(nullptr, &selection, nullptr), S_OK);
    menu_ = init.As<IContextMenu>();
    test::PutOnClipboard(CF_TEXT, std::string("untouched", 10));
    FILETIME old{0x2A69C000, 0x01C0A2A7};  // some day in 2001
    const HANDLE file = CreateFileA(path_.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    SetFileTime(file, nullptr, nullptr, &old);
    CloseHandle(file);
  }

  bool ClipboardUntouched() const { return test::ClipboardBlock(CF_TEXT) == std::string("untouched", 10); }
  bool ReadOnlySet() const { return GetFileAttributesA(path_.c_str()) & FILE_ATTRIBUTE_READONLY; }
  bool Touched() const {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    GetFileAttributesExA(path_.c_str(), GetFileExInfoStandard, &data);
    return data.ftLastWriteTime.dwHighDateTime != 0x01C0A2A7;
  }
  bool NothingRan() const { return ClipboardUntouched() && !ReadOnlySet() && !Touched(); }

  test::TempFolder folder_;
  std::string path_;
  ComPtr<IContextMenu> menu_;
};

TEST_F(Dispatch, OffsetOneCopiesThePath) {
  EXPECT_EQ(InvokeOffset(menu_, 1), S_OK);
  EXPECT_EQ(test::ClipboardBlock(CF_TEXT), path_ + '\0');
}

TEST_F(Dispatch, OffsetThreeSetsReadOnly) {
  EXPECT_EQ(InvokeOffset(menu_, 3), S_OK);
  EXPECT_TRUE(ReadOnlySet());
  SetFileAttributesA(path_.c_str(), FILE_ATTRIBUTE_NORMAL);
  EXPECT_TRUE(ClipboardUntouched());
}

TEST_F(Dispatch, OffsetFourTouches) {
  EXPECT_EQ(InvokeOffset(menu_, 4), S_OK);
  EXPECT_TRUE(Touched());
  EXPECT_TRUE(ClipboardUntouched());
}

TEST_F(Dispatch, OtherOffsetsRunNothing) {
  for (const ULONG_PTR offset : {0x0u, 0x6u, 0xFFFFu}) {
    EXPECT_EQ(InvokeOffset(menu_, offset), E_INVALIDARG) << "offset " << offset;
  }
  EXPECT_TRUE(NothingRan());
}

TEST_F(Dispatch, VerbStringsAndHighBitsRunNothing) {
  const test::MessageBoxCatcher boxes;
  EXPECT_EQ(Invoke(menu_, "copy"), E_FAIL);
  EXPECT_EQ(InvokeOffset(menu_, 0x00010001), E_FAIL);
  if constexpr (sizeof(ULONG_PTR) == 8) {
    EXPECT_EQ(InvokeOffset(menu_, static_cast<ULONG_PTR>(1) << 40 | 1), E_FAIL) << "bits above 32";
  }
  EXPECT_TRUE(NothingRan());
  EXPECT_TRUE(boxes.Boxes().empty());
}

TEST_F(Dispatch, ANullRecordIsRefused) { EXPECT_EQ(menu_->InvokeCommand(nullptr), E_INVALIDARG); }

TEST_F(Dispatch, FailureIsShownInOneErrorBoxOwnedByTheDesktop) {
  const HWND shellWindow = CreateWindowExA(0, "STATIC", "shell", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr,
                                           nullptr, nullptr);
  const test::MessageBoxCatcher boxes;
  HRESULT result;
  {
    const test::ClipboardHolder holder;
    result = InvokeOffset(menu_, 1, shellWindow);
  }
  DestroyWindow(shellWindow);
  EXPECT_EQ(result, S_OK);
  ASSERT_EQ(boxes.Boxes().size(), 1u);
  const test::ShownBox& box = boxes.Boxes().front();
  EXPECT_EQ(box.caption, "Oddments");
  EXPECT_EQ(box.parent, GetDesktopWindow());
  EXPECT_EQ(box.icon, LoadIcon(nullptr, IDI_HAND));
  EXPECT_FALSE(box.hasCancel);
  EXPECT_EQ(box.text.rfind("{EOSError}System error, (OS Code ", 0), 0u) << box.text;
  EXPECT_TRUE(ClipboardUntouched());
}

TEST(CommandStrings, OnlyOffsetZeroIsAnsweredAndOnlyWithWideHelpText) {
  const auto menu = NewHandler<IContextMenu>();
  wchar_t buffer[64];
  for (UINT_PTR offset = 1; offset <= 5; ++offset) {
    for (const UINT type : {GCS_VERBA, GCS_HELPTEXTA, GCS_VALIDATEA, GCS_VERBW, GCS_HELPTEXTW, GCS_VALIDATEW}) {
      std::fill(std::begin(buffer), std::end(buffer), L'#');
      EXPECT_EQ(menu->GetCommandString(offset, type, nullptr, reinterpret_cast<CHAR*>(buffer), 64), E_INVALIDARG);
      EXPECT_EQ(buffer[0], L'#');
    }
  }
  std::fill(std::begin(buffer), std::end(buffer), L'#');
  EXPECT_EQ(menu->GetCommandString(0, GCS_VERBA, nullptr, reinterpret_cast<CHAR*>(buffer), 64), S_OK);
  EXPECT_EQ(buffer[0], L'#');
  EXPECT_EQ(menu->GetCommandString(0, GCS_HELPTEXTW, nullptr, reinterpret_cast<CHAR*>(buffer), 64), S_OK);
  EXPECT_EQ(std::wstring(buffer), L"Perform one of several functions on files");
}

TEST(CommandStrings, HelpTextIsCutToTheBufferAndNeverOverrunsIt) {
  const auto menu = NewHandler<IContextMenu>();
  wchar_t buffer[8];
  std::fill(std::begin(buffer), std::end(buffer), L'#');
  EXPECT_EQ(menu->GetCommandString(0, GCS_HELPTEXTW, nullptr, reinterpret_cast<CHAR*>(buffer), 5), S_OK);
  EXPECT_EQ(std::wstring(buffer), L"Perf");
  EXPECT_EQ(buffer[5], L'#');
  EXPECT_EQ(menu->GetCommandString(0, GCS_HELPTEXTW, nullptr, reinterpret_cast<CHAR*>(buffer), 0), S_OK);
  EXPECT_EQ(menu->GetCommandString(0, GCS_HELPTEXTW, nullptr, nullptr, 64), S_OK);
  EXPECT_EQ(std::wstring(buffer), L"Perf") << "cchMax 0 writes nothing";
}

}  // namespace
}  // namespace oddments
