// Reading the file list of a shell drop block (DROPFILES), apart from any
// Windows call so that it also builds and is tested natively.
#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace oddments {

// Converts UTF-16 text, zero units included, to the ANSI code page.
using WideListConverter = std::string (*)(std::u16string_view wide);

// The entries of the block's list, in order, each whole. The block is read in
// one pass and never beyond its size: a list offset outside the block gives no
// entries, and an entry cut off by the block's end ends the list. A wide list
// is converted with one call of toAnsi.
std::vector<std::string> ReadDropList(std::span<const std::byte> block, WideListConverter toAnsi);

}  // namespace oddments
