// Plain text is mostly ASCII, so runs of it go 16 bytes at a time, and a
// sequence standing alone among them (an accented letter, a dash) is decoded
// without leaving that loop. Other scripts come as runs of sequences of one
// length (2 bytes for Cyrillic, 3 for CJK, 4 for emoji), each decoded in a
// loop of its own whose branches stay predictable. Whatever is left is
// ill-formed and gives one '?'.
#include "text_decode.h"

#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace oddments {
namespace {

using Byte = unsigned char;

// Not U+FFFD: the text may end up in programs that show only ANSI.
constexpr char16_t kReplacement = u'?';

constexpr bool IsContinuation(Byte b) { return (b & 0xC0) == 0x80; }

// U+FFFE and U+FFFF are refused: they would read as a byte-swapped order
// mark. Past U+10FFFF, UTF-16 cannot hold a value.
constexpr char32_t kLastThreeByteValue = 0xFFFD;
constexpr char32_t kLastCodePoint = 0x10FFFF;

#if defined(__SSE2__)
// What a lead byte announces, by its bits 3 to 6 (the byte is 0x80 or
// more). A byte that cannot lead gets a range that no value falls in, and
// a length only to keep the shifts in range.
struct SequenceShape {
  std::uint32_t length;
  std::uint32_t leadBits;
  std::uint32_t continuationBits;  // of the four bytes taken low byte first
  std::uint32_t minimum;
  std::uint32_t span;  // maximum - minimum
};

constexpr SequenceShape kCannotLead = {2, 0, 0, 0xFFFFFFFF, 0};
constexpr SequenceShape kTwoBytes = {2, 0x1F, 0x0000C000, 0x80, 0x7FF - 0x80};
// The surrogates are left out apart, for every length alike.
constexpr SequenceShape kThreeBytes = {3, 0x0F, 0x00C0C000, 0x800, kLastThreeByteValue - 0x800};
constexpr SequenceShape kFourBytes = {4, 0x07, 0xC0C0C000, 0x10000, kLastCodePoint - 0x10000};
constexpr SequenceShape kShapes[16] = {
    kCannotLead, kCannotLead, kCannotLead, kCannotLead, kCannotLead, kCannotLead,
    kCannotLead, kCannotLead, kTwoBytes,   kTwoBytes,   kTwoBytes,   kTwoBytes,
    kThreeBytes, kThreeBytes, kFourBytes,  kCannotLead};

struct Decoded {
  std::uint32_t length;  // in bytes, as the lead announces it
  bool wellFormed;
};

// Decodes the sequence at the non-ASCII byte at p, which has four bytes
// left, into out. Amid ASCII its length is as good as random, so nothing
// here branches on it: every length is worked out alike and the right one
// picked. Two units are written even if fewer are due, or none: out has
// room for four, and the caller goes on from the right place.
Decoded DecodeIsolatedSequence(const Byte* p, char16_t* out) {
  std::uint32_t bytes;  // the first byte lowest, as x86 loads them
  std::memcpy(&bytes, p, sizeof bytes);
  const SequenceShape& shape = kShapes[bytes >> 3 & 0x0F];
  const std::uint32_t payload = (bytes & shape.leadBits) << 18 | (bytes >> 8 & 0x3F) << 12 |
                                (bytes >> 16 & 0x3F) << 6 | (bytes >> 24 & 0x3F);
  const std::uint32_t value = payload >> (24 - 6 * shape.length);
  const bool continued = (bytes & shape.continuationBits) == (0x80808000 & shape.continuationBits);
  const bool allowed = (value - shape.minimum <= shape.span) & (value - 0xD800 >= 0x800);
  const std::uint32_t pair = 0 - (shape.length >> 2);
  const std::uint32_t surrogates = (0xD7C0 + (value >> 10)) | (0xDC00 + (value & 0x3FF)) << 16;
  const std::uint32_t units = value ^ ((value ^ surrogates) & pair);  // a mask, not a branch
  out[0] = static_cast<char16_t>(units);
  out[1] = static_cast<char16_t>(units >> 16);
  const bool wellFormed = continued & allowed;
  return {shape.length, wellFormed};
}

// Widens the bytes from p 16 at a time while they are ASCII and returns the
// high bits of the first 16 that are not, with p at them, or 0 when fewer
// than 16 are left. All 16 are widened before looking at them. That stays
// in bounds: no byte gives more than one unit, so out has at least as much
// room left as there is input. A loop of its own keeps p and out in
// registers on 32-bit x86 too.
unsigned WidenAsciiBlocks(const Byte*& p, const Byte* end, char16_t*& out) {
  const __m128i zero = _mm_setzero_si128();
  while (end - p >= 16) {
    const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out), _mm_unpacklo_epi8(chunk, zero));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 8), _mm_unpackhi_epi8(chunk, zero));
    const auto highBits = static_cast<unsigned>(_mm_movemask_epi8(chunk));
    if (highBits != 0) return highBits;
    p += 16;
    out += 16;
  }
  return 0;
}
#endif

