#include "core/panel_model/search_results.h"

#include <gtest/gtest.h>

#include "core/panel_model/contents_catalogue.h"

namespace quillwen {
namespace {

// Pages (1-based page entries): 論語 1-40 (巻一 1-40), 孟子 41-60 (巻一 41-50
// from page 1, 巻二 51-60 from page 11), 史記 61-70.
const std::vector<CatalogueRecord> kCatalogue = {
    {u"経部", 1, 1, 60, 1},    // 1
    {u"論語", 2, 1, 40, 1},    // 2
    {u"巻一", 3, 1, 40, 1},    // 3
    {u"孟子", 2, 41, 20, 1},   // 4
    {u"巻一", 3, 41, 10, 1},   // 5
    {u"巻二", 3, 51, 10, 11},  // 6
    {u"史部", 1, 61, 10, 1},   // 7
    {u"史記", 2, 61, 10, 1},   // 8
    {u"巻一", 3, 61, 10, 1},   // 9
};

class BuildResultsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const CatalogueRecord& record : kCatalogue) catalogue_.AddRecord(record);
  }
  int64_t Build(int rangeRecord) {
    return BuildResults(*catalogue_.NodeOf(rangeRecord), pages_, counts_, rows_);
  }

  ContentsCatalogue catalogue_;
  // Index pages are 0-based: page entry p + 1.
  std::vector<uint32_t> pages_ = {55, 0, 40, 65, 39, 50};
  std::vector<uint32_t> counts_ = {2, 5, 1, 7, 3, 4};
  std::vector<SearchNodeTag> rows_;
};

TEST_F(BuildResultsTest, CategoryRangeNamesBookAndVolumeOfEachPageInReadingOrder) {
  EXPECT_EQ(Build(1), 15);  // page 65 lies in another category
  const std::vector<SearchNodeTag> expected = {
      {u"経部", u"論語", u"巻一", 0, 1, 5},   {u"経部", u"論語", u"巻一", 39, 40, 3},
      {u"経部", u"孟子", u"巻一", 40, 1, 1},  {u"経部", u"孟子", u"巻二", 50, 11, 4},
      {u"経部", u"孟子", u"巻二", 55, 16, 2},
  };
  EXPECT_EQ(rows_, expected);
}

TEST_F(BuildResultsTest, TheWholeCollectionNamesEachPageByItsOwnCategory) {
  EXPECT_EQ(BuildResults(*catalogue_.m_pRoot, pages_, counts_, rows_), 22);
  const std::vector<SearchNodeTag> expected = {
      {u"経部", u"論語", u"巻一", 0, 1, 5},   {u"経部", u"論語", u"巻一", 39, 40, 3},
      {u"経部", u"孟子", u"巻一", 40, 1, 1},  {u"経部", u"孟子", u"巻二", 50, 11, 4},
      {u"経部", u"孟子", u"巻二", 55, 16, 2}, {u"史部", u"史記", u"巻一", 65, 6, 7},
  };
  EXPECT_EQ(rows_, expected);
  // A page no top-level record covers is outside the whole collection too.
  pages_ = {70, 1000};
  counts_ = {1, 1};
  EXPECT_EQ(BuildResults(*catalogue_.m_pRoot, pages_, counts_, rows_), 0);
  EXPECT_TRUE(rows_.empty());
}

TEST_F(BuildResultsTest, HeaderOrdersKeepReadingOrderAmongEquals) {
  pages_ = {60, 0, 40, 50, 39};
  counts_ = {2, 2, 9, 1, 2};
  Build(1);  // page 60 is outside 経部: rows 0, 39, 40, 50
  auto pagesIn = [&](PageRowOrder order) {
    ResultRows rows;
    rows.Assign(catalogue_.NodeOf(1), pages_, counts_, order);
    std::vector<int32_t> pages;
    for (size_t i = 0; i < rows.Count(); ++i) pages.push_back(rows.OrderedRow(i).page);
    return pages;
  };
  EXPECT_EQ(pagesIn(PageRowOrder::kReading), (std::vector<int32_t>{0, 39, 40, 50}));
  // volumePage: 1, 40, 1, 11.
  EXPECT_EQ(pagesIn(PageRowOrder::kVolumePage), (std::vector<int32_t>{0, 40, 50, 39}));
  // counts: 2, 2, 9, 1.
  EXPECT_EQ(pagesIn(PageRowOrder::kPlaces), (std::vector<int32_t>{40, 0, 39, 50}));
}

TEST_F(BuildResultsTest, BookRangeNamesItsVolumes) {
  EXPECT_EQ(Build(4), 7);
  const std::vector<SearchNodeTag> expected = {
      {u"経部", u"孟子", u"巻一", 40, 1, 1},
      {u"経部", u"孟子", u"巻二", 50, 11, 4},
      {u"経部", u"孟子", u"巻二", 55, 16, 2},
  };
  EXPECT_EQ(rows_, expected);
}

