#include "clipboard.h"

#include <cstring>
#include <limits>

namespace oddments {

namespace {

std::string SystemErrorMessage(DWORD code) {
  if (code == 0) return "An operating system call failed.";
  // Inserts are ignored: some system texts hold %1, and there is nothing to
  // put in their place.
  char text[255] = {};
  const DWORD length =
      FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code,
                     MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), text, sizeof text, nullptr);
  return "System error, (OS Code " + std::to_string(static_cast<int>(code)) + "):\r\n" + std::string(text, length);
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

void SetClipboardBlock(UINT format, GlobalMemory block) {
  const OpenedClipboard clipboard;
  EmptyClipboard();
  if (!SetClipboardData(format, block.Get())) throw EOSError(GetLastError());
  block.Release();
}

void ClipboardAsText(std::string_view text) { SetClipboardBlock(CF_TEXT, TextBlock(text.data(), text.size(), 1)); }

}  // namespace oddments
