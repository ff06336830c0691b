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

}  // namespace

PathList ReadDropList(std::span<const std::byte> block, AnsiListConverter fromAnsi) {
  if (block.size() < kHeaderSize) return {};
  const std::uint32_t offset = ReadField(block, kOffsetField);
  if (offset > block.size()) return {};
  const std::span<const std::byte> list = block.subspan(offset);

  // The list's end, its first empty entry, is found as the entries are
  // taken: a large list is read once.
  if (ReadField(block, kWideField) == 0) {
    return PathList(fromAnsi({reinterpret_cast<const char*>(list.data()), list.size()}));
  }
  // Copied out because the list need not be aligned for UTF-16 units.
  std::u16string wide(list.size() / sizeof(char16_t), u'\0');
  std::memcpy(wide.data(), list.data(), wide.size() * sizeof(char16_t));
  return PathList(std::move(wide));
}

}  // namespace oddments