TEST_F(BuildResultsTest, VolumeRangeTakesCategoryAndBookFromAbove) {
  EXPECT_EQ(Build(6), 6);
  const std::vector<SearchNodeTag> expected = {
      {u"経部", u"孟子", u"巻二", 50, 11, 4},
      {u"経部", u"孟子", u"巻二", 55, 16, 2},
  };
  EXPECT_EQ(rows_, expected);
}

TEST_F(BuildResultsTest, PageOfAVolumeStartingAtEntry41) {
  // docID 41, curFileName 1: volumePage = p - 39.
  pages_ = {40, 45};
  counts_ = {1, 1};
  Build(5);
  ASSERT_EQ(rows_.size(), 2u);
  EXPECT_EQ(rows_[0].volumePage, 1);
  EXPECT_EQ(rows_[1].volumePage, 6);
}

TEST_F(BuildResultsTest, PagesWithoutAVolumeGetNoVolumeAndPageZero) {
  ContentsCatalogue sparse;
  sparse.AddRecord({u"部", 1, 1, 100, 1});
  sparse.AddRecord({u"書", 2, 1, 10, 1});
  sparse.AddRecord({u"巻", 3, 1, 5, 1});
  pages_ = {3, 7, 50};
  counts_ = {1, 2, 3};
  EXPECT_EQ(BuildResults(*sparse.NodeOf(1), pages_, counts_, rows_), 6);
  const std::vector<SearchNodeTag> expected = {
      {u"部", u"書", u"巻", 3, 4, 1},
      {u"部", u"書", u"", 7, 0, 2},
      {u"部", u"", u"", 50, 0, 3},
  };
  EXPECT_EQ(rows_, expected);
}

TEST_F(BuildResultsTest, OverlappingVolumesAreSearchedInOrder) {
  ContentsCatalogue overlapping;
  overlapping.AddRecord({u"部", 1, 1, 20, 1});
  overlapping.AddRecord({u"書", 2, 1, 20, 1});
  overlapping.AddRecord({u"甲", 3, 5, 10, 1});
  overlapping.AddRecord({u"乙", 3, 1, 20, 1});
  pages_ = {2, 6};
  counts_ = {1, 1};
  BuildResults(*overlapping.NodeOf(2), pages_, counts_, rows_);
  ASSERT_EQ(rows_.size(), 2u);
  EXPECT_EQ(rows_[0].page, 2);
  EXPECT_EQ(rows_[0].volume, u"乙");
  EXPECT_EQ(rows_[1].page, 6);
  EXPECT_EQ(rows_[1].volume, u"甲");  // covered by both; the first in order wins
}

TEST_F(BuildResultsTest, AnOrResultComesInReadingOrder) {
  // An "or" lists the first term's pages, then the second's new ones.
  pages_ = {40, 55, 0, 50};
  counts_ = {1, 1, 1, 1};
  Build(1);
  std::vector<int32_t> pages;
  for (const SearchNodeTag& row : rows_) pages.push_back(row.page);
  EXPECT_EQ(pages, (std::vector<int32_t>{0, 40, 50, 55}));
}

// ResultRows keeps numbers and names a row when asked: what it lists must be
// what BuildResults makes, in every range and order.
class ResultRowsTest : public BuildResultsTest {
 protected:
  static std::vector<SearchNodeTag> Listed(const ResultRows& rows) {
    std::vector<SearchNodeTag> listed;
    for (size_t i = 0; i < rows.Count(); ++i) listed.push_back(rows.OrderedRow(i));
    return listed;
  }
};

TEST_F(ResultRowsTest, CountsPagesAndPlacesOfTheRangeAndNamesRowsAsBuildResults) {
  struct Case {
    int range;  // 0: the whole collection
    size_t pages;
    int64_t places;
  };
  const Case cases[] = {{0, 6, 22}, {1, 5, 15}, {4, 3, 7}, {6, 2, 6}, {7, 1, 7}, {3, 2, 8}};
  ResultRows rows;
  for (const Case& c : cases) {
    const ContentsNodeTag* range =
        c.range == 0 ? catalogue_.m_pRoot.get() : catalogue_.NodeOf(c.range);
    // One object through every range: each result replaces the last entirely.
    rows.Assign(range, pages_, counts_);
    EXPECT_EQ(rows.Count(), c.pages) << c.range;
    EXPECT_EQ(rows.Places(), c.places) << c.range;
    EXPECT_EQ(BuildResults(*range, pages_, counts_, rows_), c.places) << c.range;
    EXPECT_EQ(Listed(rows), rows_) << c.range;
    for (size_t i = 0; i < rows.Count(); ++i) {
      EXPECT_EQ(rows.PageAt(i), static_cast<uint32_t>(rows_[i].page)) << c.range;
      EXPECT_EQ(rows.PlacesAt(i), static_cast<uint32_t>(rows_[i].count)) << c.range;
    }
  }
}

