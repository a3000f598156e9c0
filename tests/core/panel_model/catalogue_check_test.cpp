#include "core/panel_model/catalogue_check.h"

#include <gtest/gtest.h>

#include <ostream>
#include <vector>

#include "core/writer/catalogue_writer.h"
#include "tests/support/temp_dir.h"
#include "tests/support/tiny_collection.h"

namespace quillwen {

void PrintTo(const CatalogueProblem& problem, std::ostream* out) {
  *out << "record " << problem.record << ": " << problem.what;
}

namespace {

using testing::RecordingMessageSink;
using testing::TempDir;

// A store of 6 page entries: volume A's pages 1-3 (entries 0-2), volume B's
// pages 5-6 (entries 3-4), volume C's page 1 (entry 5). The catalogue is then
// written anew by each case.
class CatalogueCheckTest : public ::testing::Test {
 protected:
  void SetUp() override {
    testing::WriteTinyCollection(data_.path(), {{1, u"部", {}, 1},
                                                {2, u"書", {}, 1},
                                                {3, u"A", {u"甲", u"乙", u"丙"}, 1},
                                                {3, u"B", {u"丁", u"戊"}, 5},
                                                {3, u"C", {u"己"}, 1}});
    ASSERT_TRUE(store_.Open(data_.path(), u"Index"));
  }

  std::vector<CatalogueProblem> Check(const std::vector<CatalogueRecord>& records) {
    std::string error;
    EXPECT_TRUE(WriteCatalogue(data_ / "mvr.dir", records, &error)) << error;
    ContentsCatalogue catalogue;
    catalogue.Load(data_.path(), messages_, data_ / "mvr.txt");
    return CheckCatalogue(catalogue, store_);
  }

  TempDir data_;
  CFileList store_;
  RecordingMessageSink messages_;
};

TEST_F(CatalogueCheckTest, RecordsLaidOutFreelyAreValid) {
  // The volumes in another order than their pages, the book's range covering
  // only part of them, a category whose docNo is not the sum of its books', an
  // entry of no pages.
  EXPECT_EQ(Check({{u"部", 1, 2, 1, 7},
                   {u"書", 2, 4, 2, 5},
                   {u"C", 3, 6, 1, 1},
                   {u"B", 3, 4, 2, 5},
                   {u"A", 3, 1, 3, 1},
                   {u"空", 3, 1, 0, 0}}),
            std::vector<CatalogueProblem>{});
}

TEST_F(CatalogueCheckTest, WhatTheFormatOrTheStoreDenies) {
  const struct {
    CatalogueRecord record;  // as record 3, under 部 and 書, before volume C
    const char* problem;
  } cases[] = {
      {{u"A", 0, 1, 3, 1}, "level 0 is below 1"},
      {{u"A", -2, 1, 3, 1}, "level -2 is below 1"},
      {{u"A", 4, 1, 3, 1}, "level 4 has no record of level 3 before it"},
      {{u"A", 3, -5, 3, 1}, "pages -5 to -3 lie outside the 6 page entries"},
      {{u"A", 3, 0, 3, 1}, "pages 0 to 2 lie outside the 6 page entries"},
      {{u"A", 3, 5, 3, 1}, "pages 5 to 7 lie outside the 6 page entries"},
      {{u"A", 3, 1, -1, 1}, "docNo -1 is negative"},
      {{u"A", 3, 2, 3, 1}, "its first page, entry 1, carries page 2, not 1"},
      {{u"A", 3, 1, 4, 1}, "its last page, entry 3, carries page 5, not 4"},
      {{u"A", 3, 1, 3, 2}, "its first page, entry 0, carries page 1, not 2"},
  };
  for (const auto& c : cases) {
    const std::vector<CatalogueProblem> problems =
        Check({{u"部", 1, 1, 6, 1}, {u"書", 2, 1, 6, 1}, c.record, {u"C", 3, 6, 1, 1}});
    EXPECT_EQ(problems, (std::vector<CatalogueProblem>{{3, c.problem}})) << c.problem;
  }
}

TEST_F(CatalogueCheckTest, OnlyVolumesAreHeldToTheirPageNumbers) {
  // A book's curFileName says nothing of the page numbers of its pages.
  EXPECT_EQ(Check({{u"部", 1, 1, 6, 9}, {u"書", 2, 4, 3, 1}, {u"B", 3, 4, 2, 5}}),
            std::vector<CatalogueProblem>{});
}

TEST_F(CatalogueCheckTest, AClosedStoreChecksTheLevelsOnly) {
  store_.Close();
  EXPECT_EQ(Check({{u"部", 1, 99, 99, 1}, {u"A", 0, 1, 1, 1}}),
            (std::vector<CatalogueProblem>{{2, "level 0 is below 1"}}));
}

TEST_F(CatalogueCheckTest, TheFaultNamesTheFirstProblemAndCountsTheRestByRecord) {
  ContentsCatalogue catalogue;
  std::string error;
  ASSERT_TRUE(WriteCatalogue(data_ / "mvr.dir",
                             std::vector<CatalogueRecord>{{u"部", 1, 1, 6, 1}, {u"A", 3, 1, 3, 1}},
                             &error));
  catalogue.Load(data_.path(), messages_, data_ / "mvr.txt");
  EXPECT_EQ(DescribeCatalogueProblems(
                catalogue, {{2, "level 3 has no record of level 2 before it"}, {2, "x"}, {1, "y"}}),
            "record 2 (A): level 3 has no record of level 2 before it; and 1 more records");
  EXPECT_EQ(DescribeCatalogueProblems(catalogue, {}), "");
}

}  // namespace
}  // namespace quillwen
