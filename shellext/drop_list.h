// Reading the file list of a shell drop block (DROPFILES), apart from any
// Windows call so that it also builds and is tested natively.
#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <string_view>

#include "path_list.h"

namespace oddments {

// Converts text in the ANSI code page, zero bytes included, to UTF-16.
using AnsiListConverter = std::u16string (*)(std::string_view ansi);

// The entries of the block's list as UTF-16, in order, each whole. The block
// is read in one pass and never beyond its size: a list offset outside the
// block gives no entries, and an entry cut off by the block's end, its
// terminator outside the block, is dropped; the whole entries before it
// stand, also when the list's closing empty entry is missing. A wide list is
// taken as it stands; an ANSI list is converted with one call of fromAnsi.
PathList ReadDropList(std::span<const std::byte> block, AnsiListConverter fromAnsi);

}  // namespace oddments