TEST_F(ResultRowsTest, AnOrderChosenHoldsForTheNextResultAndReadingOrderComesBack) {
  ResultRows rows;
  rows.Assign(catalogue_.NodeOf(1), pages_, counts_);
  rows.Order(PageRowOrder::kPlaces);
  EXPECT_EQ(rows.CurrentOrder(), PageRowOrder::kPlaces);
  // counts: page 0 5, 39 3, 40 1, 50 4, 55 2.
  std::vector<uint32_t> pages;
  for (size_t i = 0; i < rows.Count(); ++i) pages.push_back(rows.OrderedPage(i));
  EXPECT_EQ(pages, (std::vector<uint32_t>{0, 50, 39, 55, 40}));
  // The order given with a result; pages without a volume (page 0) first.
  ContentsCatalogue sparse;
  sparse.AddRecord({u"部", 1, 1, 100, 1});
  sparse.AddRecord({u"書", 2, 1, 10, 1});
  sparse.AddRecord({u"巻", 3, 3, 5, 7});
  const std::vector<uint32_t> sparsePages = {2, 3, 50, 8};
  const std::vector<uint32_t> sparseCounts = {1, 1, 1, 1};
  rows.Assign(sparse.NodeOf(1), sparsePages, sparseCounts, PageRowOrder::kVolumePage);
  std::vector<int32_t> volumePages;
  for (const SearchNodeTag& row : Listed(rows)) volumePages.push_back(row.volumePage);
  EXPECT_EQ(volumePages, (std::vector<int32_t>{0, 0, 7, 8}));
  EXPECT_EQ(rows.OrderedPage(0), 8u);  // ties in reading order: 8, then 50
  EXPECT_EQ(rows.OrderedPage(1), 50u);
  rows.Order(PageRowOrder::kReading);
  for (size_t i = 0; i < rows.Count(); ++i) EXPECT_EQ(rows.ReadingIndexAt(i), i);
}

TEST_F(ResultRowsTest, OrdersSortNumbersOfSeveralBytes) {
  ContentsCatalogue wide;
  wide.AddRecord({u"部", 1, 1, 100, 1});
  wide.AddRecord({u"書", 2, 1, 100, 1});
  wide.AddRecord({u"甲", 3, 1, 10, 65000});  // pages 0-9
  wide.AddRecord({u"乙", 3, 11, 10, 250});   // pages 10-19
  wide.AddRecord({u"丙", 3, 21, 10, 1});     // pages 20-29
  const struct {
    PageRowOrder order;
    std::vector<uint32_t> pages;
    std::vector<uint32_t> counts;
    std::vector<uint32_t> listed;
  } cases[] = {
      // volumePage: 0 65000, 5 65005, 12 252, 20 1, 25 6.
      {PageRowOrder::kVolumePage, {5, 12, 20, 0, 25}, {1, 1, 1, 1, 1}, {20, 25, 12, 0, 5}},
      // Most places first, equal counts in reading order; a count of 2^31 or more
      // reads as a row's negative count, so it comes last.
      {PageRowOrder::kPlaces,
       {0, 39, 40, 50, 55},
       {300, 70000, 1u << 31, 70000, 3},
       {39, 50, 0, 55, 40}},
  };
  for (const auto& c : cases) {
    ResultRows rows;
    rows.Assign(wide.NodeOf(1), c.pages, c.counts, c.order);
    std::vector<uint32_t> listed;
    for (size_t i = 0; i < rows.Count(); ++i) listed.push_back(rows.OrderedPage(i));
    EXPECT_EQ(listed, c.listed) << static_cast<int>(c.order);
  }
}

TEST_F(ResultRowsTest, NoRangeAndClearKeepNothing) {
  ResultRows rows;
  rows.Assign(catalogue_.NodeOf(1), pages_, counts_, PageRowOrder::kVolumePage);
  ASSERT_EQ(rows.Count(), 5u);
  rows.Assign(nullptr, pages_, counts_);
  EXPECT_EQ(rows.Count(), 0u);
  EXPECT_EQ(rows.Places(), 0);
  rows.Assign(catalogue_.NodeOf(7), pages_, counts_);
  ASSERT_EQ(rows.Count(), 1u);
  rows.Clear();
  EXPECT_EQ(rows.Count(), 0u);
  EXPECT_EQ(rows.Places(), 0);
  // Lists of unequal length: only the pages that have a count.
  rows.Assign(catalogue_.NodeOf(1), pages_, std::vector<uint32_t>{2, 5});
  const std::vector<SearchNodeTag> expected = {{u"経部", u"論語", u"巻一", 0, 1, 5},
                                               {u"経部", u"孟子", u"巻二", 55, 16, 2}};
  EXPECT_EQ(Listed(rows), expected);
}

TEST(CategoryOf, FollowsTheRangeLevel) {
  ContentsCatalogue catalogue;
  for (const CatalogueRecord& record : kCatalogue) catalogue.AddRecord(record);
  EXPECT_EQ(CategoryOf(*catalogue.NodeOf(7)), u"史部");
  EXPECT_EQ(CategoryOf(*catalogue.NodeOf(8)), u"史部");
  EXPECT_EQ(CategoryOf(*catalogue.NodeOf(9)), u"史部");
  ContentsCatalogue orphan;
  orphan.AddRecord({u"巻", 3, 1, 1, 1});
  EXPECT_EQ(CategoryOf(*orphan.NodeOf(1)), u"");
}

}  // namespace
}  // namespace quillwen
