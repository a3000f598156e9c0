#include "core/search/variants.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <set>
#include <string>
#include <vector>

#include "core/encoding/codeconverter.h"
#include "core/search/index_format.h"
#include "core/store/page_renderer.h"
#include "tests/support/temp_dir.h"

namespace quillwen {
namespace {

using testing::TempDir;
using testing::WriteFileBytes;
using Groups = std::vector<std::vector<char32_t>>;

TEST(VariantTableTest, ParsesLinesIntoGroups) {
  // clang-format off
  const struct {
    const char* name;
    const char* text;
    Groups groups;
  } cases[] = {
      {"one group", "4F53,9AD4", {{0x4F53, 0x9AD4}}},
      {"blank lines, CRLF and a trailing comma", "\n\n4F53,9AD4,\r\n\r\n\n56FD,570B\n",
       {{0x4F53, 0x9AD4}, {0x56FD, 0x570B}}},
      {"0x prefix and lower case", "0x4f53,0X9ad4", {{0x4F53, 0x9AD4}}},
      {"blanks before and after a number", "  4F53 , \t9AD4  ", {{0x4F53, 0x9AD4}}},
      {"a field without digits reads as 0", "U+4F53,4F53", {{0, 0x4F53}}},
      {"the leading hexadecimal part", "4F53xyz,9AD4;", {{0x4F53, 0x9AD4}}},
      {"0x without digits is the digit 0", "0x,0xg", {{0, 0}}},
      {"a line of commas is an empty group", "4F53\n,,,\n9AD4", {{0x4F53}, {}, {0x9AD4}}},
      {"duplicates stay", "4F53,9AD4,4F53", {{0x4F53, 0x9AD4, 0x4F53}}},
      {"beyond U+10FFFF is left out", "4F53,110000,FFFFFFFFFF,10FFFF", {{0x4F53, 0x10FFFF}}},
      {"no trailing line end", "20000", {{0x20000}}},
      {"empty file", "", {}},
  };
  // clang-format on
  for (const auto& c : cases) {
    VariantTable table;
    table.Parse(c.text);
    EXPECT_EQ(table.Groups(), c.groups) << c.name;
  }
}

TEST(VariantTableTest, OnlyTheFirstGroupOfACodePointCounts) {
  VariantTable table;
  table.Parse("4F53,9AD4\n9AD4,4F53\n4E00\n9AD4,4E8C");
  EXPECT_EQ(table.FindVariantGroup(0x4F53), VariantIdBase);
  EXPECT_EQ(table.FindVariantGroup(0x9AD4), VariantIdBase);
  EXPECT_EQ(table.FindVariantGroup(0x4E00), VariantIdBase + 2);  // the second line keeps its number
  EXPECT_EQ(table.FindVariantGroup(0x4E8C), VariantIdBase + 3);
  EXPECT_EQ(table.FindVariantGroup(0x4E09), std::nullopt);
  // 9AD4's alternatives come from its first group only.
  EXPECT_EQ(table.ExpandVariants(u"\u9AD4"), (std::vector<std::u16string>{u"\u4F53", u"\u9AD4"}));
}

TEST(VariantTableTest, KeepsNoMoreGroupsThanTheTablesHaveIdentifiers) {
  // Line i holds the single member U+20000 + i.
  std::string text;
  char line[16];
  for (uint32_t i = 0; i < kMaxVariantGroups + 5; ++i) {
    std::snprintf(line, sizeof line, "%X\n", 0x20000 + i);
    text += line;
  }
  VariantTable table;
  table.Parse(text);
  ASSERT_EQ(table.Groups().size(), kMaxVariantGroups);
  EXPECT_EQ(table.FindVariantGroup(0x20000 + kMaxVariantGroups - 1), kIdentifierCount - 1);
  EXPECT_EQ(table.FindVariantGroup(0x20000 + kMaxVariantGroups), std::nullopt);
  EXPECT_EQ(table.ExpandVariants(u"\U00022E9F"), std::vector<std::u16string>{u"\U00022E9F"});
}

TEST(VariantTableTest, ExpandsInTheStatedOrder) {
  VariantTable table;
  table.Parse("4F53,9AD4\n56FD,570B\n20000,4E00");
  // clang-format off
  const struct {
    const char* name;
    std::u16string keyword;
    std::vector<std::u16string> spellings;
  } cases[] = {
      {"no character in a group", u"漢字", {u"漢字"}},
      {"the first character varies slowest", u"体\u3000国",
       {u"体\u3000国", u"体\u3000國", u"體\u3000国", u"體\u3000國"}},
      {"wildcards and spaces keep themselves", u"?体*", {u"?体*", u"?體*"}},
      {"a code point above U+FFFF is one character", u"\U00020000", {u"\U00020000", u"一"}},
      {"written back as a pair", u"一", {u"\U00020000", u"一"}},
      {"an unpaired surrogate is a character", u"\xD800体", {u"\xD800体", u"\xD800體"}},
      {"empty keyword", u"", {}},
  };
  // clang-format on
  for (const auto& c : cases) EXPECT_EQ(table.ExpandVariants(c.keyword), c.spellings) << c.name;
  EXPECT_EQ(table.JoinedSpellings(u"体\u3000国"), u"体\u3000国 体\u3000國 體\u3000国 體\u3000國");
  EXPECT_EQ(table.JoinedSpellings(u"漢"), u"漢");
  EXPECT_EQ(table.JoinedSpellings(u""), u"");
}

TEST(VariantTableTest, StopsExpandingAtTheCap) {
  VariantTable table;
  table.Parse("4E00,4E01,4E02,4E03");
  // 4^7 = 16384 combinations; the first kMaxSpellings are kept, in order.
  const std::u16string keyword(7, u'\u4E00');
  const std::vector<std::u16string> spellings = table.ExpandVariants(keyword);
  ASSERT_EQ(spellings.size(), kMaxSpellings);
  EXPECT_EQ(spellings.front(), keyword);
  EXPECT_EQ(spellings[1], u"\u4E00\u4E00\u4E00\u4E00\u4E00\u4E00\u4E01");
  EXPECT_EQ(spellings.back(), u"\u4E00\u4E03\u4E03\u4E03\u4E03\u4E03\u4E03");
}

// The terms of JoinedSpellings(keyword) in the order they first come: what
// result pages were marked with when the whole keyword was expanded at once.
std::vector<std::u16string> FirstTermsOfJoinedSpellings(const VariantTable& table,
                                                        std::u16string_view keyword) {
  std::vector<std::u16string> terms;
  std::set<std::u16string> seen;
  const std::u16string joined = table.JoinedSpellings(keyword);
  for (const std::u16string_view term : SplitQueryTerms(joined)) {
    if (seen.emplace(term).second) terms.emplace_back(term);
  }
  return terms;
}

std::vector<std::u16string> FirstTermsOfTermSpellings(const VariantTable& table,
                                                      std::u16string_view keyword) {
  std::vector<std::u16string> terms;
  std::set<std::u16string> seen;
  table.ForEachTermSpelling(keyword, [&](std::u16string_view spelling) {
    for (const std::u16string_view term : SplitQueryTerms(spelling)) {
      if (seen.emplace(term).second) terms.emplace_back(term);
    }
  });
  return terms;
}

TEST(VariantTableTest, ExpandsTermByTermIntoTheTermsOfTheWholeKeywordsSpellings) {
  VariantTable table;
  table.Parse("4F53,9AD4\n56FD,570B\n4E00,4E01,4E02,4E03\n5B66,5B78,5B66");
  const std::u16string four(6, u'\u4E00');  // 4^6 = 4096 spellings: just the cap
  // clang-format off
  const std::u16string keywords[] = {
      u"", u"漢", u"体", u"体\u3000国", u"体国 国体 漢", u"国 国 国", u"学", u"学学 學",
      u"?体*国", u"\u3000体\u3000\u3000国\u3000",
      four, four + u"\u3000体", u"体\u3000" + four, u"国 " + four + u"\u4E00",
      std::u16string(7, u'\u4E00') + u"\u3000体国",  // past the cap
      u"一 体 " + std::u16string(5, u'\u4E00') + u" 国 一一",
  };
  // clang-format on
  for (const std::u16string& keyword : keywords) {
    EXPECT_EQ(FirstTermsOfTermSpellings(table, keyword),
              FirstTermsOfJoinedSpellings(table, keyword))
        << ToUtf8(keyword);
  }
}

TEST(VariantTableTest, TermSpellingsGrowWithTheKeywordNotWithItsSpellingsTimesItsLength) {
  VariantTable table;
  table.Parse("4F53,9AD4\n56FD,570B\n");
  std::u16string keyword;
  for (int i = 0; i < 5000; ++i) keyword += u"体国\u3000";
  size_t units = 0;
  table.ForEachTermSpelling(keyword,
                            [&](std::u16string_view spelling) { units += spelling.size(); });
  // Every term once; and the three further spellings of each of the last six
  // terms, whose combinations with the ones after them stay within the bound
  // (4^6 = kMaxSpellings).
  EXPECT_EQ(units, 5000 * 2 + 6 * 3 * 2);
  // Expanding the keyword as a whole wrote 4096 copies of all 15,000 units.
  EXPECT_EQ(table.ExpandVariants(keyword).size(), kMaxSpellings);
}

TEST(VariantTableTest, LoadsTheFileOfAFolderAndEmptiesWithoutOne) {
  TempDir dir;
  VariantTable table;
  WriteFileBytes(dir / "yitizi.txt", "4F53,9AD4\n");
  EXPECT_TRUE(table.LoadVariants(dir.path()));
  EXPECT_EQ(table.FindVariantGroup(0x9AD4), VariantIdBase);
  std::filesystem::remove(dir / "yitizi.txt");
  EXPECT_FALSE(table.LoadVariants(dir.path()));
  EXPECT_TRUE(table.Groups().empty());
  EXPECT_EQ(table.FindVariantGroup(0x9AD4), std::nullopt);
}

}  // namespace
}  // namespace quillwen
