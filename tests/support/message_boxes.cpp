#include "message_boxes.h"

#include "temp_files.h"

namespace oddments::test {

namespace {

MessageBoxCatcher* g_catcher = nullptr;

bool IsDialog(HWND window) {
  char className[16] = {};
  GetClassNameA(window, className, sizeof className);
  return std::string(className) == "#32770";
}

// In UTF-8, so that a name outside the code page is compared whole.
std::string WindowText(HWND window) {
  std::u16string text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, u'\0');
  text.resize(static_cast<std::size_t>(
      GetWindowTextW(window, reinterpret_cast<wchar_t*>(text.data()), static_cast<int>(text.size()))));
  return Utf8(text);
}

// The message box's text and icon controls.
constexpr int kTextControl = 0xFFFF;
constexpr int kIconControl = 0x0440;

}  // namespace

MessageBoxCatcher::MessageBoxCatcher(int answer)
    : hook_(SetWindowsHookExA(WH_CBT, &Hook, nullptr, GetCurrentThreadId())), answer_(answer) {
  g_catcher = this;
}

MessageBoxCatcher::~MessageBoxCatcher() {
  UnhookWindowsHookEx(hook_);
  g_catcher = nullptr;
}

LRESULT CALLBACK MessageBoxCatcher::Hook(int code, WPARAM wParam, LPARAM lParam) {
  const auto window = reinterpret_cast<HWND>(wParam);
  if (g_catcher && code == HCBT_CREATEWND && IsDialog(window)) {
    g_catcher->pendingParent_ = reinterpret_cast<CBT_CREATEWNDA*>(lParam)->lpcs->hwndParent;
  } else if (g_catcher && code == HCBT_ACTIVATE && IsDialog(window)) {
    ShownBox box;
    box.caption = WindowText(window);
    box.text = WindowText(GetDlgItem(window, kTextControl));
    box.parent = g_catcher->pendingParent_;
    box.icon = reinterpret_cast<HICON>(SendDlgItemMessageA(window, kIconControl, STM_GETICON, 0, 0));
    box.hasCancel = GetDlgItem(window, IDCANCEL) != nullptr;
    g_catcher->boxes_.push_back(box);
    PostMessageA(window, WM_COMMAND, MAKEWPARAM(g_catcher->answer_, BN_CLICKED), 0);
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

void HoldCtrl(bool held) {
  BYTE keys[256];
  GetKeyboardState(keys);
  keys[VK_CONTROL] = held ? 0x80 : 0;
  SetKeyboardState(keys);
}

}  // namespace oddments::test
