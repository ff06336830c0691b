// The try-out host: does with the extension what Explorer does with a
// context-menu handler, printing every step and its HRESULT.
//
//   oddments-host [--dll PATH] [--run ENTRY] [--ctrl] [--answer ok|cancel]
//                 [--url-log FILE] FILE...
//
// Without --dll it finds the handler as Explorer does: the class registered
// under HKEY_CLASSES_ROOT\*\shellex\ContextMenuHandlers\Oddments (Folder\...
// when the first item is a folder), created by COM from the class's
// InprocServer32 key. With --dll it loads that DLL and asks its
// DllGetClassObject. It then hands shell32's data object for the files to
// IShellExtInit::Initialize, builds the context menu and prints it.
//
// --run runs one entry, by offset (1 to 5) or caption ("Copy UNC"), with Ctrl
// held for --ctrl, then prints the clipboard and the message boxes shown;
// --answer closes each box with OK or Cancel. Without --run the popup opens
// in a window, for a person to pick an entry. --url-log names the log of a
// stand-in browser (url_recorder) registered for the URL's scheme; the host
// then prints the URLs that Open URL opened.
#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>

#include <cstdio>
#include <cwctype>
#include <string>
#include <vector>

#include "../server/com_ptr.h"
#include "../server/handles.h"
#include "host_activation.h"
#include "host_output.h"
#include "shell_selection.h"

using namespace oddments;
using namespace oddments::host;

namespace {

struct Options {
  std::wstring dll;
  std::wstring run;
  bool ctrl = false;
  int answer = 0;
  std::wstring urlLog;
  std::vector<std::wstring> files;
};

void PrintUsage() {
  std::fprintf(stderr,
               "usage: oddments-host [--dll PATH] [--run ENTRY] [--ctrl] [--answer ok|cancel] [--url-log FILE] "
               "FILE...\n");
}

bool ParseOptions(int argc, wchar_t** argv, Options& options) {
  for (int i = 1; i < argc; ++i) {
    const std::wstring arg = argv[i];
    const bool hasValue = i + 1 < argc;
    if (arg == L"--dll" && hasValue) {
      options.dll = argv[++i];
    } else if (arg == L"--run" && hasValue) {
      options.run = argv[++i];
    } else if (arg == L"--url-log" && hasValue) {
      options.urlLog = argv[++i];
    } else if (arg == L"--ctrl") {
      options.ctrl = true;
    } else if (arg == L"--answer" && hasValue) {
      const std::wstring answer = argv[++i];
      if (answer != L"ok" && answer != L"cancel") return false;
      options.answer = answer == L"ok" ? IDOK : IDCANCEL;
    } else if (arg.starts_with(L"--")) {
      return false;
    } else {
      options.files.push_back(arg);
    }
  }
  return !options.files.empty();
}

// What the data object carries, as the handler will read it.
void PrintSelection(IDataObject* dataObject) {
  FORMATETC format{CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
  STGMEDIUM received{};
  if (FAILED(dataObject->GetData(&format, &received))) return;
  const StorageMedium medium(received);
  const auto drop = static_cast<HDROP>(medium.Get().hGlobal);
  const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
  std::printf("  drop list: %u item(s)\n", count);
  for (UINT i = 0; i < count; ++i) {
    std::wstring path(DragQueryFileW(drop, i, nullptr, 0) + 1, L'\0');
    path.resize(DragQueryFileW(drop, i, path.data(), static_cast<UINT>(path.size())));
    std::printf("    [%u] %s\n", i, Utf8(path).c_str());
  }
}

// The first identifier the host grants, as Explorer grants small ones.
constexpr UINT kFirstId = 1;
constexpr UINT kLastId = 0x7FFF;

struct BuiltMenu {
  oddments::Menu menu{CreatePopupMenu()};
  std::vector<std::pair<UINT, std::string>> entries;  // offset and caption
};

std::string MenuText(HMENU menu, UINT position) {
  char text[128] = {};
  GetMenuStringA(menu, position, text, sizeof text, MF_BYPOSITION);
  return text;
}

// The shell's menu with the handler's popup, printed as it came out.
bool BuildMenu(IContextMenu* handler, BuiltMenu& built) {
  AppendMenuA(built.menu.Get(), MF_STRING, kLastId, "&Open");
  if (!Step("IContextMenu::QueryContextMenu", handler->QueryContextMenu(built.menu.Get(), 0, kFirstId, kLastId - 1,
                                                                        CMF_NORMAL))) {
    return false;
  }
  const int count = GetMenuItemCount(built.menu.Get());
  for (int position = 0; position < count; ++position) {
    const HMENU popup = GetSubMenu(built.menu.Get(), position);
    std::printf("  %s%s\n", MenuText(built.menu.Get(), position).c_str(), popup ? " >" : "");
    if (!popup) continue;
    for (int entry = 0; entry < GetMenuItemCount(popup); ++entry) {
      const UINT id = GetMenuItemID(popup, entry);
      const std::string caption = MenuText(popup, entry);
      std::printf("    [id %u, offset %u] %s\n", id, id - kFirstId, caption.c_str());
      built.entries.emplace_back(id - kFirstId, caption);
    }
  }
  return true;
}

// "Copy UNC" for "&Copy UNC", lower case, to match what a person types.
std::string Plain(const std::string& caption) {
  std::string plain;
  for (const char c : caption) {
    if (c != '&' && c != '.') plain += static_cast<char>(std::towlower(static_cast<unsigned char>(c)));
  }
  return plain;
}

UINT FindEntry(const BuiltMenu& built, const std::wstring& wanted) {
  const std::string name = Plain(Utf8(wanted));
  for (const auto& [offset, caption] : built.entries) {
    if (Plain(caption) == name || std::to_string(offset) == name) return offset;
  }
  return 0;
}

// The popup in a real window, for a person to pick from; 0 when none is.
UINT PickEntry(const BuiltMenu& built) {
  const HWND window = CreateWindowExA(0, "STATIC", "Oddments try-out host", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                                      CW_USEDEFAULT, CW_USEDEFAULT, 320, 120, nullptr, nullptr, nullptr, nullptr);
  SetForegroundWindow(window);
  POINT cursor;
  GetCursorPos(&cursor);
  std::printf("pick an entry from the menu (Esc for none)\n");
  std::fflush(stdout);
  const auto id = static_cast<UINT>(
      TrackPopupMenu(built.menu.Get(), TPM_RETURNCMD | TPM_NONOTIFY, cursor.x, cursor.y, 0, window, nullptr));
  DestroyWindow(window);
  return id && id != kLastId ? id - kFirstId : 0;
}

void HoldCtrl(bool held) {
  BYTE keys[256];
  GetKeyboardState(keys);
  keys[VK_CONTROL] = held ? 0x80 : 0;
  SetKeyboardState(keys);
}

LONGLONG FileSizeOf(const std::wstring& path) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return 0;
  return static_cast<LONGLONG>(ULONGLONG{data.nFileSizeHigh} << 32 | data.nFileSizeLow);
}

// What the stand-in browser logged after from; the shell starts it on its
// own, so it gets a few seconds.
void PrintOpenedUrls(const std::wstring& log, LONGLONG from) {
  for (int waited = 0; FileSizeOf(log) <= from && waited < 5000; waited += 100) Sleep(100);
  const FileHandle file(CreateFileW(log.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                    OPEN_EXISTING, 0, nullptr));
  std::string added;
  if (file) {
    LARGE_INTEGER start;
    start.QuadPart = from;
    SetFilePointerEx(file.Get(), start, nullptr, FILE_BEGIN);
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(file.Get(), buffer, sizeof buffer, &got, nullptr) && got) added.append(buffer, got);
  }
  if (added.empty()) std::printf("opened URL: none\n");
  for (std::size_t at = 0, end; (end = added.find('\n', at)) != std::string::npos; at = end + 1) {
    std::printf("opened URL: %s\n", added.substr(at, end - at).c_str());
  }
}

