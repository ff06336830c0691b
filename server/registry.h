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

// Deletes keyPath under root, then each key above it up to levels keys in
// all, each only while it holds nothing: no subkeys and no value but an empty
// default, which is all that registration gives the keys it only creates.
// Stops at the first key that holds something.
void DeleteEmptyKeys(HKEY root, const std::string& keyPath, int levels) noexcept;

// While one lives, this process's HKEY_CLASSES_ROOT stands for
// HKEY_CURRENT_USER\Software\Classes, and MachineRoot() gives
// HKEY_CURRENT_USER, so that the one registration writes, and removes, the
// current user's keys and nothing else. The redirection is process-wide:
// registration runs alone in the process that registers (regsvr32, an
// installer). Raises EOleRegistrationError when the user's classes key
// cannot be opened.
class PerUserRegistryRoots {
 public:
  PerUserRegistryRoots();
  ~PerUserRegistryRoots();
  PerUserRegistryRoots(const PerUserRegistryRoots&) = delete;
  PerUserRegistryRoots& operator=(const PerUserRegistryRoots&) = delete;

  // True while the roots stand for the current user's keys.
  static bool Active() noexcept;
};

// Where registration keeps what is the machine's in its usual scope (the
// shell's approved list): HKEY_LOCAL_MACHINE, or HKEY_CURRENT_USER while
// PerUserRegistryRoots is active.
HKEY MachineRoot() noexcept;

}  // namespace oddments
