// The Ctrl key, read by a command once, as it starts: held at the moment the
// user picks the entry, not when the menu opened.
#pragma once

#include <windows.h>

namespace oddments {

inline bool CtrlHeld() { return (GetKeyState(VK_CONTROL) & 0x8000) != 0; }

}  // namespace oddments
