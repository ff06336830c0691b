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

// Stands in for a single-byte ANSI code page (Latin-1), and counts its
// calls: an ANSI list is converted in one call, not one per entry.
int g_conversions = 0;
std::u16string Latin1(std::string_view ansi) {
  ++g_conversions;
  std::u16string wide;
  for (char byte : ansi) wide += static_cast<char16_t>(static_cast<unsigned char>(byte));
  return wide;
}

using Entries = std::vector<std::u16string>;

Entries Read(const std::vector<std::byte>& block) { return test::Entries(ReadDropList(block, &Latin1)); }

TEST(DropList, KeepsOrderAndDuplicates) {
  const Entries paths{u"C:\\b.txt", u"C:\\a.txt", u"C:\\b.txt"};
  EXPECT_EQ(Read(WideDropBlock(paths)), paths);
  EXPECT_EQ(Read(AnsiDropBlock({"C:\\b.txt", "C:\\a.txt", "C:\\b.txt"})), paths);
}

TEST(DropList, TakesAWideListAsItStandsAndConvertsAnAnsiOneInOneCall) {
  g_conversions = 0;
  const Entries wide{u"C:\\x\u00e9.txt", u"D:\\\u0416\u4E2D\U0001F600", u"E:\\"};
  EXPECT_EQ(Read(WideDropBlock(wide)), wide);
  EXPECT_EQ(g_conversions, 0);
  EXPECT_EQ(Read(AnsiDropBlock({"C:\\x\xE9.txt", "D:\\y", "E:\\"})), (Entries{u"C:\\x\u00e9.txt", u"D:\\y", u"E:\\"}));
  EXPECT_EQ(g_conversions, 1);
}

TEST(DropList, AnEmptyListHasNoEntries) {
  EXPECT_TRUE(Read(AnsiDropBlock({})).empty());
  EXPECT_TRUE(Read(WideDropBlock({})).empty());
}

TEST(DropList, KeepsLongPathsWhole) {
  const std::string longPath = "C:\\" + std::string(1500, 'x');
  EXPECT_EQ(Read(AnsiDropBlock({longPath, "C:\\y"})), (Entries{Widen(longPath), u"C:\\y"}));
  EXPECT_EQ(Read(WideDropBlock({Widen(longPath)})), Entries{Widen(longPath)});
}

// A block cut short by bytes, with slack bytes of junk appended after the cut.
std::vector<std::byte> Cut(std::vector<std::byte> block, std::size_t bytes, const std::string& slack = {}) {
  block.erase(block.end() - static_cast<std::ptrdiff_t>(bytes), block.end());
  for (char c : slack) block.push_back(static_cast<std::byte>(c));
  return block;
}

TEST(DropList, TakesOnlyWholeEntriesAndNeverReadsBeyondTheBlock) {
  const auto ansi = AnsiDropBlock({"C:\\t\\a.txt", "C:\\t\\b.txt.old"});
  const auto wide = WideDropBlock({u"C:\\t\\a.txt", u"C:\\t\\b.txt.old"});
  const Entries both{u"C:\\t\\a.txt", u"C:\\t\\b.txt.old"}, first{u"C:\\t\\a.txt"};
  const struct {
    const char* what;
    std::vector<std::byte> block;
    Entries entries;
  } cases[] = {
      {"ANSI, closing empty entry missing", Cut(ansi, 1), both},
      {"ANSI, cut inside the last entry", Cut(ansi, 6), first},
      {"ANSI, cut, then slack bytes", Cut(ansi, 6, "xy"), first},
      {"wide, closing empty entry missing", Cut(wide, 2), both},
      {"wide, cut 8 bytes short of its terminators", Cut(wide, 12), first},
      {"wide, cut, then slack bytes", Cut(wide, 12, "xyzw"), first},
      {"wide, half a unit left", Cut(WideDropBlock({u"C:\\a"}), 5), {}},
  };
  for (const auto& c : cases) EXPECT_EQ(Read(c.block), c.entries) << c.what;

  std::vector<std::byte> header = AnsiDropBlock({"C:\\a"});
  test::PutField(header, 0, static_cast<std::uint32_t>(header.size() + 1));
  EXPECT_TRUE(Read(header).empty()) << "list offset beyond the block";

  header.resize(19);
  EXPECT_TRUE(Read(header).empty()) << "block shorter than its header";
}

