// Text rules of the commands that need no Windows call, so that they also
// build and are tested natively. Paths and texts are UTF-16, as the shell and
// the wide Windows calls keep them.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "path_list.h"

namespace oddments {

// The item's own name: what follows the path's last backslash, the whole
// path when it has none, empty when it ends with one (a drive root).
std::u16string_view ItemName(std::u16string_view path);

// Every entry followed by CR LF, written from out on; JoinedLength units.
std::size_t JoinedLength(const PathList& entries);
void JoinLines(const PathList& entries, char16_t* out);

// Without the units U+0000 to U+0020 (space and the control characters) at
// either end.
std::u16string_view TrimControl(std::u16string_view text);

// A DOS date and time: the date in the high 16 bits, the time in the low,
// seconds at 2-second resolution; 0 when the year lies outside 1980-2099.
std::uint32_t DosDateTime(int year, int month, int day, int hour, int minute, int second);

// The first entry of the URL map, by index into names in enumeration order,
// whose name begins path: ASCII letters match whatever their case, by
// characters, not path components; the empty name matches every path. None
// when no name fits.
std::optional<std::size_t> MatchUrlMapEntry(std::u16string_view path, const std::vector<std::u16string>& names);

// The URL for path under an entry whose name has nameLength characters: the
// entry's data, then the rest of the path with its backslashes turned into
// slashes, nothing escaped.
std::u16string BuildUrl(std::u16string_view prefix, std::u16string_view path, std::size_t nameLength);

// A REG_SZ value's data as text: without its terminating zero, when it has
// one; a writer may have left it out.
std::u16string_view RegistryText(std::u16string_view data);

// The path that file-system calls take for path: a full path too long for
// the plain calls in its extended-length form (\\?\ or \\?\UNC\), which
// skips their normalisation, so its slashes become backslashes there. Any
// other path as it stands.
std::u16string FileSystemPath(std::u16string_view path);

}  // namespace oddments
