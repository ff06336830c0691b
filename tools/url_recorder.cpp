// Stands in for a browser: registered as a URL scheme's open command, it
// appends each URL it is given to a log file, one per line.
//
//   url_recorder LOGFILE URL
#include <windows.h>

#include <cstdio>

int main(int argc, char** argv) {
  if (argc != 3) return 2;
  // Shared, so that two URLs opened at once both land.
  const HANDLE log = CreateFileA(argv[1], FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                 OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (log == INVALID_HANDLE_VALUE) return 1;
  char line[4096];
  const int length = std::snprintf(line, sizeof line, "%s\n", argv[2]);
  DWORD written = 0;
  const BOOL ok = length > 0 && WriteFile(log, line, static_cast<DWORD>(length), &written, nullptr);
  CloseHandle(log);
  return ok ? 0 : 1;
}
