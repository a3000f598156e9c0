#include "tools/builder/variant_table_builder.h"

#include <gtest/gtest.h>

#include "core/writer/variant_table_writer.h"
#include "tests/support/temp_dir.h"
#include "tests/tools/builder/case_label.h"

namespace quillwen::build {
namespace {

using quillwen::testing::TempDir;
using quillwen::testing::WriteFileBytes;

constexpr char kUnihan[] =
    "# Unihan_Variants.txt\n"
    "\n"
    "U+4E07\tkTraditionalVariant\tU+842C\n"  // 万 萬
    "U+842C\tkSimplifiedVariant\tU+4E07\n"
    "U+4F53\tkTraditionalVariant\tU+9AD4 U+9AD4<kFenn\n"  // 体 體
    "U+9AD4\tkZVariant\tU+9AD6<kHKGlyph\n"                // 體 體's Z variant joins the group
    "U+53F0\tkSemanticVariant\tU+6AAF<kMatthews\n"        // only on request
    "U+5F14\tkSpoofingVariant\tU+5F13\n"                  // never
    "U+20000\tkZVariant\tU+20001\n";

class VariantTableBuilderTest : public ::testing::Test {
 protected:
  VariantTableBuilder Read(bool semantic) {
    WriteFileBytes(dir_ / "Unihan_Variants.txt", kUnihan);
    VariantTableBuilder table;
    std::string error;
    EXPECT_TRUE(table.ReadUnihanVariants(dir_ / "Unihan_Variants.txt", semantic, &error)) << error;
    table.Finish();
    return table;
  }
  TempDir dir_;
};

TEST_F(VariantTableBuilderTest, GroupsConnectedCharactersOrderedBySmallestMember) {
  const VariantTableBuilder table = Read(false);
  EXPECT_EQ(EncodeVariantTable(table.Groups()), "4E07,842C\n4F53,9AD4,9AD6\n20000,20001\n");
  EXPECT_EQ(table.GroupOf(U'萬'), 0);
  EXPECT_EQ(table.GroupOf(0x9AD6), 1);
  EXPECT_EQ(table.GroupOf(0x20001), 2);
  EXPECT_EQ(table.GroupOf(U'台'), -1);
  EXPECT_EQ(table.GroupOf(U'弔'), -1);
}

TEST_F(VariantTableBuilderTest, SemanticVariantsOnlyWhenAsked) {
  const VariantTableBuilder table = Read(true);
  EXPECT_EQ(EncodeVariantTable(table.Groups()),
            "4E07,842C\n4F53,9AD4,9AD6\n53F0,6AAF\n20000,20001\n");
}

TEST_F(VariantTableBuilderTest, OpenCcCharactersRelateAndPhrasesAreSkipped) {
  WriteFileBytes(dir_ / "jp.txt", "國\t国\n體\t体 躰\n國家\t国家\n");
  VariantTableBuilder table;
  std::string error;
  ASSERT_TRUE(table.ReadOpenCcCharacters(dir_ / "jp.txt", &error)) << error;
  table.Finish();
  EXPECT_EQ(EncodeVariantTable(table.Groups()), "4F53,8EB0,9AD4\n56FD,570B\n");
}

struct BadFileCase {
  const char* label;
  bool unihan;
  std::string contents;
  std::string expected;
};

class VariantTableBuilderErrorTest : public ::testing::TestWithParam<BadFileCase> {};

TEST_P(VariantTableBuilderErrorTest, NamesFileAndLine) {
  TempDir dir;
  WriteFileBytes(dir / "variants.txt", GetParam().contents);
  VariantTableBuilder table;
  std::string error;
  const bool read = GetParam().unihan
                        ? table.ReadUnihanVariants(dir / "variants.txt", false, &error)
                        : table.ReadOpenCcCharacters(dir / "variants.txt", &error);
  EXPECT_FALSE(read);
  EXPECT_NE(error.find("variants.txt:" + GetParam().expected), std::string::npos) << error;
}

INSTANTIATE_TEST_SUITE_P(
    Files, VariantTableBuilderErrorTest,
    ::testing::Values(
        BadFileCase{"UnihanMissingField", true, "# x\nU+4E07\tkZVariant\n", "2: expected"},
        BadFileCase{"UnihanBadValue", true, "U+4E07\tkZVariant\tU+4E\n",
                    "1: U+4E is not a code point"},
        BadFileCase{"UnihanBeyondUnicode", true, "U+4E07\tkZVariant\tU+110000\n",
                    "1: U+110000 is not"},
        BadFileCase{"OpenCcNoTab", false, "國 国\n", "1: expected"},
        BadFileCase{"OpenCcNotUtf8", false, "國\t\xFF\n", "1: the text is not UTF-8"}),
    [](const auto& info) { return std::string(info.param.label); });

TEST(VariantTableBuilderFileTest, MissingFileIsAnError) {
  VariantTableBuilder table;
  std::string error;
  EXPECT_FALSE(table.ReadUnihanVariants("/nonexistent/Unihan_Variants.txt", false, &error));
  EXPECT_NE(error.find("cannot be read"), std::string::npos);
}

}  // namespace
}  // namespace quillwen::build
