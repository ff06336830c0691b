// The clipboard as another program sees it: what it holds, and a program
// that holds it open.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace oddments::test {

// The whole block of a format, GlobalSize bytes, or nothing when absent.
std::optional<std::string> ClipboardBlock(UINT format);

// The bytes of a CF_UNICODETEXT block holding units and its terminator.
std::string UnicodeTextBlock(std::u16string_view units);

// The formats the clipboard holds, in its order.
std::vector<UINT> ClipboardFormats();

// Leaves the clipboard with nothing on it.
void EmptyTheClipboard();

// Replaces the clipboard's content with these bytes in format.
void PutOnClipboard(UINT format, const std::string& bytes);

// Another process with the clipboard open through a window of its own,
// until this object goes.
class ClipboardHolder {
 public:
  ClipboardHolder();
  ~ClipboardHolder();
  ClipboardHolder(const ClipboardHolder&) = delete;
  ClipboardHolder& operator=(const ClipboardHolder&) = delete;

 private:
  HANDLE release_ = nullptr;
  HANDLE process_ = nullptr;
};

}  // namespace oddments::test