// Copies the ASCII bytes from p up to the first other byte or the end,
// decoding on the way the sequences that stand alone among them.
void CopyAscii(const Byte*& p, const Byte* end, char16_t*& out) {
#if defined(__SSE2__)
  while (const unsigned highBits = WidenAsciiBlocks(p, end, out)) {
    const int ascii = std::countr_zero(highBits);
    p += ascii;
    out += ascii;
    // Decoded here when no other non-ASCII byte follows in the block past
    // the four a sequence may take: where more come close together, the
    // run loops do better. The exact path takes the last 3 bytes.
    const bool alone = (highBits >> ascii) < 0x10;
    if (!alone || end - p < 4) return;
    const auto [length, wellFormed] = DecodeIsolatedSequence(p, out);
    if (!wellFormed) return;
    p += length;
    out += 1 + (length >> 2);
    if (p != end && *p >= 0x80) return;
  }
#endif
  while (p != end && *p < 0x80) *out++ = *p++;
}

// C0 and C1 could only begin overlong forms.
const Byte* DecodeTwoByteRun(const Byte* p, const Byte* end, char16_t*& out) {
  while (end - p >= 2 && p[0] >= 0xC2 && p[0] <= 0xDF && IsContinuation(p[1])) {
    *out++ = static_cast<char16_t>((p[0] & 0x1F) << 6 | (p[1] & 0x3F));
    p += 2;
  }
  return p;
}

// Refused besides: overlong forms and lone surrogates.
constexpr bool IsAllowedThreeByteValue(char32_t unit) {
  return unit >= 0x800 && (unit < 0xD800 || unit > 0xDFFF) && unit <= kLastThreeByteValue;
}

const Byte* DecodeThreeByteRun(const Byte* p, const Byte* end, char16_t*& out) {
  while (end - p >= 3 && (p[0] & 0xF0) == 0xE0 && IsContinuation(p[1]) && IsContinuation(p[2])) {
    const char32_t unit = (p[0] & 0x0F) << 12 | (p[1] & 0x3F) << 6 | (p[2] & 0x3F);
    if (!IsAllowedThreeByteValue(unit)) break;
    *out++ = static_cast<char16_t>(unit);
    p += 3;
  }
  return p;
}

// Refused: overlong forms and values past the last code point.
const Byte* DecodeFourByteRun(const Byte* p, const Byte* end, char16_t*& out) {
  while (end - p >= 4 && (p[0] & 0xF8) == 0xF0 && IsContinuation(p[1]) && IsContinuation(p[2]) &&
         IsContinuation(p[3])) {
    const char32_t codePoint =
        (p[0] & 0x07) << 18 | (p[1] & 0x3F) << 12 | (p[2] & 0x3F) << 6 | (p[3] & 0x3F);
    if (codePoint < 0x10000 || codePoint > kLastCodePoint) break;
    const char32_t offset = codePoint - 0x10000;
    out[0] = static_cast<char16_t>(0xD800 + (offset >> 10));
    out[1] = static_cast<char16_t>(0xDC00 + (offset & 0x3FF));
    out += 2;
    p += 4;
  }
  return p;
}

// One '?' for what starts at p when it is not a well-formed sequence: the
// lead byte together with the continuation bytes it announces, as many of
// them as there are, or a stray continuation byte alone.
const Byte* ReplaceIllFormed(const Byte* p, const Byte* end, char16_t*& out) {
  *out++ = kReplacement;
  // The leading one bits count the sequence's bytes: a continuation byte's
  // single one makes it a sequence of itself; 0xFF counts as 0xFE.
  const int length = std::min(std::countl_one(*p), 7);
  const Byte* const limit = p + std::min<std::ptrdiff_t>(length, end - p);
  ++p;
  while (p != limit && IsContinuation(*p)) ++p;
  return p;
}

// Decodes from the non-ASCII byte at p: the run of well-formed sequences of
// the length its lead announces, or else one ill-formed sequence.
const Byte* DecodeSequences(const Byte* p, const Byte* end, char16_t*& out) {
  const Byte* next;
  if (*p < 0xE0) {
    next = DecodeTwoByteRun(p, end, out);
  } else if (*p < 0xF0) {
    next = DecodeThreeByteRun(p, end, out);
  } else {
    next = DecodeFourByteRun(p, end, out);
  }
  return next != p ? next : ReplaceIllFormed(p, end, out);
}

// Decodes from the non-ASCII byte at p on. A lone ASCII byte between
// sequences (a space between words) is taken here; two in a row start a run
// worth handing back to the vector path.
void DecodeNonAscii(const Byte*& p, const Byte* end, char16_t*& out) {
  while (p != end) {
    if (*p >= 0x80) {
      p = DecodeSequences(p, end, out);
      continue;
    }
    if (end - p < 2 || p[1] < 0x80) return;
    *out++ = *p++;
  }
}

}  // namespace

std::size_t DecodeUtf8(const unsigned char* in, std::size_t size, char16_t* out) noexcept {
  const Byte* p = in;
  const Byte* const end = in + size;
  char16_t* next = out;
  while (p != end) {
    if (*p < 0x80) {
      CopyAscii(p, end, next);
    } else {
      DecodeNonAscii(p, end, next);
    }
  }
  return static_cast<std::size_t>(next - out);
}

std::size_t CopyUtf16Le(const unsigned char* in, std::size_t size, char16_t* out) noexcept {
  const std::size_t units = size / 2;
  if constexpr (std::endian::native == std::endian::little) {
    if (units != 0) std::memcpy(out, in, units * sizeof(char16_t));
  } else {
    for (std::size_t i = 0; i < units; ++i) {
      out[i] = static_cast<char16_t>(in[2 * i] | in[2 * i + 1] << 8);
    }
  }
  return units;
}

}  // namespace oddments
