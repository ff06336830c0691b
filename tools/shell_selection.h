// What Explorer hands a context-menu handler: shell32's own data object for a
// selection of items. Used by the try-out host and by the tests.
#pragma once

#include <windows.h>
#include <objidl.h>

#include <string>
#include <vector>

#include "../server/com_ptr.h"

namespace oddments {

// Shell32's data object for the items at paths, in this order, which must
// lie in one folder (E_INVALIDARG otherwise). Otherwise returns the first
// failing call's HRESULT, with a null object.
HRESULT ShellDataObject(const std::vector<std::wstring>& paths, ComPtr<IDataObject>& dataObject);

// The text of a well-known HRESULT, or empty.
const char* HResultName(HRESULT result) noexcept;

}  // namespace oddments
