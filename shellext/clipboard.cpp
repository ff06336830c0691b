#include "clipboard.h"

#include <algorithm>
#include <climits>
#include <cstring>
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

// text in the ANSI code page, converted straight into a moveable block with
// one zero byte after it: the largest selection's text is not held twice.
GlobalMemory AnsiTextBlock(std::u16string_view text) {
  if (text.size() > static_cast<std::size_t>(INT_MAX)) throw EOutOfMemory();
  const auto* units = reinterpret_cast<const wchar_t*>(text.data());
  const int length = static_cast<int>(text.size());
  const int bytes = length ? WideCharToMultiByte(CP_ACP, 0, units, length, nullptr, 0, nullptr, nullptr) : 0;
  GlobalMemory block(GlobalAlloc(GMEM_MOVEABLE, static_cast<SIZE_T>(bytes) + 1));
  if (!block) throw EOutOfMemory();
  const GlobalLockOf<char> ansi(block.Get());
  if (!ansi) throw EOutOfMemory();
  if (bytes) WideCharToMultiByte(CP_ACP, 0, units, length, ansi.Data(), bytes, nullptr, nullptr);
  ansi.Data()[bytes] = '\0';
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
