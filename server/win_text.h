// Conversions between the code pages that Windows calls and users' texts
// come in. Paths and the texts the commands build are UTF-16 (char16_t, so
// that the portable logic shares them); failure messages are UTF-8; the
// registration's registry texts are in the ANSI code page.
#pragma once

#include <string>
#include <string_view>

namespace oddments {

std::wstring AnsiToWide(std::string_view text);
std::string WideToAnsi(std::wstring_view text);

// As DragQueryFileW converts an ANSI drop list.
std::u16string AnsiToUtf16(std::string_view text);

std::string Utf16ToUtf8(std::u16string_view text);
std::wstring Utf8ToWide(std::string_view text);

// The same units as the wide calls take them: wchar_t is UTF-16 on Windows.
inline const wchar_t* AsWide(const std::u16string& text) noexcept {
  return reinterpret_cast<const wchar_t*>(text.c_str());
}

}  // namespace oddments
