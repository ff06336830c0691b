// The UTF-8 decoding rules written as plainly as possible, one byte at a
// time, for checking the fast decoder against.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace oddments::test {

// Bytes of the sequence a lead byte announces, by its leading one bits.
inline std::size_t AnnouncedLength(unsigned lead) {
  if (lead >= 0xFE) return 7;  // 0xFF is taken as 0xFE
  if (lead >= 0xFC) return 6;
  if (lead >= 0xF8) return 5;
  if (lead >= 0xF0) return 4;
  if (lead >= 0xE0) return 3;
  return 2;
}

inline bool IsAllowedCodePoint(unsigned long value, std::size_t length) {
  if (length == 2) return value >= 0x80;
  if (length == 3) return value >= 0x800 && !(value >= 0xD800 && value <= 0xDFFF) && value < 0xFFFE;
  return value >= 0x10000 && value <= 0x10FFFF;
}

inline std::u16string DecodeUtf8Model(std::string_view bytes) {
  auto byteAt = [&](std::size_t i) { return static_cast<unsigned char>(bytes[i]); };
  auto isContinuation = [&](std::size_t i) { return byteAt(i) >= 0x80 && byteAt(i) <= 0xBF; };

  std::u16string out;
  std::size_t i = 0;
  while (i < bytes.size()) {
    const unsigned lead = byteAt(i);
    if (lead < 0x80) {
      out += static_cast<char16_t>(lead);
      i += 1;
      continue;
    }
    if (lead <= 0xBF) {  // a continuation byte with no lead
      out += u'?';
      i += 1;
      continue;
    }
    const std::size_t length = AnnouncedLength(lead);
    std::size_t taken = 1;
    while (taken < length && i + taken < bytes.size() && isContinuation(i + taken)) taken += 1;

    unsigned long value = 0;
    if (length <= 4) {
      value = lead & (0xFFu >> (length + 1));
      for (std::size_t k = 1; k < taken; ++k) value = value * 64 + (byteAt(i + k) - 0x80);
    }
    const bool complete = taken == length;
    if (!complete || length > 4 || !IsAllowedCodePoint(value, length)) {
      out += u'?';
    } else if (value <= 0xFFFF) {
      out += static_cast<char16_t>(value);
    } else {
      out += static_cast<char16_t>(0xD800 + ((value - 0x10000) >> 10));
      out += static_cast<char16_t>(0xDC00 + ((value - 0x10000) & 0x3FF));
    }
    i += taken;
  }
  return out;
}

}  // namespace oddments::test
