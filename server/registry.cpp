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

namespace {

bool HoldsNothing(HKEY root, const std::string& keyPath) noexcept {
  RegKey key;
  if (RegOpenKeyExA(root, keyPath.c_str(), 0, KEY_READ, key.Receive()) != ERROR_SUCCESS) return false;
  DWORD subkeys = 0, values = 0;
  if (RegQueryInfoKeyA(key.Get(), nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values, nullptr, nullptr,
                       nullptr, nullptr) != ERROR_SUCCESS) {
    return false;
  }
  if (subkeys != 0 || values > 1) return false;
  if (values == 0) return true;
  char text[1] = {};
  DWORD type = 0, size = sizeof text;
  return RegQueryValueExA(key.Get(), "", nullptr, &type, reinterpret_cast<BYTE*>(text), &size) == ERROR_SUCCESS &&
         type == REG_SZ && (size == 0 || (size == 1 && text[0] == '\0'));
}

bool g_perUserRoots = false;

}  // namespace

void DeleteEmptyKeys(HKEY root, const std::string& keyPath, int levels) noexcept {
  std::string path = keyPath;
  for (int level = 0; level < levels && !path.empty(); ++level) {
    if (!HoldsNothing(root, path) || RegDeleteKeyA(root, path.c_str()) != ERROR_SUCCESS) return;
    const std::size_t separator = path.rfind('\\');
    path.resize(separator == std::string::npos ? 0 : separator);
  }
}

PerUserRegistryRoots::PerUserRegistryRoots() {
  const std::string classesPath = "Software\\Classes";
  // The override holds a key of its own, so this handle may close.
  const RegKey classes = OpenOrCreateRegKey(HKEY_CURRENT_USER, classesPath);
  if (!classes || RegOverridePredefKey(HKEY_CLASSES_ROOT, classes.Get()) != ERROR_SUCCESS) {
    throw EOleRegistrationError("Failed to create key " + classesPath);
  }
  g_perUserRoots = true;
}

PerUserRegistryRoots::~PerUserRegistryRoots() {
  g_perUserRoots = false;
  RegOverridePredefKey(HKEY_CLASSES_ROOT, nullptr);
}

bool PerUserRegistryRoots::Active() noexcept { return g_perUserRoots; }

HKEY MachineRoot() noexcept { return g_perUserRoots ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE; }

}  // namespace oddments
