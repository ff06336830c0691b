// DROPFILES blocks as the shell builds them, for feeding the drop-list reader.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "../../shellext/path_list.h"

namespace oddments::test {

constexpr std::uint32_t kDropFilesHeader = 20;

// The paths a selection holds, each as a string of its own.
inline std::vector<std::u16string> Entries(const PathList& paths) {
  std::vector<std::u16string> entries;
  for (std::size_t i = 0; i < paths.size(); ++i) entries.emplace_back(paths[i]);
  return entries;
}

inline void PutField(std::vector<std::byte>& block, std::size_t at, std::uint32_t value) {
  std::memcpy(block.data() + at, &value, sizeof value);
}

// A block whose list starts at listOffset (the header's end unless given)
// and holds paths, each terminated, then the empty entry that ends the list.
inline std::vector<std::byte> AnsiDropBlock(const std::vector<std::string>& paths,
                                            std::uint32_t listOffset = kDropFilesHeader) {
  std::vector<std::byte> block(listOffset);
  PutField(block, 0, listOffset);
  for (const std::string& path : paths) {
    for (char c : path) block.push_back(static_cast<std::byte>(c));
    block.push_back(std::byte{0});
  }
  block.push_back(std::byte{0});
  return block;
}

inline std::vector<std::byte> WideDropBlock(const std::vector<std::u16string>& paths,
                                            std::uint32_t listOffset = kDropFilesHeader) {
  std::vector<std::byte> block(listOffset);
  PutField(block, 0, listOffset);
  PutField(block, 16, 1);
  auto putUnit = [&](char16_t unit) {
    block.push_back(static_cast<std::byte>(unit & 0xFF));
    block.push_back(static_cast<std::byte>(unit >> 8));
  };
  for (const std::u16string& path : paths) {
    for (char16_t unit : path) putUnit(unit);
    putUnit(0);
  }
  putUnit(0);
  return block;
}

inline std::u16string Widen(const std::string& ascii) { return std::u16string(ascii.begin(), ascii.end()); }

// n distinct, realistic paths.
inline std::vector<std::string> ManyPaths(std::size_t n) {
  std::vector<std::string> paths;
  paths.reserve(n);
  for (std::size_t i = 0; i < n; ++i) {
    paths.push_back("C:\\Users\\someone\\Documents\\Reports\\2026\\report-" + std::to_string(i) + ".txt");
  }
  return paths;
}

}  // namespace oddments::test
