#include "core/panel_model/result_paging.h"

#include <gtest/gtest.h>

namespace quillwen {
namespace {

struct PagingCase {
  size_t rows;
  int32_t pages;
  int32_t current;
  size_t rowsOnFirstPage;
};

class ResultPagingTest : public ::testing::TestWithParam<PagingCase> {};

TEST_P(ResultPagingTest, CountsListPages) {
  ResultPaging paging;
  paging.Reset(GetParam().rows);
  EXPECT_EQ(paging.m_nResultPages, GetParam().pages);
  EXPECT_EQ(paging.m_nCurResultPage, GetParam().current);
  EXPECT_EQ(paging.RowCount(), GetParam().rowsOnFirstPage);
  EXPECT_EQ(paging.Pager().visible, GetParam().rows > 0);
}

INSTANTIATE_TEST_SUITE_P(Rows, ResultPagingTest,
                         ::testing::Values(PagingCase{0, 0, 0, 0}, PagingCase{1, 1, 1, 1},
                                           PagingCase{100, 1, 1, 100}, PagingCase{101, 2, 1, 100},
                                           PagingCase{200, 2, 1, 100}, PagingCase{250, 3, 1, 100}));

TEST(ResultPaging, OnePageDisablesBothButtonsAndTheEdit) {
  ResultPaging paging;
  paging.Reset(100);
  const PagerState pager = paging.Pager();
  EXPECT_FALSE(pager.previousEnabled);
  EXPECT_FALSE(pager.nextEnabled);
  EXPECT_TRUE(pager.editReadOnly);
  EXPECT_EQ(pager.editText, u"1");
  EXPECT_EQ(pager.countLabel, u"/1");
}

TEST(ResultPaging, StepsThroughThreePages) {
  ResultPaging paging;
  paging.Reset(250);
  EXPECT_FALSE(paging.Previous());
  EXPECT_FALSE(paging.Pager().previousEnabled);
  EXPECT_TRUE(paging.Pager().nextEnabled);
  EXPECT_TRUE(paging.Next());
  EXPECT_TRUE(paging.Pager().previousEnabled);
  EXPECT_TRUE(paging.Next());
  EXPECT_EQ(paging.FirstRow(), 200u);
  EXPECT_EQ(paging.RowCount(), 50u);
  EXPECT_FALSE(paging.Pager().nextEnabled);
  EXPECT_FALSE(paging.Next());
  EXPECT_EQ(paging.Pager().editText, u"3");
  EXPECT_EQ(paging.Pager().countLabel, u"/3");
}

// The hit commands bring the list page of the row they reach.
TEST(ResultPaging, ShowRowMakesItsListPageCurrent) {
  struct Case {
    size_t row;
    bool changed;
    int32_t page;
  };
  ResultPaging paging;
  paging.Reset(250);
  for (const Case& c :
       {Case{0, false, 1}, Case{99, false, 1}, Case{100, true, 2}, Case{199, false, 2},
        Case{249, true, 3}, Case{250, false, 3}, Case{5, true, 1}}) {
    EXPECT_EQ(paging.ShowRow(c.row), c.changed) << c.row;
    EXPECT_EQ(paging.m_nCurResultPage, c.page) << c.row;
    EXPECT_EQ(paging.FirstRow(), static_cast<size_t>(c.page - 1) * 100) << c.row;
  }
  paging.Reset(0);
  EXPECT_FALSE(paging.ShowRow(0));
  EXPECT_EQ(paging.m_nCurResultPage, 0);
}

TEST(ResultPaging, PageEditAcceptsOnlyPagesInRange) {
  struct Case {
    std::u16string text;
    bool changes;
    int32_t current;
  };
  const Case cases[] = {
      {u"0", false, 1},   {u"4", false, 1},  {u"", false, 1},
      {u"abc", false, 1}, {u"-2", false, 1}, {u"1", false, 1},
      {u"3", true, 3},    {u"2x", true, 2},  {u"99999999999999", false, 1},
  };
  for (const Case& c : cases) {
    ResultPaging paging;
    paging.Reset(250);
    EXPECT_EQ(paging.ApplyPageEdit(c.text), c.changes);
    EXPECT_EQ(paging.m_nCurResultPage, c.current);
    // A refused number leaves the edit to show the current page again.
    EXPECT_EQ(paging.Pager().editText, std::u16string(1, static_cast<char16_t>(u'0' + c.current)));
  }
}

}  // namespace
}  // namespace quillwen
