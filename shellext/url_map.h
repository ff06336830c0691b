// Where the Open URL command finds its map of local path prefixes to URL
// prefixes, and the entry that registration seeds.
#pragma once

namespace oddments {

// Under HKEY_CURRENT_USER: each value's name is a path prefix, its data the
// URL that replaces it. Written once as a literal, for the ANSI registration
// and the wide reading and message alike.
#define ODDMENTS_URL_MAP_KEY "SOFTWARE\\Marrowgate Code Workshop\\Oddments\\URLs"
inline constexpr char kUrlMapKey[] = ODDMENTS_URL_MAP_KEY;
inline constexpr wchar_t kUrlMapKeyWide[] = L"" ODDMENTS_URL_MAP_KEY;

// The local web server's document root and its address.
inline constexpr char kSeededUrlPrefix[] = "C:\\InetPub\\wwwroot";
inline constexpr char kSeededUrl[] = "http://localhost";

}  // namespace oddments
