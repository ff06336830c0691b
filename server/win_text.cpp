#include "win_text.h"

#include <windows.h>

#include <climits>
#include <stdexcept>

namespace oddments {

namespace {

static_assert(sizeof(wchar_t) == sizeof(char16_t));

int CheckedLength(std::size_t size) {
  if (size > static_cast<std::size_t>(INT_MAX)) throw std::length_error("text too long to convert");
  return static_cast<int>(size);
}

std::wstring ToWide(UINT codePage, std::string_view text) {
  if (text.empty()) return {};
  const int length = CheckedLength(text.size());
  const int units = MultiByteToWideChar(codePage, 0, text.data(), length, nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(units), L'\0');
  MultiByteToWideChar(codePage, 0, text.data(), length, wide.data(), units);
  return wide;
}

template <class Char>
std::string FromWide(UINT codePage, std::basic_string_view<Char> text) {
  if (text.empty()) return {};
  const int length = CheckedLength(text.size());
  const auto* units = reinterpret_cast<const wchar_t*>(text.data());
  const int bytes = WideCharToMultiByte(codePage, 0, units, length, nullptr, 0, nullptr, nullptr);
  std::string narrow(static_cast<std::size_t>(bytes), '\0');
  WideCharToMultiByte(codePage, 0, units, length, narrow.data(), bytes, nullptr, nullptr);
  return narrow;
}

}  // namespace

std::wstring AnsiToWide(std::string_view text) { return ToWide(CP_ACP, text); }
std::string WideToAnsi(std::wstring_view text) { return FromWide(CP_ACP, text); }
std::u16string AnsiToUtf16(std::string_view text) {
  // No code page gives more than one unit a byte, so one call does: asking
  // for the exact count first would read a large drop list twice.
  const int length = CheckedLength(text.size());
  std::u16string wide(text.size(), u'\0');
  if (length) {
    wide.resize(static_cast<std::size_t>(MultiByteToWideChar(CP_ACP, 0, text.data(), length,
                                                             reinterpret_cast<wchar_t*>(wide.data()), length)));
  }
  return wide;
}
std::string Utf16ToUtf8(std::u16string_view text) { return FromWide(CP_UTF8, text); }
std::wstring Utf8ToWide(std::string_view text) { return ToWide(CP_UTF8, text); }

}  // namespace oddments
