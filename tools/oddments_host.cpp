// The try-out host: does with the extension what Explorer does with a
// context-menu handler, printing every step and its HRESULT.
//
//   oddments-host [--dll PATH] FILE...
//
// Without --dll it finds the handler as Explorer does: the class registered
// under HKEY_CLASSES_ROOT\*\shellex\ContextMenuHandlers\Oddments (Folder\...
// when the first item is a folder), created by COM from the class's
// InprocServer32 key. With --dll it loads that DLL and asks its
// DllGetClassObject. Either way it then builds shell32's data object for the
// files and hands it to IShellExtInit::Initialize.
#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>

#include <cstdio>
#include <string>
#include <vector>

#include "../server/com_ptr.h"
#include "../server/guid_text.h"
#include "../server/handles.h"
#include "../shellext/class_id.h"
#include "shell_selection.h"

using namespace oddments;

namespace {

struct Options {
  std::wstring dll;
  std::vector<std::wstring> files;
};

void PrintUsage() { std::fprintf(stderr, "usage: oddments-host [--dll PATH] FILE...\n"); }

bool ParseOptions(int argc, wchar_t** argv, Options& options) {
  for (int i = 1; i < argc; ++i) {
    const std::wstring arg = argv[i];
    if (arg == L"--dll" && i + 1 < argc) {
      options.dll = argv[++i];
    } else if (arg.starts_with(L"--")) {
      return false;
    } else {
      options.files.push_back(arg);
    }
  }
  return !options.files.empty();
}

std::string Narrow(const std::wstring& text) {
  const int bytes = WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
  std::string narrow(static_cast<std::size_t>(bytes), '\0');
  WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, narrow.data(), bytes, nullptr, nullptr);
  narrow.resize(narrow.size() - 1);
  return narrow;
}

std::wstring WidenAscii(const std::string& ascii) { return std::wstring(ascii.begin(), ascii.end()); }

// Prints one step; true when it succeeded.
bool Step(const std::string& what, HRESULT result) {
  std::printf("%-56s = 0x%08lX %s\n", what.c_str(), static_cast<unsigned long>(result), HResultName(result));
  return SUCCEEDED(result);
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
    std::printf("    [%u] %s\n", i, Narrow(path).c_str());
  }
}

ComPtr<IClassFactory> FactoryFromDll(const std::wstring& dll) {
  const HMODULE module = LoadLibraryW(dll.c_str());
  std::printf("LoadLibrary %s: %s\n", Narrow(dll).c_str(), module ? "loaded" : "failed");
  if (!module) return {};
  using GetClassObject = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);
  const auto getClassObject = reinterpret_cast<GetClassObject>(
      reinterpret_cast<void*>(GetProcAddress(module, "DllGetClassObject")));
  if (!getClassObject) {
    std::printf("DllGetClassObject: not exported\n");
    return {};
  }
  ComPtr<IClassFactory> factory;
  Step("DllGetClassObject(" + GuidText(CLASS_CONTEXTMENU) + ")",
       getClassObject(CLASS_CONTEXTMENU, IID_IClassFactory, factory.ReceiveVoid()));
  return factory;
}

ComPtr<IShellExtInit> HandlerFromDll(const std::wstring& dll) {
  const ComPtr<IClassFactory> factory = FactoryFromDll(dll);
  ComPtr<IShellExtInit> handler;
  if (factory) {
    Step("IClassFactory::CreateInstance(IShellExtInit)",
         factory->CreateInstance(nullptr, IID_IShellExtInit, handler.ReceiveVoid()));
  }
  return handler;
}

// The class that Explorer would load for the item: the handler key's value.
bool RegisteredHandlerClass(const std::wstring& firstItem, CLSID& classID) {
  const DWORD attributes = GetFileAttributesW(firstItem.c_str());
  const bool folder = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
  const std::wstring key = std::wstring(folder ? L"Folder" : L"*") + L"\\shellex\\ContextMenuHandlers\\Oddments";
  wchar_t text[64] = {};
  DWORD size = sizeof text - sizeof(wchar_t);
  const LSTATUS status = RegGetValueW(HKEY_CLASSES_ROOT, key.c_str(), nullptr, RRF_RT_REG_SZ, nullptr, text, &size);
  std::printf("HKEY_CLASSES_ROOT\\%s: %s\n", Narrow(key).c_str(),
              status == ERROR_SUCCESS ? Narrow(text).c_str() : "not registered");
  return status == ERROR_SUCCESS && Step("CLSIDFromString", CLSIDFromString(text, &classID));
}

// The DLL that COM will load for the class.
void PrintServer(const CLSID& classID) {
  const std::wstring key = L"CLSID\\" + WidenAscii(GuidText(classID)) + L"\\InprocServer32";
  wchar_t path[MAX_PATH] = {};
  DWORD size = sizeof path - sizeof(wchar_t);
  if (RegGetValueW(HKEY_CLASSES_ROOT, key.c_str(), nullptr, RRF_RT_REG_SZ, nullptr, path, &size) == ERROR_SUCCESS) {
    std::printf("InprocServer32: %s\n", Narrow(path).c_str());
  }
}

ComPtr<IShellExtInit> HandlerFromRegistry(const std::wstring& firstItem) {
  CLSID classID{};
  ComPtr<IShellExtInit> handler;
  if (RegisteredHandlerClass(firstItem, classID)) {
    PrintServer(classID);
    Step("CoCreateInstance(CLSCTX_INPROC_SERVER, IShellExtInit)",
         CoCreateInstance(classID, nullptr, CLSCTX_INPROC_SERVER, IID_IShellExtInit, handler.ReceiveVoid()));
  }
  return handler;
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
  return Step("IShellExtInit::Initialize", init->Initialize(nullptr, dataObject.Get(), nullptr)) ? 0 : 1;
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
