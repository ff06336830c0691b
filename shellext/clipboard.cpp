#include "clipboard.h"

#include <cstring>
#include <iterator>
#include <limits>

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

GlobalMemory TextBlock(const void* data, std::size_t size, std::size_t terminatorSize) {
  if (size > std::numeric_limits<SIZE_T>::max() - terminatorSize) throw EOutOfMemory();
  GlobalMemory block(GlobalAlloc(GMEM_MOVEABLE, size + terminatorSize));
  if (!block) throw EOutOfMemory();
  const GlobalLockOf<char> bytes(block.Get());
  if (!bytes) throw EOutOfMemory();
  if (size) std::memcpy(bytes.Data(), data, size);
  std::memset(bytes.Data() + size, 0, terminatorSize);
  return block;
}

void SetClipboardBlocks(std::span<ClipboardBlock> blocks) {
  const OpenedClipboard clipboard;
  EmptyClipboard();
  for (ClipboardBlock& block : blocks) {
    if (!SetClipboardData(block.format, block.block.Get())) throw EOSError(GetLastError());
    block.block.Release();
  }
}

void ClipboardAsText(std::u16string_view text) {
  const std::string ansi = Utf16ToAnsi(text);
  // Unicode first: a reader takes the first format it knows, and this one
  // is exact.
  ClipboardBlock blocks[] = {
      {CF_UNICODETEXT, TextBlock(text.data(), text.size() * sizeof(char16_t), sizeof(char16_t))},
      {CF_TEXT, TextBlock(ansi.data(), ansi.size(), 1)},
  };
  SetClipboardBlocks(blocks);
}

}  // namespace oddments
