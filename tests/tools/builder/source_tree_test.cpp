#include "tools/builder/source_tree.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "tests/support/temp_dir.h"
#include "tests/tools/builder/case_label.h"
#include "tools/builder/utf8.h"

namespace quillwen::build {
namespace {

namespace fs = std::filesystem;
using quillwen::testing::TempDir;
using quillwen::testing::WriteFileBytes;

TEST(CompareNaturalTest, OrdersDigitRunsByValue) {
  std::vector<std::string> names = {"10 詩", "2 書", "02 易", "1 禮", "b",
                                    "a10",   "a9",   "卷十",  "卷二"};
  std::sort(names.begin(), names.end(),
            [](const std::string& a, const std::string& b) { return CompareNatural(a, b) < 0; });
  EXPECT_EQ(names, (std::vector<std::string>{"1 禮", "2 書", "02 易", "10 詩", "a9", "a10", "b",
                                             "卷二", "卷十"}));
  EXPECT_EQ(CompareNatural("a", "a"), 0);
  EXPECT_LT(CompareNatural("a", "ab"), 0);
}

struct NameCase {
  std::u32string fileName;
  bool volume;
  std::u32string shown;
};

TEST(DisplayNameTest, DropsTheOrderNumberAndExtension) {
  const NameCase cases[] = {
      {U"01 詩經", false, U"詩經"},
      {U"001 學而.txt", true, U"學而"},
      {U"12  卷十二.txt", true, U"卷十二"},
      {U"001.txt", true, U"001"},
      {U"01 ", false, U"01 "},
      {U"1a 書", false, U"1a 書"},
      {U"詩經.txt", false, U"詩經.txt"},
      {U"2 3 書", false, U"3 書"},
  };
  for (const NameCase& c : cases) {
    EXPECT_EQ(EncodeUtf8(DisplayName(c.fileName, c.volume)), EncodeUtf8(c.shown))
        << EncodeUtf8(c.fileName);
  }
}

class SourceTreeTest : public ::testing::Test {
 protected:
  void Volume(const std::string& relative) {
    fs::create_directories((dir_ / relative).parent_path());
    WriteFileBytes(dir_ / relative, "甲");
  }
  bool Scan(std::string* error) { return ScanSourceTree(dir_.path(), &tree_, error); }

