// Message boxes shown on this thread, read and answered as they appear.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace oddments::test {

struct ShownBox {
  // UTF-8
  std::string caption;
  std::string text;
  HWND parent = nullptr;  // as passed when the box was created
  HICON icon = nullptr;
  bool hasCancel = false;
};

// While it lives, every message box on this thread is recorded and closed
// with answer (IDOK or IDCANCEL).
class MessageBoxCatcher {
 public:
  explicit MessageBoxCatcher(int answer = IDOK);
  ~MessageBoxCatcher();
  MessageBoxCatcher(const MessageBoxCatcher&) = delete;
  MessageBoxCatcher& operator=(const MessageBoxCatcher&) = delete;

  const std::vector<ShownBox>& Boxes() const noexcept { return boxes_; }

 private:
  static LRESULT CALLBACK Hook(int code, WPARAM wParam, LPARAM lParam);

  HHOOK hook_;
  int answer_;
  std::vector<ShownBox> boxes_;
  HWND pendingParent_ = nullptr;
};

// Ctrl down (or up) in this thread's key state, as GetKeyState reports it.
void HoldCtrl(bool held);

}  // namespace oddments::test
