// The two ways the try-out host reaches the handler: through COM, from what
// registration wrote, as Explorer does; or from a DLL file directly.
#pragma once

#include <windows.h>
#include <shlobj.h>

#include <string>

#include "../server/com_ptr.h"

namespace oddments::host {

// The class registered for the item (files under "*", folders under
// "Folder"), created with CoCreateInstance.
ComPtr<IShellExtInit> HandlerFromRegistry(const std::wstring& firstItem);

// The DLL loaded and asked through its DllGetClassObject.
ComPtr<IShellExtInit> HandlerFromDll(const std::wstring& dll);

}  // namespace oddments::host