bool RunEntry(IContextMenu* handler, UINT offset, const Options& options) {
  const LONGLONG logged = options.urlLog.empty() ? 0 : FileSizeOf(options.urlLog);
  const BoxWatcher boxes(options.answer);
  HoldCtrl(options.ctrl);
  CMINVOKECOMMANDINFO info{};
  info.cbSize = sizeof info;
  info.lpVerb = MAKEINTRESOURCEA(offset);
  info.nShow = SW_SHOWNORMAL;
  const bool ran = Step("IContextMenu::InvokeCommand(offset " + std::to_string(offset) +
                            (options.ctrl ? ", Ctrl held)" : ")"),
                        handler->InvokeCommand(&info));
  HoldCtrl(false);
  PrintClipboard();
  if (!options.urlLog.empty()) PrintOpenedUrls(options.urlLog, logged);
  return ran;
}

int Run(const Options& options) {
  const ComPtr<IShellExtInit> init =
      options.dll.empty() ? HandlerFromRegistry(options.files.front()) : HandlerFromDll(options.dll);
  if (!init) return 1;
  ComPtr<IDataObject> dataObject;
  if (!Step("shell data object for " + std::to_string(options.files.size()) + " item(s)",
            ShellDataObject(options.files, dataObject))) {
    return 1;
  }
  PrintSelection(dataObject.Get());
  if (!Step("IShellExtInit::Initialize", init->Initialize(nullptr, dataObject.Get(), nullptr))) return 1;

  const ComPtr<IContextMenu> handler = init.As<IContextMenu>();
  BuiltMenu built;
  if (!handler || !BuildMenu(handler.Get(), built)) return 1;
  const UINT offset = options.run.empty() ? PickEntry(built) : FindEntry(built, options.run);
  if (!offset) {
    if (!options.run.empty()) std::printf("no entry \"%s\"\n", Utf8(options.run).c_str());
    return options.run.empty() ? 0 : 2;
  }
  return RunEntry(handler.Get(), offset, options) ? 0 : 1;
}

}  // namespace

int main() {
  int argc = 0;
  wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  Options options;
  if (!argv || !ParseOptions(argc, argv, options)) {
    PrintUsage();
    return 2;
  }
  if (FAILED(OleInitialize(nullptr))) {
    std::fprintf(stderr, "OleInitialize failed\n");
    return 1;
  }
  const int status = Run(options);
  OleUninitialize();
  LocalFree(argv);
  return status;
}
