// What the try-out host prints: steps with their HRESULTs, the clipboard,
// and the message boxes the extension shows.
#pragma once

#include <windows.h>

#include <string>

namespace oddments::host {

// Prints one step; true when it succeeded.
bool Step(const std::string& what, HRESULT result);

// UTF-8, as the host prints every text: a terminal shows any name whole.
std::string Utf8(const std::wstring& text);

// The clipboard's CF_TEXT and CF_UNICODETEXT, control characters escaped.
void PrintClipboard();

// While it lives, prints every message box this thread shows; answers each
// with answer when that is IDOK or IDCANCEL, and leaves it to the user when
// it is 0.
class BoxWatcher {
 public:
  explicit BoxWatcher(int answer);
  ~BoxWatcher();
  BoxWatcher(const BoxWatcher&) = delete;
  BoxWatcher& operator=(const BoxWatcher&) = delete;

 private:
  HHOOK hook_;
};

}  // namespace oddments::host
