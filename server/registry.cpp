#include "registry.h"

#include <climits>

#include "failure.h"

namespace oddments {

RegKey OpenOrCreateRegKey(HKEY parent, const std::string& keyPath) noexcept {
  RegKey key;
  if (RegCreateKeyExA(parent, keyPath.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr,
                      key.Receive(), nullptr) != ERROR_SUCCESS) {
    key.Release();  // a failed call leaves nothing to close
  }
  return key;
}

void RaiseValueNotSet(const std::string& valueName) {
  throw ERegistryException("Failed to set data for value \"" + valueName + "\"");
}

void SetRegString(HKEY key, const std::string& valueName, const std::string& value) {
  if (value.size() >= static_cast<std::size_t>(ULONG_MAX)) RaiseValueNotSet(valueName);
  const auto bytes = static_cast<DWORD>(value.size() + 1);
  if (RegSetValueExA(key, valueName.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()), bytes) !=
      ERROR_SUCCESS) {
    RaiseValueNotSet(valueName);
  }
}

void CreateRegKey(const std::string& keyPath, const std::string& valueName, const std::string& value, HKEY root) {
  const RegKey key = OpenOrCreateRegKey(root, keyPath);
  if (!key) throw EOleRegistrationError("Failed to create key " + keyPath);
  SetRegString(key.Get(), valueName, value);
}

void DeleteRegKey(const std::string& keyPath, HKEY root) noexcept { RegDeleteKeyA(root, keyPath.c_str()); }

}  // namespace oddments
