#include "command_text.h"

#include <algorithm>

namespace oddments {

std::u16string_view ItemName(std::u16string_view path) {
  const std::size_t separator = path.rfind(u'\\');
  return separator == std::u16string_view::npos ? path : path.substr(separator + 1);
}

std::size_t JoinedLength(const PathList& entries) {
  std::size_t length = 0;
  for (std::size_t i = 0; i < entries.size(); ++i) length += entries[i].size() + 2;
  return length;
}

void JoinLines(const PathList& entries, char16_t* out) {
  for (std::size_t i = 0; i < entries.size(); ++i) {
    out = std::copy(entries[i].begin(), entries[i].end(), out);
    *out++ = u'\r';
    *out++ = u'\n';
  }
}

std::u16string_view TrimControl(std::u16string_view text) {
  const auto isControl = [](char16_t c) { return c <= 0x20; };
  while (!text.empty() && isControl(text.back())) text.remove_suffix(1);
  while (!text.empty() && isControl(text.front())) text.remove_prefix(1);
  return text;
}

std::uint32_t DosDateTime(int year, int month, int day, int hour, int minute, int second) {
  if (year < 1980 || year > 2099) return 0;
  const auto date = static_cast<std::uint32_t>(((year - 1980) << 9) | (month << 5) | day);
  const auto time = static_cast<std::uint32_t>((hour << 11) | (minute << 5) | (second / 2));
  return (date << 16) | time;
}

namespace {

char16_t AsciiUpper(char16_t c) { return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - u'a' + u'A') : c; }

bool StartsWithIgnoringAsciiCase(std::u16string_view text, std::u16string_view prefix) {
  if (text.size() < prefix.size()) return false;
  for (std::size_t i = 0; i < prefix.size(); ++i) {
    if (AsciiUpper(text[i]) != AsciiUpper(prefix[i])) return false;
  }
  return true;
}

bool IsAsciiLetter(char16_t c) { return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z'); }

// The longest path the plain calls take: MAX_PATH less the terminator.
constexpr std::size_t kLongestPlainPath = 259;

}  // namespace

std::optional<std::size_t> MatchUrlMapEntry(std::u16string_view path, const std::vector<std::u16string>& names) {
  for (std::size_t i = 0; i < names.size(); ++i) {
    if (StartsWithIgnoringAsciiCase(path, names[i])) return i;
  }
  return std::nullopt;
}

std::u16string BuildUrl(std::u16string_view prefix, std::u16string_view path, std::size_t nameLength) {
  std::u16string url(prefix);
  for (const char16_t c : path.substr(nameLength)) url += c == u'\\' ? u'/' : c;
  return url;
}

std::u16string_view RegistryText(std::u16string_view data) {
  if (!data.empty() && data.back() == u'\0') data.remove_suffix(1);
  return data;
}

std::u16string FileSystemPath(std::u16string_view path) {
  if (path.size() <= kLongestPlainPath || path.starts_with(u"\\\\?\\") || path.starts_with(u"\\\\.\\")) {
    return std::u16string(path);
  }
  std::u16string extended;
  if (path.starts_with(u"\\\\")) {
    extended = u"\\\\?\\UNC\\";
    path.remove_prefix(2);
  } else if (path.size() >= 3 && IsAsciiLetter(path[0]) && path[1] == u':' && (path[2] == u'\\' || path[2] == u'/')) {
    extended = u"\\\\?\\";
  } else {
    return std::u16string(path);  // relative: only the plain calls resolve it
  }
  extended.reserve(extended.size() + path.size());
  for (const char16_t c : path) extended += c == u'/' ? u'\\' : c;
  return extended;
}

}  // namespace oddments
