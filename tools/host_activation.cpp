#include "host_activation.h"

#include <cstdio>

#include "../server/guid_text.h"
#include "../shellext/class_id.h"
#include "host_output.h"

namespace oddments::host {

namespace {

std::wstring WidenAscii(const std::string& ascii) { return std::wstring(ascii.begin(), ascii.end()); }

ComPtr<IClassFactory> FactoryFromDll(const std::wstring& dll) {
  const HMODULE module = LoadLibraryW(dll.c_str());
  std::printf("LoadLibrary %s: %s\n", Utf8(dll).c_str(), module ? "loaded" : "failed");
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

// The class that Explorer would load for the item: the handler key's value.
bool RegisteredHandlerClass(const std::wstring& firstItem, CLSID& classID) {
  const DWORD attributes = GetFileAttributesW(firstItem.c_str());
  const bool folder = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
  const std::wstring key = std::wstring(folder ? L"Folder" : L"*") + L"\\shellex\\ContextMenuHandlers\\Oddments";
  wchar_t text[64] = {};
  DWORD size = sizeof text - sizeof(wchar_t);
  const LSTATUS status = RegGetValueW(HKEY_CLASSES_ROOT, key.c_str(), nullptr, RRF_RT_REG_SZ, nullptr, text, &size);
  std::printf("HKEY_CLASSES_ROOT\\%s: %s\n", Utf8(key).c_str(),
              status == ERROR_SUCCESS ? Utf8(text).c_str() : "not registered");
  return status == ERROR_SUCCESS && Step("CLSIDFromString", CLSIDFromString(text, &classID));
}

// The DLL that COM will load for the class.
void PrintServer(const CLSID& classID) {
  const std::wstring key = L"CLSID\\" + WidenAscii(GuidText(classID)) + L"\\InprocServer32";
  wchar_t path[MAX_PATH] = {};
  DWORD size = sizeof path - sizeof(wchar_t);
  if (RegGetValueW(HKEY_CLASSES_ROOT, key.c_str(), nullptr, RRF_RT_REG_SZ, nullptr, path, &size) == ERROR_SUCCESS) {
    std::printf("InprocServer32: %s\n", Utf8(path).c_str());
  }
}

}  // namespace

ComPtr<IShellExtInit> HandlerFromDll(const std::wstring& dll) {
  const ComPtr<IClassFactory> factory = FactoryFromDll(dll);
  ComPtr<IShellExtInit> handler;
  if (factory) {
    Step("IClassFactory::CreateInstance(IShellExtInit)",
         factory->CreateInstance(nullptr, IID_IShellExtInit, handler.ReceiveVoid()));
  }
  return handler;
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

}  // namespace oddments::host
