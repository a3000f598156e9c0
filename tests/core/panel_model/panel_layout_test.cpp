#include "core/panel_model/panel_layout.h"

#include <gtest/gtest.h>

namespace quillwen {
namespace {

TEST(PanelLayout, ContentsTabShowsOnlyTheTree) {
  const auto layout = LayoutPanel(
      {.width = 260, .height = 700, .selectedTab = 0, .resultPages = 2, .curResultPage = 1});
  EXPECT_EQ(layout.at(kTabControl).rect, (PanelRect{0, 0, 259, 699}));
  EXPECT_EQ(layout.at(kContentsTree).rect, (PanelRect{5, 26, 250, 670}));
  EXPECT_EQ(layout.at(kContentsTree).visible, true);
  for (const int id : {kPromptLabel, kSearchButton, kWholeCollectionButton, kViewPages, kViewHits,
                       kResultList, kPreviousListPage, kListPageCount, kUnusedEdit}) {
    EXPECT_EQ(layout.at(id).visible, false) << id;
    EXPECT_FALSE(layout.at(id).rect.has_value()) << id;
  }
}

struct SearchTabCase {
  int width;
  int resultPages;
  int curResultPage;
  std::map<int, PanelRect> rects;
};

class SearchTabLayoutTest : public ::testing::TestWithParam<SearchTabCase> {};

TEST_P(SearchTabLayoutTest, PlacesEveryControl) {
  const SearchTabCase& c = GetParam();
  const auto layout = LayoutPanel({.width = c.width,
                                   .height = 600,
                                   .selectedTab = 1,
                                   .resultPages = c.resultPages,
                                   .curResultPage = c.curResultPage});
  for (const auto& [id, rect] : c.rects) {
    ASSERT_TRUE(layout.at(id).rect.has_value()) << id;
    EXPECT_EQ(*layout.at(id).rect, rect) << id;
    EXPECT_EQ(layout.at(id).visible, true) << id;
  }
  EXPECT_EQ(layout.at(kContentsTree).visible, false);
  EXPECT_EQ(layout.at(kUnusedEdit).visible, false);
}

INSTANTIATE_TEST_SUITE_P(
    Widths, SearchTabLayoutTest,
    ::testing::Values(
        SearchTabCase{239,
                      2,
                      1,
                      {{kPromptLabel, {5, 28, 229, 15}},
                       {kQueryInputPage, {5, 45, 179, 25}},
                       {kSearchButton, {189, 45, 45, 25}},
                       {kSeparatorLine, {4, 75, 231, 1}},
                       {kVariantCheckBox, {5, 80, 224, 15}},
                       {kMethodGroup, {5, 100, 229, 40}},
                       {kMethodAnd, {10, 115, 50, 20}},
                       {kMethodOr, {169, 115, 50, 20}},
                       {kTargetGroup, {5, 145, 229, 40}},
                       {kTargetFullText, {10, 160, 60, 20}},
                       {kTargetMainText, {97, 160, 60, 20}},
                       {kTargetAnnotations, {189, 160, 60, 20}},
                       // The range label ends 40 pixels sooner than it used to, so that the
                       // "全体" button fits beside it inside the range group.
                       {kRangeGroup, {5, 190, 229, 40}},
                       {kRangeLabel, {10, 205, 169, 20}},
                       {kWholeCollectionButton, {184, 203, 45, 24}},
                       {kSummaryLabel, {5, 235, 224, 15}},
                       {kViewPages, {10, 252, 50, 20}},
                       {kViewHits, {65, 252, 60, 20}},
                       {kPreviousListPage, {5, 563, 32, 32}},
                       {kNextListPage, {202, 563, 32, 32}},
                       {kListPageEdit, {87, 569, 35, 20}},
                       {kListPageCount, {124, 571, 30, 24}},
                       {kResultList, {5, 275, 229, 287}}}},
        SearchTabCase{100,
                      3,
                      3,
                      {{kQueryInputPage, {5, 45, 40, 25}},
                       {kSearchButton, {50, 45, 45, 25}},
                       {kMethodOr, {30, 115, 50, 20}},
                       {kListPageEdit, {18, 569, 35, 20}},
                       {kListPageCount, {55, 571, 30, 24}},
                       {kNextListPage, {63, 563, 32, 32}},
                       {kWholeCollectionButton, {45, 203, 45, 24}},
                       {kResultList, {5, 275, 90, 287}}}}),
    [](const auto& info) { return "width" + std::to_string(info.param.width); });

TEST(PanelLayout, PagingRowOnlyWithResultsAndDisabledAtItsEnds) {
  const auto without = LayoutPanel({.width = 239, .height = 600, .selectedTab = 1});
  EXPECT_EQ(*without.at(kResultList).rect, (PanelRect{5, 275, 229, 321}));
  // Without results the paging row keeps whatever visibility it had.
  EXPECT_FALSE(without.count(kPreviousListPage) &&
               without.at(kPreviousListPage).visible.has_value());

  const auto first = LayoutPanel(
      {.width = 239, .height = 600, .selectedTab = 1, .resultPages = 3, .curResultPage = 1});
  EXPECT_TRUE(first.at(kPreviousListPage).disable);
  EXPECT_FALSE(first.at(kNextListPage).disable);
  const auto last = LayoutPanel(
      {.width = 239, .height = 600, .selectedTab = 1, .resultPages = 3, .curResultPage = 3});
  EXPECT_FALSE(last.at(kPreviousListPage).disable);
  EXPECT_TRUE(last.at(kNextListPage).disable);
}

}  // namespace
}  // namespace quillwen
