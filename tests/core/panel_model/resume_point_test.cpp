#include "core/panel_model/resume_point.h"

#include <gtest/gtest.h>

#include <climits>
#include <vector>

namespace quillwen {
namespace {

class ResumePointTest : public ::testing::Test {
 protected:
  void SetUp() override {
    catalogue_.AddRecord({u"部", 1, 1, 10, 1});   // 1
    catalogue_.AddRecord({u"書", 2, 1, 10, 1});   // 2
    catalogue_.AddRecord({u"巻一", 3, 1, 3, 5});  // 3: pages 5, 6, 7
    catalogue_.AddRecord({u"巻二", 3, 4, 7, 1});  // 4: pages 1 to 7
  }

  ContentsCatalogue catalogue_;
};

TEST_F(ResumePointTest, SavedPlaceThatFitsTheCatalogue) {
  struct Case {
    const char* record;
    const char* page;
    int expectedRecord;
    int32_t expectedPage;
  };
  for (const Case& c : {
           Case{"3", "6", 3, 6},
           Case{"3", "5", 3, 5},
           Case{"4", "7", 4, 7},
           // The volume has shrunk or the page was never one of it: its nearest page.
           Case{"3", "9", 3, 7},
           Case{"3", "1", 3, 5},
           Case{"3", "-4", 3, 5},
           // No page, or none we wrote: the volume's first page.
           Case{"3", "", 3, 5},
           Case{"3", "six", 3, 5},
           Case{"4", "6.5", 4, 1},
           Case{"4", "99999999999", 4, 1},
       }) {
    const std::optional<ResumePoint> point = FindResumePoint(catalogue_, c.record, c.page);
    ASSERT_TRUE(point.has_value()) << c.record << " " << c.page;
    EXPECT_EQ(point->record, c.expectedRecord) << c.record << " " << c.page;
    EXPECT_EQ(point->page, c.expectedPage) << c.record << " " << c.page;
  }
}

TEST_F(ResumePointTest, SavedRecordThatDoesNotFitIsIgnored) {
  for (const char* record : {"0", "5", "-1", "1", "2", "", "3x", " 3", "+3", "0x3", "4294967299"}) {
    EXPECT_FALSE(FindResumePoint(catalogue_, record, "5").has_value()) << '"' << record << '"';
  }
  const ContentsCatalogue empty;
  EXPECT_FALSE(FindResumePoint(empty, "1", "1").has_value());
}

TEST_F(ResumePointTest, PageThatIsNotStoredFallsBackToTheFirstPage) {
  std::vector<std::pair<int, int32_t>> asked;
  const PageIsStored storedUpToSix = [&asked](int record, int32_t page) {
    asked.emplace_back(record, page);
    return page <= 6;
  };
  std::optional<ResumePoint> point = FindResumePoint(catalogue_, "3", "6", storedUpToSix);
  ASSERT_TRUE(point.has_value());
  EXPECT_EQ(point->page, 6);
  point = FindResumePoint(catalogue_, "3", "7", storedUpToSix);
  ASSERT_TRUE(point.has_value());
  EXPECT_EQ(point->record, 3);
  EXPECT_EQ(point->page, 5);
  // The clamped page is the one looked for.
  point = FindResumePoint(catalogue_, "3", "40", storedUpToSix);
  ASSERT_TRUE(point.has_value());
  EXPECT_EQ(point->page, 5);
  EXPECT_EQ(asked, (std::vector<std::pair<int, int32_t>>{{3, 6}, {3, 7}, {3, 7}}));
}

TEST(ResumeNumberTextTest, ReadsBackWhatItWrites) {
  for (int32_t number : {0, 1, 7, 9999, -1, INT32_MAX, INT32_MIN}) {
    EXPECT_EQ(ParseResumeNumber(ResumeNumberText(number)), number) << number;
  }
  for (const char* text : {"", "-", "1 ", "１", "2147483648", "-2147483649"}) {
    EXPECT_FALSE(ParseResumeNumber(text).has_value()) << '"' << text << '"';
  }
}

}  // namespace
}  // namespace quillwen