TEST(DropList, TakesTheListWhereTheHeaderSaysEvenUnaligned) {
  EXPECT_EQ(Read(AnsiDropBlock({"C:\\a"}, 27)), Entries{u"C:\\a"});
  EXPECT_EQ(Read(WideDropBlock({u"C:\\a", u"C:\\b"}, 23)), (Entries{u"C:\\a", u"C:\\b"}));
}

TEST(DropList, ReadsTenThousandEntries) {
  const auto paths = ManyPaths(10000);
  Entries wide;
  for (const auto& path : paths) wide.push_back(Widen(path));
  EXPECT_EQ(Read(AnsiDropBlock(paths)), wide);
  EXPECT_EQ(Read(WideDropBlock(wide)), wide);
}

TEST(ItemName, IsWhatFollowsTheLastBackslash) {
  EXPECT_EQ(ItemName(u"C:\\dir\\file.txt"), u"file.txt");
  EXPECT_EQ(ItemName(u"\\\\server\\share"), u"share");
  EXPECT_EQ(ItemName(u"plain"), u"plain");
  EXPECT_EQ(ItemName(u"C:\\"), u"");
  EXPECT_EQ(ItemName(u"C:\\a/b"), u"a/b") << "a slash is no separator";
  EXPECT_EQ(ItemName(u""), u"");
  EXPECT_EQ(ItemName(u"C:\\\u8868\\\u30BD.txt"), u"\u30BD.txt")
      << "characters whose double-byte forms hold a backslash byte are whole characters here";
}

TEST(LinesAndTrim, JoinEndsEveryEntryAndTrimTakesOnlyTheEnds) {
  PathList entries(std::u16string(u"a\0C:\\\0b\0", 8));
  entries.KeepTail(1, 0);  // a drive root's empty name
  std::u16string joined(JoinedLength(entries), u'#');
  JoinLines(entries, joined.data());
  EXPECT_EQ(joined, u"a\r\n\r\nb\r\n");
  EXPECT_EQ(JoinedLength(PathList()), 0u);
  EXPECT_EQ(TrimControl(u" \t\x01" u"a \r\n b\x20\x1F\r\n"), u"a \r\n b");
  EXPECT_EQ(TrimControl(u"\u00A0x\u3000"), u"\u00A0x\u3000") << "only U+0000 to U+0020 are trimmed";
  EXPECT_EQ(TrimControl(std::u16string(u" \0 ", 3)), u"");
}

TEST(FileSystemPath, OnlyPathsTooLongForThePlainCallsTakeTheExtendedForm) {
  const std::u16string name(260, u'n');
  EXPECT_EQ(FileSystemPath(u"C:\\" + std::u16string(256, u'n')), u"C:\\" + std::u16string(256, u'n'))
      << "259 characters still fit";
  EXPECT_EQ(FileSystemPath(u"C:\\dir\\" + name), u"\\\\?\\C:\\dir\\" + name);
  EXPECT_EQ(FileSystemPath(u"c:/dir/" + name), u"\\\\?\\c:\\dir\\" + name) << "slashes as the plain calls take them";
  EXPECT_EQ(FileSystemPath(u"\\\\server\\share\\" + name), u"\\\\?\\UNC\\server\\share\\" + name);
  EXPECT_EQ(FileSystemPath(u"\\\\?\\C:\\" + name + name), u"\\\\?\\C:\\" + name + name) << "already extended";
  EXPECT_EQ(FileSystemPath(u"\\\\.\\pipe\\" + name), u"\\\\.\\pipe\\" + name) << "a device keeps its form";
  EXPECT_EQ(FileSystemPath(u"relative\\" + name + name), u"relative\\" + name + name);
  EXPECT_EQ(FileSystemPath(u"C:\\\u041F"), u"C:\\\u041F");
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
  std::vector<std::u16string> names;  // in enumeration order
  std::u16string path;
  std::optional<std::size_t> match;
};

