// Open URL: the first selected path translated through the user's URL map
// and handed to the shell; without a matching entry, the user is told where
// the map lives and may copy the path instead.
#include <windows.h>
#include <shellapi.h>

#include "../server/failure.h"
#include "../server/win_text.h"
#include "clipboard.h"
#include "command_text.h"
#include "shexOddments1.h"
#include "url_map.h"

namespace oddments {

namespace {

constexpr wchar_t kNotFoundCaption[] = L"Oddments: Open URL";
constexpr wchar_t kNotFoundText[] =
    L"Path not found in URL list, please edit registry key:\r\n"
    L"  " ODDMENTS_URL_MAP_KEY L"\r\n"
    L"Select OK to copy the selected path onto the clipboard.";

// The map's value names in enumeration order. A value that goes while the
// list is read is skipped: a name left empty by a failed call would match
// every path and open the wrong URL.
std::vector<std::u16string> ValueNames(HKEY map) {
  DWORD count = 0, longest = 0;
  if (!map || RegQueryInfoKeyW(map, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &count, &longest, nullptr,
                               nullptr, nullptr) != ERROR_SUCCESS) {
    return {};
  }
  std::vector<std::u16string> names;
  std::u16string buffer(longest + 1, u'\0');
  for (DWORD index = 0; index < count; ++index) {
    for (;;) {
      DWORD length = static_cast<DWORD>(buffer.size());
      const LSTATUS status = RegEnumValueW(map, index, reinterpret_cast<wchar_t*>(buffer.data()), &length, nullptr,
                                           nullptr, nullptr, nullptr);
      // A longer name added since the count was taken.
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
std::u16string UrlPrefix(HKEY map, const std::u16string& name) {
  DWORD type = 0, size = 0;
  if (RegQueryValueExW(map, AsWide(name), nullptr, &type, nullptr, &size) != ERROR_SUCCESS) type = size = 0;
  if (size == 0) return {};
  // REG_EXPAND_SZ is taken literally, as users' stored maps expect.
  if (type != REG_SZ && type != REG_EXPAND_SZ) {
    throw ERegistryException("Invalid registry data type: \"" + Utf16ToUtf8(name) + "\"");
  }
  // An odd size leaves its last byte out of the last unit.
  std::u16string data(size / sizeof(char16_t) + 1, u'\0');
  if (RegQueryValueExW(map, AsWide(name), nullptr, &type, reinterpret_cast<BYTE*>(data.data()), &size) !=
      ERROR_SUCCESS) {
    throw ERegistryException("Failed to get data for value \"" + Utf16ToUtf8(name) + "\"");
  }
  data.resize(size / sizeof(char16_t));
  return std::u16string(RegistryText(data));
}

}  // namespace

void TContextMenu::OpenURL() {
  if (Files->empty()) return;
  const std::u16string_view path = (*Files)[0];
  // Read afresh each time, so that an edit counts from the next command on.
  RegKey map;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, kUrlMapKeyWide, 0, KEY_READ, map.Receive()) != ERROR_SUCCESS) map.Release();
  const std::vector<std::u16string> names = ValueNames(map.Get());
  if (const auto match = MatchUrlMapEntry(path, names)) {
    const std::u16string url = BuildUrl(UrlPrefix(map.Get(), names[*match]), path, names[*match].size());
    ShellExecuteW(GetDesktopWindow(), nullptr, AsWide(url), nullptr, nullptr, SW_SHOWNORMAL);
  } else if (MessageBoxW(GetDesktopWindow(), kNotFoundText, kNotFoundCaption, MB_OKCANCEL | MB_ICONEXCLAMATION) ==
             IDOK) {
    ClipboardAsText(path);
  }
}

}  // namespace oddments
