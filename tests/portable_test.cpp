// The logic that needs no Windows call, built natively and for Windows.
#include <gtest/gtest.h>

#include "../server/frame_text.h"
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

}  // namespace
}  // namespace oddments
