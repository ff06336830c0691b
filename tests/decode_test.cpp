// Decoding file text for the clipboard: each UTF-8 rule with exact code
// units, held against the fast decoder and the plain model alike, then the
// two compared on many generated inputs.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <initializer_list>
#include <random>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "../shellext/text_decode.h"
#include "support/utf8_model.h"

namespace oddments {
namespace {

using namespace std::string_view_literals;
using test::DecodeUtf8Model;

template <typename Char>
std::string Hex(std::basic_string_view<Char> text) {
  std::string hex;
  char item[8];
  for (Char c : text) {
    std::snprintf(item, sizeof item, sizeof(Char) == 1 ? "%02X " : "%04X ",
                  static_cast<unsigned>(static_cast<std::make_unsigned_t<Char>>(c)));
    hex += item;
  }
  return hex;
}

// The input sits in a block of exactly its size, for the sanitizers to catch
// a read past it; a guard band after the promised room shows a write past it
// in any build.
std::u16string Decode(std::string_view bytes) {
  constexpr char16_t kGuard = 0xA5A5;
  constexpr std::size_t kGuardUnits = 32;
  const std::vector<unsigned char> input(bytes.begin(), bytes.end());
  const std::size_t room = MaxUtf16Units(bytes.size());
  std::vector<char16_t> out(room + kGuardUnits, kGuard);
  const std::size_t written = DecodeUtf8(input.data(), input.size(), out.data());
  EXPECT_LE(written, room) << Hex(bytes);
  EXPECT_TRUE(std::all_of(out.begin() + room, out.end(), [](char16_t u) { return u == kGuard; }))
      << "wrote past the room for " << Hex(bytes);
  return {out.data(), std::min(written, room)};
}

struct Case {
  std::string_view bytes;
  std::u16string_view units;
};

void ExpectDecodings(std::initializer_list<Case> cases) {
  for (const Case& c : cases) {
    SCOPED_TRACE(Hex(c.bytes));
    EXPECT_EQ(Hex<char16_t>(Decode(c.bytes)), Hex(c.units)) << "fast decoder";
    EXPECT_EQ(Hex<char16_t>(DecodeUtf8Model(c.bytes)), Hex(c.units)) << "model";
  }
}

TEST(DecodeUtf8, KeepsAsciiAsItIs) {
  ExpectDecodings({{""sv, u""sv},
                   {"a\0b\r\n\x7F"sv, u"a\0b\r\n\x7F"sv},
                   {"\0\0"sv, u"\0\0"sv},
                   {"\xEF\xBB\xBF" "A"sv, u"\xFEFF" "A"sv}});  // an order mark is the caller's
}

TEST(DecodeUtf8, GivesTheCodePointsOfWellFormedSequences) {
  ExpectDecodings({{"\xC2\x80"sv, u"\x0080"sv},
                   {"\xC3\xA9"sv, u"\x00E9"sv},
                   {"\xDF\xBF"sv, u"\x07FF"sv},
                   {"\xE0\xA0\x80"sv, u"\x0800"sv},
                   {"\xED\x9F\xBF"sv, u"\xD7FF"sv},
                   {"\xEE\x80\x80"sv, u"\xE000"sv},
                   {"\xEF\xBF\xBD"sv, u"\xFFFD"sv},
                   {"\xF0\x90\x80\x80"sv, u"\xD800\xDC00"sv},
                   {"\xF0\x9F\x98\x80"sv, u"\xD83D\xDE00"sv},
                   {"\xF0\x9F\xBF\xBE"sv, u"\xD83F\xDFFE"sv},  // U+1FFFE is not refused
                   {"\xF4\x8F\xBF\xBF"sv, u"\xDBFF\xDFFF"sv}});
}

TEST(DecodeUtf8, RefusesOverlongFormsSurrogatesAndValuesOutOfRange) {
  ExpectDecodings({{"\xC0\xAF"sv, u"?"sv},
                   {"\xC1\xBF"sv, u"?"sv},
                   {"\xE0\x9F\xBF"sv, u"?"sv},
                   {"\xE0\x80\x80"sv, u"?"sv},
                   {"\xF0\x8F\xBF\xBF"sv, u"?"sv},
                   {"\xED\xA0\x80"sv, u"?"sv},
                   {"\xED\xBF\xBF"sv, u"?"sv},
                   {"\xEF\xBF\xBE"sv, u"?"sv},
                   {"\xEF\xBF\xBF"sv, u"?"sv},
                   {"\xF4\x90\x80\x80"sv, u"?"sv},
                   {"\xF7\xBF\xBF\xBF"sv, u"?"sv},
                   {"\xED\xA0\xBD\xED\xB8\x80"sv, u"??"sv}});  // a pair written as two sequences
}

TEST(DecodeUtf8, GivesOneMarkForEachLongSequence) {
  ExpectDecodings({{"\xF8\x88\x80\x80\x80"sv, u"?"sv},
                   {"\xFC\x84\x80\x80\x80\x80"sv, u"?"sv},
                   {"\xFE\x80\x80\x80\x80\x80\x80"sv, u"?"sv},
                   {"\xFF\x80\x80\x80\x80\x80\x80" "A"sv, u"?A"sv},
                   // The sequence ends after its announced length.
                   {"\xF8\x88\x80\x80\x80\x80"sv, u"??"sv},
                   {"\xFF\x80\x80\x80\x80\x80\x80\x80"sv, u"??"sv},
                   {"\xC3\xA9\xA9"sv, u"\x00E9?"sv}});
}

TEST(DecodeUtf8, GivesOneMarkForASequenceCutShortAndResumesAtTheByteThatEndedIt) {
  ExpectDecodings({{"\xE0\x80" "A"sv, u"?A"sv},
                   {"\xF0\x9F\x98" "A"sv, u"?A"sv},
                   {"\xFF" "A"sv, u"?A"sv},
                   {"\xF8\x80\x80\x80" "A"sv, u"?A"sv},
                   {"\xC3\xC3\xA9"sv, u"?\x00E9"sv},
                   {"\xE2\x82\xF0\x9F\x98\x80"sv, u"?\xD83D\xDE00"sv},
                   {"\xC3\0"sv, u"?\0"sv},
                   // At the end of input
                   {"\xC3"sv, u"?"sv},
                   {"\xE2\x82"sv, u"?"sv},
                   {"\xF0\x9F\x98"sv, u"?"sv},
                   {"\xFE\x80\x80\x80\x80\x80"sv, u"?"sv},
                   {"ab\xFF"sv, u"ab?"sv}});
}

TEST(DecodeUtf8, GivesOneMarkForEachStrayContinuationByte) {
  ExpectDecodings({{"\x80\x80"sv, u"??"sv},
                   {"\xBF"sv, u"?"sv},
                   {"a\x80" "b"sv, u"a?b"sv},
                   {"\xA9\xC3\xA9"sv, u"?\x00E9"sv}});
}

// The vector path takes ASCII 16 bytes at a time: every sequence is to be
// found at every offset within and across those blocks, up to the end.
TEST(DecodeUtf8, FindsSequencesAtEveryOffsetOfAsciiText) {
  const Case sequences[] = {{"\xC3\xA9"sv, u"\x00E9"sv},
                            {"\xE4\xB8\xAD"sv, u"\x4E2D"sv},
                            {"\xF0\x9F\x98\x80"sv, u"\xD83D\xDE00"sv},
                            {"\x80"sv, u"?"sv},
                            {"\xF0\x9F\x98"sv, u"?"sv}};
  for (const Case& sequence : sequences) {
    for (std::size_t before = 0; before <= 40; ++before) {
      for (std::size_t after = 0; after <= 20; ++after) {
        const std::string bytes =
            std::string(before, 'x') + std::string(sequence.bytes) + std::string(after, 'y');
        const std::u16string units =
            std::u16string(before, u'x') + std::u16string(sequence.units) + std::u16string(after, u'y');
        ASSERT_EQ(Hex<char16_t>(Decode(bytes)), Hex<char16_t>(units)) << "input " << Hex<char>(bytes);
      }
    }
  }
}

// A refused form standing alone amid ASCII is decoded without leaving the
// vector loop; it has to come out as the model has it at every offset too.
TEST(DecodeUtf8, RefusesFormsAtEveryOffsetOfAsciiTextAsTheModelDoes) {
  constexpr std::string_view refused[] = {"\xC0\x80"sv,         "\xC1\xBF"sv,
                                          "\xE0\x9F\xBF"sv,     "\xED\xA0\x80"sv,
                                          "\xED\xBF\xBF"sv,     "\xEF\xBF\xBE"sv,
                                          "\xEF\xBF\xBF"sv,     "\xF0\x8F\xBF\xBF"sv,
                                          "\xF4\x90\x80\x80"sv, "\xF8\x88\x80\x80"sv,
                                          "\xC3" "a"sv,          "\xE4\xB8" "a"sv};
  for (const std::string_view sequence : refused) {
    for (std::size_t before = 0; before <= 20; ++before) {
      for (std::size_t after = 0; after <= 20; ++after) {
        const std::string bytes =
            std::string(before, 'x') + std::string(sequence) + std::string(after, 'y');
        ASSERT_EQ(Hex<char16_t>(Decode(bytes)), Hex<char16_t>(DecodeUtf8Model(bytes)))
            << "input " << Hex<char>(bytes);
      }
    }
  }
}

// Any value up to 0x1FFFFF in its shortest form, allowed or not.
void AppendEncoded(std::string& bytes, char32_t value) {
  constexpr unsigned kLeadMarks[] = {0x00, 0xC0, 0xE0, 0xF0};
  const int continuations = value < 0x80 ? 0 : value < 0x800 ? 1 : value < 0x10000 ? 2 : 3;
  bytes += static_cast<char>(kLeadMarks[continuations] | value >> (6 * continuations));
  for (int k = continuations - 1; k >= 0; --k) {
    bytes += static_cast<char>(0x80 | (value >> (6 * k) & 0x3F));
  }
}

// Made of the pieces decoders go wrong on: ASCII runs long enough for the
// vector path, stray continuation bytes, every lead byte, whole sequences
// of each length, and lengths next to the vector block sizes.
std::string GeneratedInput(std::mt19937& random) {
  constexpr std::size_t kBlockEdges[] = {1, 15, 16, 17, 31, 32, 33, 47, 48, 49, 63, 64, 65};
  const std::size_t length =
      random() % 2 ? random() % 301 : kBlockEdges[random() % std::size(kBlockEdges)];
  constexpr char32_t kRangeStarts[] = {0x80, 0x800, 0x10000};
  constexpr char32_t kRangeSizes[] = {0x780, 0xF800, 0x1F0000};
  std::string bytes;
  while (bytes.size() < length) {
    switch (random() % 5) {
      case 0:
        bytes.append(random() % 40, "ab \r\n\0"[random() % 6]);
        break;
      case 1:
        bytes += static_cast<char>(0x80 + random() % 0x40);
        break;
      case 2:
        bytes += static_cast<char>(0xC0 + random() % 0x40);
        break;
      case 3: {
        const std::size_t range = random() % 3;
        AppendEncoded(bytes, kRangeStarts[range] + random() % kRangeSizes[range]);
        break;
      }
      default:
        bytes += static_cast<char>(random());
    }
  }
  bytes.resize(length);
  return bytes;
}

TEST(DecodeUtf8, AgreesWithTheModelOnGeneratedInputs) {
  std::mt19937 random(20240611);
  for (int run = 0; run < 5000; ++run) {
    const std::string bytes = GeneratedInput(random);
    ASSERT_EQ(Hex<char16_t>(Decode(bytes)), Hex<char16_t>(DecodeUtf8Model(bytes)))
        << "input " << Hex<char>(bytes);
  }
}

std::u16string CopyLe(std::string_view bytes) {
  const std::vector<unsigned char> input(bytes.begin(), bytes.end());
  std::vector<char16_t> out(bytes.size() / 2);
  const std::size_t written = CopyUtf16Le(input.data(), input.size(), out.data());
  EXPECT_EQ(written, out.size());
  return {out.data(), out.size()};
}

TEST(CopyUtf16Le, TakesPairsLowByteFirstAndLeavesAnOddLastByteOut) {
  EXPECT_EQ(Hex<char16_t>(CopyLe("\x34\x12" "A\0"sv)), "1234 0041 ");
  EXPECT_EQ(Hex<char16_t>(CopyLe("\x3D\xD8\x00\xDE\xFF"sv)), "D83D DE00 ");
  EXPECT_EQ(Hex<char16_t>(CopyLe("\0\0"sv)), "0000 ");
  EXPECT_EQ(Hex<char16_t>(CopyLe("\x41"sv)), "");
  EXPECT_EQ(Hex<char16_t>(CopyLe(""sv)), "");
}

}  // namespace
}  // namespace oddments
