#include "host_output.h"

#include <cstdio>
#include <iterator>

#include "shell_selection.h"

namespace oddments::host {

namespace {

int g_answer = 0;

// Bytes as text on one line: CR, LF, tab and other controls made visible,
// and with escapeHigh bytes above 0x7F too (ANSI text, which a UTF-8
// terminal would garble).
std::string Escaped(const std::string& bytes, bool escapeHigh = false) {
  std::string shown;
  for (const char c : bytes) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '\r') shown += "\\r";
    else if (c == '\n') shown += "\\n";
    else if (c == '\t') shown += "\\t";
    else if (c == '\\') shown += "\\\\";
    else if (byte < 0x20 || (escapeHigh && byte >= 0x80)) {
      char code[8];
      std::snprintf(code, sizeof code, "\\x%02X", byte);
      shown += code;
    } else {
      shown += c;
    }
  }
  return shown;
}

std::string Utf8(const wchar_t* text, std::size_t units) {
  const int bytes = WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(units), nullptr, 0, nullptr, nullptr);
  std::string utf8(static_cast<std::size_t>(bytes), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(units), utf8.data(), bytes, nullptr, nullptr);
  return utf8;
}

void PrintFormat(const char* name, UINT format) {
  const HANDLE block = GetClipboardData(format);
  if (!block) {
    std::printf("  %s: none\n", name);
    return;
  }
  const SIZE_T size = GlobalSize(block);
  const auto* data = static_cast<const char*>(GlobalLock(block));
  std::string text;
  const bool unicode = format == CF_UNICODETEXT;
  if (unicode) {
    const auto* units = reinterpret_cast<const wchar_t*>(data);
    std::size_t length = 0;
    while (length < size / 2 && units[length]) ++length;
    text = Utf8(units, length);
  } else {
    text.assign(data, strnlen(data, size));
  }
  GlobalUnlock(block);
  std::printf("  %s (%lu bytes): \"%s\"\n", name, static_cast<unsigned long>(size), Escaped(text, !unicode).c_str());
}

bool IsMessageBox(HWND window) {
  char className[16] = {};
  GetClassNameA(window, className, sizeof className);
  return std::string(className) == "#32770";
}

std::string WindowText(HWND window) {
  wchar_t text[2048] = {};
  return Utf8(text, static_cast<std::size_t>(GetWindowTextW(window, text, std::size(text))));
}

LRESULT CALLBACK WatchBoxes(int code, WPARAM wParam, LPARAM lParam) {
  const auto window = reinterpret_cast<HWND>(wParam);
  if (code == HCBT_ACTIVATE && IsMessageBox(window)) {
    std::printf("message box \"%s\": \"%s\"\n", WindowText(window).c_str(),
                Escaped(WindowText(GetDlgItem(window, 0xFFFF))).c_str());
    if (g_answer) {
      std::printf("  answered %s\n", g_answer == IDOK ? "OK" : "Cancel");
      PostMessageA(window, WM_COMMAND, MAKEWPARAM(g_answer, BN_CLICKED), 0);
    }
    std::fflush(stdout);
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

}  // namespace

bool Step(const std::string& what, HRESULT result) {
  std::printf("%-56s = 0x%08lX %s\n", what.c_str(), static_cast<unsigned long>(result), HResultName(result));
  std::fflush(stdout);
  return SUCCEEDED(result);
}

std::string Utf8(const std::wstring& text) { return Utf8(text.data(), text.size()); }

void PrintClipboard() {
  if (!OpenClipboard(nullptr)) {
    std::printf("clipboard: busy\n");
    return;
  }
  std::printf("clipboard:\n");
  PrintFormat("CF_TEXT", CF_TEXT);
  PrintFormat("CF_UNICODETEXT", CF_UNICODETEXT);
  CloseClipboard();
}

BoxWatcher::BoxWatcher(int answer) : hook_(SetWindowsHookExA(WH_CBT, &WatchBoxes, nullptr, GetCurrentThreadId())) {
  g_answer = answer;
}

BoxWatcher::~BoxWatcher() { UnhookWindowsHookEx(hook_); }

}  // namespace oddments::host
