#include "registry_snapshot.h"

#include <stdexcept>

#include <gtest/gtest.h>

namespace oddments::test {

namespace {

class Key {
 public:
  Key(HKEY root, const std::string& path, REGSAM access) {
    if (RegOpenKeyExA(root, path.c_str(), 0, access | kOwnView, &key_) != ERROR_SUCCESS) key_ = nullptr;
  }
  ~Key() {
    if (key_) RegCloseKey(key_);
  }
  Key(const Key&) = delete;
  Key& operator=(const Key&) = delete;
  HKEY Get() const { return key_; }

 private:
  HKEY key_ = nullptr;
};

RegTree ReadTree(HKEY key) {
  RegTree tree;
  DWORD subkeys = 0, values = 0, longestKey = 0, longestName = 0, longestData = 0;
  RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, &subkeys, &longestKey, nullptr, &values, &longestName,
                   &longestData, nullptr, nullptr);
  for (DWORD i = 0; i < values; ++i) {
    std::string name(longestName + 2, '\0');
    std::string data(longestData + 2, '\0');
    DWORD nameLength = static_cast<DWORD>(name.size()), dataSize = static_cast<DWORD>(data.size()), type = 0;
    if (RegEnumValueA(key, i, name.data(), &nameLength, nullptr, &type, reinterpret_cast<BYTE*>(data.data()),
                      &dataSize) != ERROR_SUCCESS) {
      throw std::runtime_error("RegEnumValueA failed");
    }
    tree.values.push_back({name.substr(0, nameLength), type, data.substr(0, dataSize)});
  }
  for (DWORD i = 0; i < subkeys; ++i) {
    std::string name(longestKey + 2, '\0');
    DWORD nameLength = static_cast<DWORD>(name.size());
    if (RegEnumKeyExA(key, i, name.data(), &nameLength, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) {
      throw std::runtime_error("RegEnumKeyExA failed");
    }
    name.resize(nameLength);
    const Key subkey(key, name, KEY_READ);
    tree.subkeys.emplace_back(name, ReadTree(subkey.Get()));
  }
  return tree;
}

void WriteTree(HKEY root, const std::string& path, const RegTree& tree) {
  HKEY key = nullptr;
  if (RegCreateKeyExA(root, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS | kOwnView, nullptr, &key, nullptr) !=
      ERROR_SUCCESS) {
    throw std::runtime_error("cannot recreate " + path);
  }
  for (const RegValue& value : tree.values) {
    RegSetValueExA(key, value.name.c_str(), 0, value.type, reinterpret_cast<const BYTE*>(value.data.data()),
                   static_cast<DWORD>(value.data.size()));
  }
  RegCloseKey(key);
  for (const auto& [name, subtree] : tree.subkeys) WriteTree(root, path + "\\" + name, subtree);
}

}  // namespace

std::optional<RegTree> TakeTree(HKEY root, const std::string& path) {
  const Key key(root, path, KEY_READ);
  if (!key.Get()) return std::nullopt;
  return ReadTree(key.Get());
}

void PutTree(HKEY root, const std::string& path, const std::optional<RegTree>& tree) {
  RegDeleteTreeA(root, path.c_str());
  RegDeleteKeyExA(root, path.c_str(), kOwnView, 0);
  if (tree) WriteTree(root, path, *tree);
}

std::optional<RegValue> ReadValue(HKEY root, const std::string& path, const std::string& name) {
  const Key key(root, path, KEY_READ);
  if (!key.Get()) return std::nullopt;
  DWORD type = 0, size = 0;
  if (RegQueryValueExA(key.Get(), name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  std::string data(size, '\0');
  RegQueryValueExA(key.Get(), name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(data.data()), &size);
  data.resize(size);
  return RegValue{name, type, data};
}

bool KeyExists(HKEY root, const std::string& path) { return Key(root, path, KEY_READ).Get() != nullptr; }

void WriteString(HKEY root, const std::string& path, const std::string& name, const std::string& text) {
  WriteTree(root, path, RegTree{{StringValue(name, text)}, {}});
}

namespace {

void PrintTree(const RegTree& tree, const std::string& path, std::ostream& out) {
  for (const RegValue& value : tree.values) {
    out << "\n  " << path << " [" << value.name << "] type " << value.type << ", " << value.data.size() << " bytes";
  }
  for (const auto& [name, subtree] : tree.subkeys) PrintTree(subtree, path + "\\" + name, out);
  if (tree.values.empty() && tree.subkeys.empty()) out << "\n  " << path;
}

}  // namespace

void PrintTo(const RegTree& tree, std::ostream* out) { PrintTree(tree, "", *out); }

RegistrationArea TakeRegistrationArea(HKEY hive) {
  const std::string classes = "Software\\Classes\\";
  return {TakeTree(hive, classes + "CLSID"), TakeTree(hive, classes + "shexOddments."), TakeTree(hive, classes + "*"),
          TakeTree(hive, classes + "Folder"),
          TakeTree(hive, kApproved)};
}

void PrintTo(const RegistrationArea& area, std::ostream* out) {
  *out << "CLSID:" << ::testing::PrintToString(area.classIDs) << "\nProgID:" << ::testing::PrintToString(area.progID)
       << "\n*:" << ::testing::PrintToString(area.files) << "\nFolder:" << ::testing::PrintToString(area.folders)
       << "\nApproved:" << ::testing::PrintToString(area.approved);
}

}  // namespace oddments::test
