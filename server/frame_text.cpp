#include "frame_text.h"

namespace oddments {

namespace {

void AppendHex(std::string& out, std::uint32_t value, int digits) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  for (int shift = (digits - 1) * 4; shift >= 0; shift -= 4) {
    out += kDigits[(value >> shift) & 0xF];
  }
}

}  // namespace

std::string GuidText(const GuidFields& guid) {
  std::string text;
  text.reserve(38);
  text += '{';
  AppendHex(text, guid.data1, 8);
  text += '-';
  AppendHex(text, guid.data2, 4);
  text += '-';
  AppendHex(text, guid.data3, 4);
  text += '-';
  for (std::size_t i = 0; i < guid.data4.size(); ++i) {
    if (i == 2) text += '-';
    AppendHex(text, guid.data4[i], 2);
  }
  text += '}';
  return text;
}

std::string ServerNameFromPath(std::string_view path) {
  const std::size_t separator = path.find_last_of("\\/:");
  const std::string_view fileName =
      separator == std::string_view::npos ? path : path.substr(separator + 1);
  const std::size_t dot = fileName.rfind('.');
  if (dot == std::string_view::npos) return {};
  return std::string(fileName.substr(0, dot));
}

}  // namespace oddments
