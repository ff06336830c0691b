// The logic that needs no Windows call, built natively and for Windows.
#include <gtest/gtest.h>

#include "../server/frame_text.h"
#include "../shellext/command_text.h"
#include "../shellext/drop_list.h"
#include "support/drop_block.h"

namespace oddments {
namespace {

using test::AnsiDropBlock;
using test::ManyPaths;
using test::Widen;
using test::WideDropBlock;

TEST(GuidText, PadsEveryGroupAndUsesUpperCase) {
  EXPECT_EQ(GuidText({0, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}}), "{00000000-0000-0000-C000-000000000046}");
  EXPECT_EQ(GuidText({0xdf0b3d60, 0x548f, 0x101b, {0x8e, 0x65, 0x08, 0x00, 0x2b, 0x2b, 0xd1, 0x19}}),
            "{DF0B3D60-548F-101B-8E65-08002B2BD119}");
  EXPECT_EQ(GuidText({0xA, 0xB, 0xC, {1, 2, 3, 4, 5, 6, 7, 8}}), "{0000000A-000B-000C-0102-030405060708}");
}

TEST(ServerName, IsTheFileNameBeforeItsLastDot) {
  EXPECT_EQ(ServerNameFromPath("C:\\Program Files\\Oddments\\shexOddments.dll"), "shexOddments");
  EXPECT_EQ(ServerNameFromPath("C:/tools/my.odd.ments.dll"), "my.odd.ments");
  EXPECT_EQ(ServerNameFromPath("C:shex.dll"), "shex");
  EXPECT_EQ(ServerNameFromPath("shex.dll"), "shex");
}

TEST(ServerName, IsEmptyWithoutADotInTheFileName) {
  EXPECT_EQ(ServerNameFromPath("C:\\dir.d\\shexOddments"), "");
  EXPECT_EQ(ServerNameFromPath(""), "");
  EXPECT_EQ(ServerNameFromPath("C:\\dir\\.dll"), "");
}

// Stands in for the ANSI code page, and counts its calls: a wide list is
// converted in one call, not one per entry.
int g_conversions = 0;
std::string AsciiOrQuestionMark(std::u16string_view wide) {
  ++g_conversions;
  std::string ansi;
  for (char16_t unit : wide) ansi += unit < 0x80 ? static_cast<char>(unit) : '?';
  return ansi;
}

std::vector<std::string> Read(const std::vector<std::byte>& block) {
  return ReadDropList(block, &AsciiOrQuestionMark);
}

TEST(DropList, KeepsOrderAndDuplicates) {
  const std::vector<std::string> paths{"C:\\b.txt", "C:\\a.txt", "C:\\b.txt"};
  EXPECT_EQ(Read(AnsiDropBlock(paths)), paths);
}

TEST(DropList, ConvertsAWideListInOneCall) {
  g_conversions = 0;
  const auto entries = Read(WideDropBlock({u"C:\\x\u00e9.txt", u"D:\\y", u"E:\\"}));
  EXPECT_EQ(entries, (std::vector<std::string>{"C:\\x?.txt", "D:\\y", "E:\\"}));
  EXPECT_EQ(g_conversions, 1);
}

TEST(DropList, AnEmptyListHasNoEntries) {
  EXPECT_TRUE(Read(AnsiDropBlock({})).empty());
  EXPECT_TRUE(Read(WideDropBlock({})).empty());
}

TEST(DropList, KeepsLongPathsWhole) {
  const std::string longPath = "C:\\" + std::string(1500, 'x');
  EXPECT_EQ(Read(AnsiDropBlock({longPath, "C:\\y"})), (std::vector<std::string>{longPath, "C:\\y"}));
  EXPECT_EQ(Read(WideDropBlock({Widen(longPath)})), std::vector<std::string>{longPath});
}

TEST(DropList, NeverReadsBeyondTheBlock) {
  auto block = AnsiDropBlock({"C:\\a", "C:\\bcd"});
  block.resize(block.size() - 2);  // "C:\bcd" loses its terminator and the list's
  EXPECT_EQ(Read(block), (std::vector<std::string>{"C:\\a", "C:\\bcd"}));

  auto wide = WideDropBlock({u"C:\\a"});
  wide.resize(wide.size() - 5);  // half a unit of "a" left
  EXPECT_EQ(Read(wide), std::vector<std::string>{"C:\\"});

  std::vector<std::byte> header = AnsiDropBlock({"C:\\a"});
  test::PutField(header, 0, static_cast<std::uint32_t>(header.size() + 1));
  EXPECT_TRUE(Read(header).empty()) << "list offset beyond the block";

  header.resize(19);
  EXPECT_TRUE(Read(header).empty()) << "block shorter than its header";
}

TEST(DropList, TakesTheListWhereTheHeaderSaysEvenUnaligned) {
  EXPECT_EQ(Read(AnsiDropBlock({"C:\\a"}, 27)), std::vector<std::string>{"C:\\a"});
  EXPECT_EQ(Read(WideDropBlock({u"C:\\a", u"C:\\b"}, 23)), (std::vector<std::string>{"C:\\a", "C:\\b"}));
}

TEST(DropList, ReadsTenThousandEntries) {
  const auto paths = ManyPaths(10000);
  EXPECT_EQ(Read(AnsiDropBlock(paths)), paths);
  std::vector<std::u16string> wide;
  for (const auto& path : paths) wide.push_back(Widen(path));
  EXPECT_EQ(Read(WideDropBlock(wide)), paths);
}

LeadBytes NoLeadBytes() { return LeadBytes{}; }

// Shift-JIS: 0x81-0x9F and 0xE0-0xFC open a two-byte character.
LeadBytes ShiftJisLeadBytes() {
  LeadBytes lead{};
  for (int b = 0x81; b <= 0x9F; ++b) lead[b] = true;
  for (int b = 0xE0; b <= 0xFC; ++b) lead[b] = true;
  return lead;
}

TEST(ItemName, IsWhatFollowsTheLastBackslash) {
  EXPECT_EQ(ItemName("C:\\dir\\file.txt", NoLeadBytes()), "file.txt");
  EXPECT_EQ(ItemName("\\\\server\\share", NoLeadBytes()), "share");
  EXPECT_EQ(ItemName("plain", NoLeadBytes()), "plain");
  EXPECT_EQ(ItemName("C:\\", NoLeadBytes()), "");
  EXPECT_EQ(ItemName("C:\\a/b", NoLeadBytes()), "a/b") << "a slash is no separator";
  EXPECT_EQ(ItemName("", NoLeadBytes()), "");
}

TEST(ItemName, SecondByteOfADoubleByteCharacterIsNoSeparator) {
  // 0x95 0x5C is one Shift-JIS character whose second byte is a backslash.
  const std::string name = "\x95\x5C.txt";
  EXPECT_EQ(ItemName("C:\\dir\\" + name, ShiftJisLeadBytes()), name);
  EXPECT_EQ(ItemName("C:\\dir\\" + name, NoLeadBytes()), ".txt") << "a single-byte code page splits there";
  EXPECT_EQ(ItemName("C:\\dir\\\x95", ShiftJisLeadBytes()), "\x95") << "a lead byte at the very end";
}

TEST(LinesAndTrim, JoinEndsEveryEntryAndTrimTakesOnlyTheEnds) {
  EXPECT_EQ(JoinLines({"a", "", "b"}), "a\r\n\r\nb\r\n");
  EXPECT_EQ(JoinLines({}), "");
  EXPECT_EQ(TrimControl(" \t\x01" "a \r\n b\x20\x1F\r\n"), "a \r\n b");
  EXPECT_EQ(TrimControl("\xA0x\xA0"), "\xA0x\xA0") << "bytes above 0x7F are not control characters";
  EXPECT_EQ(TrimControl(std::string(" \0 ", 3)), "");
}

TEST(DosDateTime, PacksTheFieldsAtTwoSecondResolution) {
  // 2026-12-08 13:45:27: year 46, month 12, day 8; 13:45, 27 / 2 = 13.
  EXPECT_EQ(DosDateTime(2026, 12, 8, 13, 45, 27), (46u << 25 | 12u << 21 | 8u << 16 | 13u << 11 | 45u << 5 | 13u));
  EXPECT_EQ(DosDateTime(2026, 12, 8, 13, 45, 26), DosDateTime(2026, 12, 8, 13, 45, 27));
  EXPECT_EQ(DosDateTime(1980, 1, 1, 0, 0, 0), (1u << 21 | 1u << 16));
  EXPECT_EQ(DosDateTime(2099, 12, 31, 23, 59, 59), (119u << 25 | 12u << 21 | 31u << 16 | 23u << 11 | 59u << 5 | 29u));
}

TEST(DosDateTime, IsZeroOutsideItsYears) {
  EXPECT_EQ(DosDateTime(1979, 12, 31, 23, 59, 59), 0u);
  EXPECT_EQ(DosDateTime(2100, 1, 1, 0, 0, 0), 0u);
}

struct UrlCase {
  const char* what;
  std::vector<std::string> names;  // in enumeration order
  std::string path;
  std::optional<std::size_t> match;
};

TEST(UrlMap, MatchesTheFirstEnumeratedNameThatBeginsThePath) {
  const UrlCase cases[] = {
      {"case folded", {"C:\\InetPub\\wwwroot"}, "c:\\inetpub\\WWWROOT\\a.htm", 0},
      {"first wins over longer", {"C:\\web", "C:\\web\\deep"}, "C:\\web\\deep\\x", 0},
      {"longer first wins", {"C:\\web\\deep", "C:\\web"}, "C:\\web\\deep\\x", 0},
      {"default matches all", {"D:\\other", ""}, "C:\\anything", 1},
      {"path equal to name", {"C:\\InetPub\\wwwroot"}, "C:\\InetPub\\wwwroot", 0},
      {"characters, not components", {"C:\\InetPub\\wwwroot"}, "C:\\InetPub\\wwwroot2\\x.htm", 0},
      {"shorter path never", {"C:\\InetPub\\wwwroot"}, "C:\\InetPub", std::nullopt},
      {"UNC", {"\\\\server\\share"}, "\\\\SERVER\\Share\\dir\\f.txt", 0},
      {"other UNC share", {"\\\\server\\share"}, "\\\\server\\other\\f.txt", std::nullopt},
      {"letters above 0x7F are not folded", {"C:\\\xE9"}, "C:\\\xC9", std::nullopt},
      {"empty path, empty name only", {"C:\\", ""}, "", 1},
      {"no names", {}, "C:\\x", std::nullopt},
  };
  for (const UrlCase& c : cases) {
    EXPECT_EQ(MatchUrlMapEntry(c.path, c.names), c.match) << c.what;
  }
}

TEST(UrlMap, BuildsPrefixThenTheRestWithSlashesAndNothingEscaped) {
  EXPECT_EQ(BuildUrl("http://localhost", "C:\\InetPub\\wwwroot\\docs\\Read Me.htm", 18),
            "http://localhost/docs/Read Me.htm");
  EXPECT_EQ(BuildUrl("http://localhost", "c:\\inetpub\\WWWROOT\\A.htm", 18), "http://localhost/A.htm")
      << "the rest keeps its case";
  EXPECT_EQ(BuildUrl("http://localhost", "C:\\InetPub\\wwwroot2\\x.htm", 18), "http://localhost2/x.htm");
  EXPECT_EQ(BuildUrl("http://localhost", "C:\\InetPub\\wwwroot", 18), "http://localhost");
  EXPECT_EQ(BuildUrl("file:\\\\%USERNAME%", "C:\\dir\\f #1?.txt", 0), "file:\\\\%USERNAME%C:/dir/f #1?.txt")
      << "the prefix keeps its backslashes; the default entry takes the whole path";
  EXPECT_EQ(BuildUrl("", "C:\\web\\a b", 6), "/a b");
}

TEST(UrlMap, RegistryTextDropsOnlyATerminatingZero) {
  EXPECT_EQ(RegistryText(std::string_view("http://x\0", 9)), "http://x");
  EXPECT_EQ(RegistryText("http://x"), "http://x") << "written without its terminator";
  EXPECT_EQ(RegistryText(std::string_view("a\0b\0", 4)), std::string_view("a\0b", 3));
  EXPECT_EQ(RegistryText(""), "");
}

}  // namespace
}  // namespace oddments
