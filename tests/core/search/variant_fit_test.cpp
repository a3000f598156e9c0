#include "core/search/variant_fit.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/search/character_id.h"
#include "core/search/index_format.h"

namespace quillwen {
namespace {

// Header tables of an index whose lists end on the pages given.
struct Tables {
  std::vector<uint32_t> firstBlock = std::vector<uint32_t>(kIdentifierCount, kNoBlock);
  std::vector<uint32_t> lastPage = std::vector<uint32_t>(kIdentifierCount, 0);

  void List(uint32_t id, uint32_t last) {
    firstBlock[id] = 0;
    lastPage[id] = last;
  }
  void ListCharacter(char32_t c, uint32_t last) {
    List(static_cast<uint32_t>(CharacterId(c)), last);
  }
};

bool Fits(const std::string& table, const Tables& tables) {
  VariantTable variants;
  variants.Parse(table);
  return VariantTableFitsIndex(variants, tables.firstBlock, tables.lastPage);
}

// Built with the groups 体體 (0), 国國 (1) and 学學 (2): 体 last on page 3, 體 on 9,
// 国 on 5, 學 on 7, 学 nowhere.
Tables BuiltIndex() {
  Tables tables;
  tables.ListCharacter(U'体', 3);
  tables.ListCharacter(U'體', 9);
  tables.ListCharacter(U'国', 5);
  tables.ListCharacter(U'學', 7);
  tables.List(VariantIdBase + 0, 9);
  tables.List(VariantIdBase + 1, 5);
  tables.List(VariantIdBase + 2, 7);
  return tables;
}

TEST(VariantTableFitsIndexTest, TellsTheTableTheIndexWasBuiltWith) {
  // clang-format off
  const struct {
    const char* name;
    std::string table;
    bool fits;
  } cases[] = {
      {"the table built with", "4F53,9AD4\n56FD,570B\n5B66,5B78\n", true},
      {"written another way", "0x4F53,9AD4,\r\n\n56FD,570B\n5B66,5B78", true},
      {"no table", "", true},
      {"a line added before", "4E00,4E01\n4F53,9AD4\n56FD,570B\n5B66,5B78\n", false},
      {"the first line removed", "56FD,570B\n5B66,5B78\n", false},
      {"the last line removed", "4F53,9AD4\n56FD,570B\n", false},
      {"a line added after", "4F53,9AD4\n56FD,570B\n5B66,5B78\n4E00,4E01\n", true},
      {"a line added after with indexed members", "4F53,9AD4\n56FD,570B\n5B66,5B78\n4F53,56FD\n",
       true},
      {"two lines swapped", "56FD,570B\n4F53,9AD4\n5B66,5B78\n", false},
      {"a member moved", "4F53\n9AD4,56FD,570B\n5B66,5B78\n", false},
  };
  // clang-format on
  const Tables tables = BuiltIndex();
  for (const auto& c : cases) EXPECT_EQ(Fits(c.table, tables), c.fits) << c.name;
}

TEST(VariantTableFitsIndexTest, AGroupWithAMemberWithoutIdentifierMayEndLater) {
  // 。 (U+3002) has no identifier: only its group's list holds it.
  Tables tables;
  tables.ListCharacter(U'丁', 2);
  tables.List(VariantIdBase, 6);
  EXPECT_TRUE(Fits("3002,4E01\n", tables));
  tables.List(VariantIdBase, 1);
  EXPECT_FALSE(Fits("3002,4E01\n", tables));
  // Without such a member the group ends where its members do.
  EXPECT_FALSE(Fits("4E00,4E01\n", BuiltIndex()));
}

TEST(VariantTableFitsIndexTest, ACharacterOfTwoGroupsMayStandInTheListsOfBoth) {
  // 体 first in group 0; the builder of the design lists it in group 1 as well.
  Tables tables;
  tables.ListCharacter(U'体', 8);
  tables.ListCharacter(U'国', 5);
  tables.List(VariantIdBase + 0, 8);
  tables.List(VariantIdBase + 1, 8);
  EXPECT_TRUE(Fits("4F53,9AD4\n56FD,4F53\n", tables));
  tables.List(VariantIdBase + 1, 5);  // or only in its first group
  EXPECT_TRUE(Fits("4F53,9AD4\n56FD,4F53\n", tables));
  tables.List(VariantIdBase + 1, 9);  // but never beyond every member
  EXPECT_FALSE(Fits("4F53,9AD4\n56FD,4F53\n", tables));
}

}  // namespace
}  // namespace quillwen