TEST(UrlMap, MatchesTheFirstEnumeratedNameThatBeginsThePath) {
  const UrlCase cases[] = {
      {"case folded", {u"C:\\InetPub\\wwwroot"}, u"c:\\inetpub\\WWWROOT\\a.htm", 0},
      {"first wins over longer", {u"C:\\web", u"C:\\web\\deep"}, u"C:\\web\\deep\\x", 0},
      {"longer first wins", {u"C:\\web\\deep", u"C:\\web"}, u"C:\\web\\deep\\x", 0},
      {"default matches all", {u"D:\\other", u""}, u"C:\\anything", 1},
      {"path equal to name", {u"C:\\InetPub\\wwwroot"}, u"C:\\InetPub\\wwwroot", 0},
      {"characters, not components", {u"C:\\InetPub\\wwwroot"}, u"C:\\InetPub\\wwwroot2\\x.htm", 0},
      {"shorter path never", {u"C:\\InetPub\\wwwroot"}, u"C:\\InetPub", std::nullopt},
      {"UNC", {u"\\\\server\\share"}, u"\\\\SERVER\\Share\\dir\\f.txt", 0},
      {"other UNC share", {u"\\\\server\\share"}, u"\\\\server\\other\\f.txt", std::nullopt},
      {"letters above 0x7F are not folded", {u"C:\\\u00E9"}, u"C:\\\u00C9", std::nullopt},
      {"empty path, empty name only", {u"C:\\", u""}, u"", 1},
      {"no names", {}, u"C:\\x", std::nullopt},
  };
  for (const UrlCase& c : cases) {
    EXPECT_EQ(MatchUrlMapEntry(c.path, c.names), c.match) << c.what;
  }
}

TEST(UrlMap, BuildsPrefixThenTheRestWithSlashesAndNothingEscaped) {
  EXPECT_EQ(BuildUrl(u"http://localhost", u"C:\\InetPub\\wwwroot\\docs\\Read Me.htm", 18),
            u"http://localhost/docs/Read Me.htm");
  EXPECT_EQ(BuildUrl(u"http://localhost", u"c:\\inetpub\\WWWROOT\\A.htm", 18), u"http://localhost/A.htm")
      << "the rest keeps its case";
  EXPECT_EQ(BuildUrl(u"http://localhost", u"C:\\InetPub\\wwwroot2\\x.htm", 18), u"http://localhost2/x.htm");
  EXPECT_EQ(BuildUrl(u"http://localhost", u"C:\\InetPub\\wwwroot", 18), u"http://localhost");
  EXPECT_EQ(BuildUrl(u"file:\\\\%USERNAME%", u"C:\\dir\\f #1?.txt", 0), u"file:\\\\%USERNAME%C:/dir/f #1?.txt")
      << "the prefix keeps its backslashes; the default entry takes the whole path";
  EXPECT_EQ(BuildUrl(u"", u"C:\\web\\a b", 6), u"/a b");
}

TEST(UrlMap, RegistryTextDropsOnlyATerminatingZero) {
  EXPECT_EQ(RegistryText(std::u16string_view(u"http://x\0", 9)), u"http://x");
  EXPECT_EQ(RegistryText(u"http://x"), u"http://x") << "written without its terminator";
  EXPECT_EQ(RegistryText(std::u16string_view(u"a\0b\0", 4)), std::u16string_view(u"a\0b", 3));
  EXPECT_EQ(RegistryText(u""), u"");
}

}  // namespace
}  // namespace oddments
