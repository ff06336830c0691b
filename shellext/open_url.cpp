// Open URL: the first selected path translated through the user's URL map
// and handed to the shell; without a matching entry, the user is told where
// the map lives and may copy the path instead.
#include <windows.h>
#include <shellapi.h>

#include "../server/failure.h"
#include "clipboard.h"
#include "command_text.h"
#include "shexOddments1.h"
#include "url_map.h"

namespace oddments {

namespace {

constexpr char kNotFoundCaption[] = "Oddments: Open URL";
constexpr char kNotFoundText[] =
    "Path not found in URL list, please edit registry key:\r\n"
    "  SOFTWARE\\Marrowgate Code Workshop\\Oddments\\URLs\r\n"
    "Select OK to copy the selected path onto the clipboard.";

// The map's value names in enumeration order. A value that goes while the
// list is read is skipped: a name left empty by a failed call would match
// every path and open the wrong URL.
std::vector<std::string> ValueNames(HKEY map) {
  DWORD count = 0, longest = 0;
  if (!map || RegQueryInfoKeyA(map, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &count, &longest, nullptr,
                               nullptr, nullptr) != ERROR_SUCCESS) {
    return {};
  }
  std::vector<std::string> names;
  // The longest length counts characters; an ANSI name may need more bytes.
  std::string buffer(longest + 1, '\0');
  for (DWORD index = 0; index < count; ++index) {
    for (;;) {
      DWORD length = static_cast<DWORD>(buffer.size());
      const LSTATUS status = RegEnumValueA(map, index, buffer.data(), &length, nullptr, nullptr, nullptr, nullptr);
      if (status == ERROR_MORE_DATA && buffer.size() < 32768) {
        buffer.resize(buffer.size() * 2);
        continue;
      }
      if (status == ERROR_SUCCESS) names.emplace_back(buffer.data(), length);
      break;
    }
  }
  return names;
}

// The matching entry's URL prefix.
std::string UrlPrefix(HKEY map, const std::string& name) {
  DWORD type = 0, size = 0;
  if (RegQueryValueExA(map, name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS) type = size = 0;
  if (size == 0) return {};
  // REG_EXPAND_SZ is taken literally, as users' stored maps expect.
  if (type != REG_SZ && type != REG_EXPAND_SZ) {
    throw ERegistryException("Invalid registry data type: \"" + name + "\"");
  }
  std::string data(size, '\0');
  if (RegQueryValueExA(map, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(data.data()), &size) !=
      ERROR_SUCCESS) {
    throw ERegistryException("Failed to get data for value \"" + name + "\"");
  }
  data.resize(size);
  return std::string(RegistryText(data));
}

}  // namespace

void TContextMenu::OpenURL() {
  if (Files->empty()) return;
  const std::string& path = Files->front();
  // Read afresh each time, so that an edit counts from the next command on.
  RegKey map;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, kUrlMapKey, 0, KEY_READ, map.Receive()) != ERROR_SUCCESS) map.Release();
  const std::vector<std::string> names = ValueNames(map.Get());
  if (const auto match = MatchUrlMapEntry(path, names)) {
    const std::string url = BuildUrl(UrlPrefix(map.Get(), names[*match]), path, names[*match].size());
    ShellExecuteA(GetDesktopWindow(), nullptr, url.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
  } else if (MessageBoxA(GetDesktopWindow(), kNotFoundText, kNotFoundCaption, MB_OKCANCEL | MB_ICONEXCLAMATION) ==
             IDOK) {
    ClipboardAsText(path);
  }
}

}  // namespace oddments
