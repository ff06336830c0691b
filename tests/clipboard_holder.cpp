// Holds the clipboard open, as a busy program does, from the moment it sets
// the event "<name>-ready" until "<name>-release" is set.
#include <windows.h>

#include <string>

int main(int argc, char** argv) {
  if (argc != 2) return 2;
  const std::string name = argv[1];
  const HANDLE ready = OpenEventA(EVENT_MODIFY_STATE, FALSE, (name + "-ready").c_str());
  const HANDLE release = OpenEventA(SYNCHRONIZE, FALSE, (name + "-release").c_str());
  // Only a window can hold the clipboard against other programs.
  const HWND window = CreateWindowExA(0, "STATIC", "clipboard holder", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                      nullptr, nullptr);
  if (!ready || !release || !window || !OpenClipboard(window)) return 1;
  SetEvent(ready);
  WaitForSingleObject(release, 30000);
  CloseClipboard();
  DestroyWindow(window);
  return 0;
}
