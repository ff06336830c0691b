#include "command_text.h"

namespace oddments {

std::string_view ItemName(std::string_view path, const LeadBytes& leadBytes) {
  // Forward, because in a double-byte code page a byte's meaning depends on
  // what precedes it.
  std::size_t nameStart = 0;
  for (std::size_t i = 0; i < path.size(); ++i) {
    const auto byte = static_cast<unsigned char>(path[i]);
    if (leadBytes[byte] && i + 1 < path.size()) {
      ++i;
    } else if (byte == '\\') {
      nameStart = i + 1;
    }
  }
  return path.substr(nameStart);
}

std::string JoinLines(const std::vector<std::string>& entries) {
  std::size_t size = 0;
  for (const std::string& entry : entries) size += entry.size() + 2;
  std::string text;
  text.reserve(size);
  for (const std::string& entry : entries) {
    text += entry;
    text += "\r\n";
  }
  return text;
}

std::string_view TrimControl(std::string_view text) {
  const auto isControl = [](char c) { return static_cast<unsigned char>(c) <= 0x20; };
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

char AsciiUpper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

bool StartsWithIgnoringAsciiCase(std::string_view text, std::string_view prefix) {
  if (text.size() < prefix.size()) return false;
  for (std::size_t i = 0; i < prefix.size(); ++i) {
    if (AsciiUpper(text[i]) != AsciiUpper(prefix[i])) return false;
  }
  return true;
}

}  // namespace

std::optional<std::size_t> MatchUrlMapEntry(std::string_view path, const std::vector<std::string>& names) {
  for (std::size_t i = 0; i < names.size(); ++i) {
    if (StartsWithIgnoringAsciiCase(path, names[i])) return i;
  }
  return std::nullopt;
}

std::string BuildUrl(std::string_view prefix, std::string_view path, std::size_t nameLength) {
  std::string url(prefix);
  for (const char c : path.substr(nameLength)) url += c == '\\' ? '/' : c;
  return url;
}

std::string_view RegistryText(std::string_view data) {
  if (!data.empty() && data.back() == '\0') data.remove_suffix(1);
  return data;
}

}  // namespace oddments
