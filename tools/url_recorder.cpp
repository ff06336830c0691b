// Stands in for a browser: registered as a URL scheme's open command, it
// appends each URL it is given to a log file, one per line, in UTF-8 so that
// no character of the URL is lost.
//
//   url_recorder LOGFILE URL
#include <windows.h>
#include <shellapi.h>

#include <string>

namespace {

std::string Utf8Line(const wchar_t* text) {
  const int bytes = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
  std::string line(static_cast<std::size_t>(bytes), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text, -1, line.data(), bytes, nullptr, nullptr);
  line.back() = '\n';  // in place of the terminator
  return line;
}

}  // namespace

int main() {
  int argc = 0;
  wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  if (!argv || argc != 3) return 2;
  // Shared, so that two URLs opened at once both land.
  const HANDLE log = CreateFileW(argv[1], FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                                 FILE_ATTRIBUTE_NORMAL, nullptr);
  if (log == INVALID_HANDLE_VALUE) return 1;
  const std::string line = Utf8Line(argv[2]);
  DWORD written = 0;
  const BOOL ok = WriteFile(log, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
  CloseHandle(log);
  LocalFree(argv);
  return ok ? 0 : 1;
}
