#include "core/writer/variant_table_writer.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "core/search/variants.h"
#include "tests/support/temp_dir.h"

namespace quillwen {
namespace {

using testing::TempDir;
using Groups = std::vector<std::vector<char32_t>>;

TEST(VariantTableWriter, EncodesOneGroupALineInUppercaseHexadecimal) {
  // clang-format off
  const struct {
    const char* name;
    Groups groups;
    std::string text;
  } cases[] = {
      {"no groups", {}, ""},
      {"members in the order given", {{0x9AD4, 0x4F53}, {0x56FD, 0x570B}}, "9AD4,4F53\n56FD,570B\n"},
      {"beyond the basic plane", {{0x20000, 0x4E00}, {0x10FFFF}}, "20000,4E00\n10FFFF\n"},
      {"U+0000", {{0, 0xA}}, "0,A\n"},
      {"an empty group keeps its line", {{0x4F53}, {}, {0x9AD4}}, "4F53\n,\n9AD4\n"},
  };
  // clang-format on
  for (const auto& c : cases) EXPECT_EQ(EncodeVariantTable(c.groups), c.text) << c.name;
}

TEST(VariantTableWriter, TheReaderGetsBackEveryGroupUnderItsNumber) {
  TempDir dir;
  Groups groups = {{0x4F53, 0x9AD4}, {}, {0x20000, 0x4E00}};
  // Up to the last group the index has an identifier for.
  for (char32_t c = 0x30000; groups.size() < kMaxVariantGroups; ++c) groups.push_back({c});
  std::string error;
  ASSERT_TRUE(WriteVariantTable(dir / kVariantTableFileName, groups, &error)) << error;
  VariantTable table;
  ASSERT_TRUE(table.LoadVariants(dir.path()));
  EXPECT_EQ(table.Groups(), groups);
  EXPECT_EQ(table.FindVariantGroup(0x9AD4), VariantIdBase);
  EXPECT_EQ(table.FindVariantGroup(0x4E00), VariantIdBase + 2);  // after the empty group
  EXPECT_EQ(table.FindVariantGroup(groups.back()[0]), kIdentifierCount - 1);
}

TEST(VariantTableWriter, RefusesWhatTheReaderWouldCut) {
  // clang-format off
  const struct {
    const char* name;
    Groups groups;
    std::string message;
  } cases[] = {
      {"a group without an identifier", Groups(kMaxVariantGroups + 1, {0x4E00}),
       "the variant table holds 11936 groups; at most 11935 fit"},
      {"a member beyond Unicode", {{0x4E00}, {0x4E01, 0x110000}},
       "variant group 1: U+110000 lies beyond U+10FFFF"},
  };
  // clang-format on
  for (const auto& c : cases) {
    TempDir dir;
    std::string error;
    EXPECT_FALSE(WriteVariantTable(dir / kVariantTableFileName, c.groups, &error)) << c.name;
    EXPECT_EQ(error, c.message) << c.name;
    EXPECT_FALSE(std::filesystem::exists(dir / kVariantTableFileName)) << c.name;
  }
}

TEST(VariantTableWriter, NamesTheFileItCannotWrite) {
  TempDir dir;
  std::string error;
  const std::filesystem::path file = dir / "missing" / kVariantTableFileName;
  EXPECT_FALSE(WriteVariantTable(file, Groups{{0x4F53, 0x9AD4}}, &error));
  EXPECT_EQ(error, file.string() + ": cannot be written (No such file or directory)");
}

}  // namespace
}  // namespace quillwen