  TempDir dir_;
  SourceTree tree_;
};

TEST_F(SourceTreeTest, ReadsCategoriesBooksAndVolumesInReadingOrder) {
  Volume("10 四書/1 大學/1 經.txt");
  Volume("2 詩經/1 國風/10 豳風.txt");
  Volume("2 詩經/1 國風/2 召南.txt");
  Volume("2 詩經/1 國風/1 周南.txt");
  Volume("2 詩經/2 小雅/1 鹿鳴之什.txt");
  WriteFileBytes(dir_ / "2 詩經" / "1 國風" / "notes.md", "passed over");
  WriteFileBytes(dir_ / "README", "passed over");
  Volume("2 詩經/.hidden/1 x.txt");
  std::string error;
  ASSERT_TRUE(Scan(&error)) << error;
  std::vector<std::string> shown;
  for (const auto& category : tree_.categories) {
    shown.push_back(EncodeUtf8(category.name));
    for (const auto& book : category.books) {
      shown.push_back("  " + EncodeUtf8(book.name));
      for (const auto& volume : book.volumes) shown.push_back("    " + EncodeUtf8(volume.name));
    }
  }
  EXPECT_EQ(shown,
            (std::vector<std::string>{"詩經", "  國風", "    周南", "    召南", "    豳風",
                                      "  小雅", "    鹿鳴之什", "四書", "  大學", "    經"}));
  EXPECT_EQ(tree_.RecordCount(), 10u);
  EXPECT_EQ(tree_.VolumeCount(), 5u);
}

struct TreeErrorCase {
  const char* label;
  std::vector<std::string> volumes;  // files to create, relative to the root
  std::vector<std::string> folders;  // empty folders to create
  std::string expected;
};

class SourceTreeErrorTest : public ::testing::TestWithParam<TreeErrorCase> {};

TEST_P(SourceTreeErrorTest, NamesThePathAndTheProblem) {
  TempDir dir;
  for (const std::string& file : GetParam().volumes) {
    fs::create_directories((dir / file).parent_path());
    WriteFileBytes(dir / file, "甲");
  }
  for (const std::string& folder : GetParam().folders) fs::create_directories(dir / folder);
  SourceTree tree;
  std::string error;
  EXPECT_FALSE(ScanSourceTree(dir.path(), &tree, &error));
  EXPECT_NE(error.find(GetParam().expected), std::string::npos) << error;
  EXPECT_EQ(error.find_first_of("\n\r\t"), std::string::npos) << "one line: " << error;
}

INSTANTIATE_TEST_SUITE_P(
    Trees, SourceTreeErrorTest,
    ::testing::Values(
        TreeErrorCase{"Empty", {}, {}, "holds no category folder"},
        TreeErrorCase{
            "VolumeInRoot", {"卷.txt"}, {}, "卷.txt: a volume file must lie in a book folder"},
        TreeErrorCase{"VolumeInCategory",
                      {"經/卷.txt"},
                      {},
                      "卷.txt: a volume file must lie in a book folder"},
        TreeErrorCase{
            "FolderInBook", {"經/書/卷.txt"}, {"經/書/子"}, "子: a book folder holds volume files"},
        TreeErrorCase{
            "EmptyBook", {"經/書/卷.txt"}, {"經/空"}, "空: the book holds no volume file"},
        TreeErrorCase{
            "EmptyCategory", {"經/書/卷.txt"}, {"史"}, "史: the category holds no book folder"},
        TreeErrorCase{"NameTooLong",
                      {"經/書/" + std::string(100, 'x') + ".txt"},
                      {},
                      "the shown name has 100 UTF-16 units; a catalogue name holds at most 99"},
        TreeErrorCase{"NameNotUtf8", {"經/\xFF/卷.txt"}, {}, "the name is not UTF-8"},
        // Names are shown in tab-separated, one-line listings.
        TreeErrorCase{"LineFeedInVolumeName",
                      {"經/書/上\n下.txt"},
                      {},
                      "經/書/上[U+000A]下.txt: the name holds the control character U+000A"},
        TreeErrorCase{"CarriageReturnInBookName",
                      {"經/書\r/卷.txt"},
                      {},
                      "經/書[U+000D]: the name holds the control character U+000D"},
        TreeErrorCase{"TabInCategoryName",
                      {"經\t部/書/卷.txt"},
                      {},
                      "經[U+0009]部: the name holds the control character U+0009"},
        TreeErrorCase{"EscapeInVolumeName",
                      {"經/書/\x1B[31m卷.txt"},
                      {},
                      "the name holds the control character U+001B"},
        TreeErrorCase{"DeleteInBookName",
                      {"經/書\x7F/卷.txt"},
                      {},
                      "the name holds the control character U+007F"},
        TreeErrorCase{"NextLineInVolumeName",
                      {"經/書/上\u0085下.txt"},
                      {},
                      "the name holds the control character U+0085"},
        TreeErrorCase{"LineSeparatorInVolumeName",
                      {"經/書/上\u2028下.txt"},
                      {},
                      "the name holds the control character U+2028"}),
    [](const auto& info) { return std::string(info.param.label); });

TEST(SourceTreeMissingTest, MissingRootIsAnError) {
  SourceTree tree;
  std::string error;
  EXPECT_FALSE(ScanSourceTree("/nonexistent/source", &tree, &error));
  EXPECT_NE(error.find("no such source folder"), std::string::npos) << error;
}

}  // namespace
}  // namespace quillwen::build
