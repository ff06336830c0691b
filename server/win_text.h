// Conversions between the ANSI code page, in which every text of this DLL is
// kept, and the UTF-16 that COM and some Windows calls take.
#pragma once

#include <string>
#include <string_view>

namespace oddments {

std::wstring AnsiToWide(std::string_view text);
std::string WideToAnsi(std::wstring_view text);

}  // namespace oddments
