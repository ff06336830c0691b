// Turning file bytes into UTF-16 for the clipboard, apart from any Windows
// call so that it also builds, is tested and is fuzzed natively.
#pragma once

#include <cstddef>

namespace oddments {

// Room DecodeUtf8 needs for utf8Bytes bytes of input: no byte yields more
// than one unit (a 4-byte sequence yields a surrogate pair, two units).
constexpr std::size_t MaxUtf16Units(std::size_t utf8Bytes) { return utf8Bytes; }

// Decodes size bytes of UTF-8 at in into out, which must have room for
// MaxUtf16Units(size) units, and returns the count of units written. Every
// byte is kept or replaced, none dropped: zero bytes and line ends pass
// through, a byte order mark is not skipped. What is not well-formed gives
// '?' (one per ill-formed sequence, or per stray continuation byte).
// Never reads past in + size; may use all of out's room as scratch.
std::size_t DecodeUtf8(const unsigned char* in, std::size_t size, char16_t* out) noexcept;

// Copies UTF-16LE text: size / 2 units, low byte first; an odd last byte is
// left out. out must have room for size / 2 units; returns that count.
std::size_t CopyUtf16Le(const unsigned char* in, std::size_t size, char16_t* out) noexcept;

}  // namespace oddments
