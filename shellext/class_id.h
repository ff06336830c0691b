// The class identifier of the context-menu handler, on its own so that the
// try-out host and the tests can name the class without linking the handler.
#pragma once

#include <windows.h>

namespace oddments {

extern const CLSID CLASS_CONTEXTMENU;

}  // namespace oddments
