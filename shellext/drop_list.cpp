#include "drop_list.h"

#include <cstdint>
#include <cstring>

namespace oddments {

namespace {

// DROPFILES: pFiles (offset of the list), pt, fNC, fWide; four bytes each
// but pt, which is two.
constexpr std::size_t kOffsetField = 0;
constexpr std::size_t kWideField = 16;
constexpr std::size_t kHeaderSize = 20;

std::uint32_t ReadField(std::span<const std::byte> block, std::size_t at) {
  std::uint32_t value;
  std::memcpy(&value, block.data() + at, sizeof value);
  return value;
}

// Length of the list's entries with their terminators: the list ends at its
// first empty entry or at the end of the text.
template <class Char>
std::size_t ListExtent(std::basic_string_view<Char> text) {
  std::size_t at = 0;
  while (at < text.size() && text[at] != Char{}) {
    const std::size_t end = text.find(Char{}, at);
    if (end == std::basic_string_view<Char>::npos) return text.size();
    at = end + 1;
  }
  return at;
}

}  // namespace

PathList ReadDropList(std::span<const std::byte> block, AnsiListConverter fromAnsi) {
  if (block.size() < kHeaderSize) return {};
  const std::uint32_t offset = ReadField(block, kOffsetField);
  if (offset > block.size()) return {};
  const std::span<const std::byte> list = block.subspan(offset);

  if (ReadField(block, kWideField) == 0) {
    const std::string_view text(reinterpret_cast<const char*>(list.data()), list.size());
    return PathList(fromAnsi(text.substr(0, ListExtent(text))));
  }
  // Copied out because the list need not be aligned for UTF-16 units.
  std::u16string wide(list.size() / sizeof(char16_t), u'\0');
  std::memcpy(wide.data(), list.data(), wide.size() * sizeof(char16_t));
  wide.resize(ListExtent(std::u16string_view(wide)));
  return PathList(std::move(wide));
}

}  // namespace oddments
