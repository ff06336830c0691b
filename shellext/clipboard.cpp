#include "clipboard.h"

#include <algorithm>
#include <climits>
#include <iterator>

#include "../server/win_text.h"

namespace oddments {

namespace {

std::string SystemErrorMessage(DWORD code) {
  if (code == 0) return "An operating system call failed.";
  // Inserts are ignored: some system texts hold %1, and there is nothing to
  // put in their place.
  wchar_t text[255] = {};
  const DWORD length = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code,
                                      MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), text, std::size(text), nullptr);
  return "System error, (OS Code " + std::to_string(static_cast<int>(code)) + "):\r\n" +
         Utf16ToUtf8(std::u16string_view(reinterpret_cast<const char16_t*>(text), length));
}

}  // namespace

EOSError::EOSError(DWORD errorCode) : Failure(SystemErrorMessage(errorCode)), errorCode_(errorCode) {}

OpenedClipboard::OpenedClipboard() {
  if (!OpenClipboard(nullptr)) throw EOSError(GetLastError());
}

OpenedClipboard::~OpenedClipboard() { CloseClipboard(); }

void SetClipboardBlocks(std::span<ClipboardBlock> blocks) {
  const OpenedClipboard clipboard;
  EmptyClipboard();
  for (ClipboardBlock& block : blocks) {
    if (!SetClipboardData(block.format, block.block.Get())) throw EOSError(GetLastError());
    block.block.Release();
  }
}

namespace {

// The most bytes that the ANSI code page gives one UTF-16 unit.
UINT AnsiBytesPerUnit() {
  CPINFO info;
  return GetCPInfo(CP_ACP, &info) ? info.MaxCharSize : 4;
}

// text in the ANSI code page with one zero byte after it, converted in one
// pass straight into a moveable block of exactly that size: the largest
// selection's text is neither read twice nor held twice.
GlobalMemory AnsiTextBlock(std::u16string_view text) {
  const std::size_t room = text.size() * AnsiBytesPerUnit();
  if (room >= static_cast<std::size_t>(INT_MAX)) throw EOutOfMemory();
  GlobalMemory block(GlobalAlloc(GMEM_MOVEABLE, room + 1));
  if (!block) throw EOutOfMemory();
  int bytes = 0;
  {
    const GlobalLockOf<char> ansi(block.Get());
    if (!ansi) throw EOutOfMemory();
    if (!text.empty()) {
      bytes = WideCharToMultiByte(CP_ACP, 0, reinterpret_cast<const wchar_t*>(text.data()),
                                  static_cast<int>(text.size()), ansi.Data(), static_cast<int>(room), nullptr,
                                  nullptr);
    }
    ansi.Data()[bytes] = '\0';
  }
  if (static_cast<std::size_t>(bytes) == room) return block;
  // Shrinking in place; should it fail, the text still ends at its zero.
  if (const HGLOBAL shrunk = GlobalReAlloc(block.Get(), static_cast<SIZE_T>(bytes) + 1, GMEM_MOVEABLE)) {
    block.Release();
    block.Reset(shrunk);
  }
  return block;
}

}  // namespace

void ClipboardAsText(std::u16string_view text) {
  UnicodeBlock block(text.size());
  std::copy(text.begin(), text.end(), block.Room(text.size()));
  block.Commit(text.size());
  ClipboardAsText(std::move(block));
}

void ClipboardAsText(UnicodeBlock&& text) {
  GlobalMemory ansi = AnsiTextBlock(text.Text());
  // Unicode first: a reader takes the first format it knows, and this one
  // is exact.
  ClipboardBlock blocks[] = {{CF_UNICODETEXT, text.Finish()}, {CF_TEXT, std::move(ansi)}};
  SetClipboardBlocks(blocks);
}

}  // namespace oddments
