#include "core/panel_model/page_history.h"

#include <gtest/gtest.h>

namespace quillwen {
namespace {

PageVisit Stored(int32_t record, int32_t page) {
  PageVisit visit;
  visit.record = record;
  visit.page = page;
  return visit;
}

PageVisit Result(int32_t entry, int32_t hit, std::u16string keywords = u"月") {
  PageVisit visit;
  visit.kind = PageVisit::Kind::kResultPage;
  visit.entry = entry;
  visit.hit = hit;
  visit.keywords = std::move(keywords);
  return visit;
}

TEST(PageHistoryTest, BackAndForwardAsInABrowser) {
  PageHistory history;
  EXPECT_FALSE(history.CanGoBack());
  EXPECT_FALSE(history.Back());
  history.Visit(Stored(3, 1));
  EXPECT_FALSE(history.CanGoBack());
  history.Visit(Stored(3, 2));
  history.Visit(Result(40, 0));
  ASSERT_TRUE(history.CanGoBack());
  EXPECT_EQ(history.Back()->page, 2);
  EXPECT_EQ(history.Back()->page, 1);
  EXPECT_FALSE(history.Back());
  EXPECT_EQ(history.Forward()->page, 2);
  // A new page drops what lay forward.
  history.Visit(Stored(4, 7));
  EXPECT_FALSE(history.CanGoForward());
  EXPECT_EQ(history.Back()->page, 2);
  EXPECT_EQ(history.Forward()->record, 4);
  EXPECT_EQ(history.Size(), 3u);
}

TEST(PageHistoryTest, TheSamePageAgainIsOneVisitThatRemembersItsHit) {
  PageHistory history;
  history.Visit(Stored(3, 1));
  history.Visit(Result(40, 0));
  history.SetCurrentHit(5);
  history.Visit(Result(40, 2));  // the same page, another hit
  EXPECT_EQ(history.Size(), 2u);
  history.Visit(Result(40, 0, u"日"));  // marked for another query: another page
  EXPECT_EQ(history.Size(), 3u);
  const std::optional<PageVisit> back = history.Back();
  ASSERT_TRUE(back);
  EXPECT_EQ(back->entry, 40);
  EXPECT_EQ(back->hit, 2);
}

TEST(PageHistoryTest, AfterTheViewWasEmptiedBackShowsTheCurrentVisitAgain) {
  PageHistory history;
  history.Leave();  // nothing to come back to
  EXPECT_FALSE(history.CanGoBack());
  history.Visit(Stored(3, 1));
  history.Visit(Result(40, 2));
  history.Leave();
  ASSERT_TRUE(history.CanGoBack());
  EXPECT_EQ(history.Back()->entry, 40);
  EXPECT_EQ(history.Back()->page, 1);
  // Showing the same page after leaving it is a visit of its own.
  history.Visit(Result(40, 2));
  history.Leave();
  history.Visit(Result(40, 2));
  EXPECT_EQ(history.Size(), 3u);
}

TEST(PageHistoryTest, ForgetsTheOldestPastItsCapacity) {
  PageHistory history;
  for (int32_t page = 0; page < static_cast<int32_t>(PageHistory::kCapacity) + 10; ++page)
    history.Visit(Stored(1, page));
  EXPECT_EQ(history.Size(), PageHistory::kCapacity);
  std::optional<PageVisit> oldest;
  while (std::optional<PageVisit> back = history.Back()) oldest = back;
  ASSERT_TRUE(oldest);
  EXPECT_EQ(oldest->page, 10);
}

}  // namespace
}  // namespace quillwen
