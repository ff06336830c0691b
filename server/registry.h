// Registry writes of self-registration. Every value is REG_SZ, its data the
// ANSI text with its terminating zero counted.
#pragma once

#include <windows.h>

#include <string>

#include "handles.h"

namespace oddments {

// Opens keyPath under root with full access, creating it and any missing
// keys above it, and writes one value, also when the text is empty. Raises
// EOleRegistrationError when the key cannot be opened, ERegistryException
// when the value cannot be written.
void CreateRegKey(const std::string& keyPath, const std::string& valueName, const std::string& value,
                  HKEY root = HKEY_CLASSES_ROOT);

// Deletes that one key; a missing key, or one that still has subkeys, is
// left as it is, silently.
void DeleteRegKey(const std::string& keyPath, HKEY root = HKEY_CLASSES_ROOT) noexcept;

// keyPath under parent with full access, created if missing; empty when it
// cannot be opened.
RegKey OpenOrCreateRegKey(HKEY parent, const std::string& keyPath) noexcept;

// Writes a REG_SZ value into an open key, or raises ERegistryException
// "Failed to set data for value "<name>"".
void SetRegString(HKEY key, const std::string& valueName, const std::string& value);

// The failure for a value that could not be written, also raised when its
// key could not be opened, so that nothing lands elsewhere.
[[noreturn]] void RaiseValueNotSet(const std::string& valueName);

}  // namespace oddments
