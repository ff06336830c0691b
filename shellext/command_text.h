// Text rules of the commands that need no Windows call, so that they also
// build and are tested natively.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace oddments {

// Which byte values open a two-byte character in the ANSI code page; all
// false in a single-byte code page.
using LeadBytes = std::array<bool, 256>;

// The item's own name: what follows the path's last backslash, the whole
// path when it has none, empty when it ends with one (a drive root). A
// backslash byte that is the second half of a double-byte character does
// not count.
std::string_view ItemName(std::string_view path, const LeadBytes& leadBytes);

// Every entry followed by CR LF.
std::string JoinLines(const std::vector<std::string>& entries);

// Without the bytes 0x00 to 0x20 (space and the control characters) at
// either end.
std::string_view TrimControl(std::string_view text);

// A DOS date and time: the date in the high 16 bits, the time in the low,
// seconds at 2-second resolution; 0 when the year lies outside 1980-2099.
std::uint32_t DosDateTime(int year, int month, int day, int hour, int minute, int second);

// The first entry of the URL map, by index into names in enumeration order,
// whose name begins path: ASCII letters match whatever their case, by
// characters, not path components; the empty name matches every path. None
// when no name fits.
std::optional<std::size_t> MatchUrlMapEntry(std::string_view path, const std::vector<std::string>& names);

// The URL for path under an entry whose name has nameLength characters: the
// entry's data, then the rest of the path with its backslashes turned into
// slashes, nothing escaped.
std::string BuildUrl(std::string_view prefix, std::string_view path, std::size_t nameLength);

// A REG_SZ value's data as text: without its terminating zero, when it has
// one; a writer may have left it out.
std::string_view RegistryText(std::string_view data);

}  // namespace oddments
