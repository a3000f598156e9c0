#include "core/panel_model/reading_rules.h"

#include <gtest/gtest.h>

namespace quillwen {
namespace {

class ReadingRulesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    catalogue_.AddRecord({u"部", 1, 1, 10, 1});    // 1
    catalogue_.AddRecord({u"書", 2, 1, 10, 1});    // 2
    catalogue_.AddRecord({u"巻一", 3, 1, 3, 5});   // 3: pages 5, 6, 7
    catalogue_.AddRecord({u"巻二", 3, 4, 7, 1});   // 4
    catalogue_.AddRecord({u"書二", 2, 11, 1, 1});  // 5 (no volume after it)
  }
  ReadingState State(int32_t node, int32_t page) { return {&catalogue_, node, page, 0, 0}; }

  ContentsCatalogue catalogue_;
};

TEST_F(ReadingRulesTest, BeforeAnyVolumeNothingSteps) {
  const ReadingState state = State(0, 0);
  EXPECT_FALSE(CanGoToPreviousPage(state));
  EXPECT_FALSE(CanGoToNextPage(state));
  EXPECT_FALSE(CanGoToPreviousVolume(state));
  EXPECT_FALSE(CanGoToNextVolume(state));
  EXPECT_FALSE(CanGoToPreviousHit(state));
  EXPECT_FALSE(CanGoToNextHit(state));
}

TEST_F(ReadingRulesTest, PagesOfAVolumeFromFiveToSeven) {
  struct Case {
    int32_t page;
    bool previous;
    bool next;
  };
  for (const Case c :
       {Case{5, false, true}, Case{6, true, true}, Case{7, true, false}, Case{4, false, true}}) {
    const ReadingState state = State(3, c.page);
    EXPECT_EQ(CanGoToPreviousPage(state), c.previous) << c.page;
    EXPECT_EQ(CanGoToNextPage(state), c.next) << c.page;
  }
}

TEST_F(ReadingRulesTest, AVolumeWithoutPagesHasNoNextPage) {
  catalogue_.AddRecord({u"零", 3, 0, 0, 0});   // 6
  catalogue_.AddRecord({u"負", 3, 1, -2, 5});  // 7
  for (const int32_t page : {0, 1, 5, 6}) {
    EXPECT_FALSE(CanGoToNextPage(State(6, page))) << page;
    EXPECT_FALSE(CanGoToNextPage(State(7, page))) << page;
  }
}

TEST_F(ReadingRulesTest, VolumesByRecordScan) {
  EXPECT_EQ(NextVolumeRecord(State(3, 5)), 4);
  EXPECT_EQ(PreviousVolumeRecord(State(3, 5)), 0);
  EXPECT_FALSE(CanGoToPreviousVolume(State(3, 5)));
  EXPECT_EQ(PreviousVolumeRecord(State(4, 1)), 3);
  EXPECT_EQ(NextVolumeRecord(State(4, 1)), 0);
  EXPECT_FALSE(CanGoToNextVolume(State(4, 1)));
  // The scan starts from the volume shown even when a book was selected since.
  EXPECT_EQ(NextVolumeRecord(State(2, 1)), 3);
}

TEST_F(ReadingRulesTest, HitsStepWithinTheAnchorsOfThePage) {
  ReadingState state{&catalogue_, 0, 0, 4, 0};
  EXPECT_FALSE(CanGoToPreviousHit(state));
  EXPECT_TRUE(CanGoToNextHit(state));
  state.curHit = 3;
  EXPECT_TRUE(CanGoToPreviousHit(state));
  EXPECT_FALSE(CanGoToNextHit(state));
}

TEST_F(ReadingRulesTest, HitsGoOnToTheNeighbouringResultRows) {
  struct Case {
    int32_t hitCount;
    int32_t curHit;
    bool rowBefore;
    bool rowAfter;
    bool previous;
    bool next;
  };
  for (const Case c : {Case{4, 3, false, true, true, true}, Case{4, 0, true, false, true, true},
                       Case{0, 0, true, true, true, true}, Case{0, 0, false, false, false, false},
                       Case{1, 0, false, true, false, true}}) {
    ReadingState state{&catalogue_, 0, 0, c.hitCount, c.curHit};
    state.resultRowBefore = c.rowBefore;
    state.resultRowAfter = c.rowAfter;
    EXPECT_EQ(CanGoToPreviousHit(state), c.previous) << c.hitCount << " " << c.curHit;
    EXPECT_EQ(CanGoToNextHit(state), c.next) << c.hitCount << " " << c.curHit;
  }
}

TEST(ReadingTexts, FragmentLabelAndSlider) {
  EXPECT_EQ(HitFragment(3), "#0003");
  EXPECT_EQ(HitFragment(12345), "#12345");
  // The page shown, then the volume's last page.
  EXPECT_EQ(PageLabelText(6, 16), u"6/16");
  EXPECT_EQ(PageLabelText(-7, 12), u"-7/12");
  const SliderRange range = VolumeSliderRange({u"v", 3, 1, 12, 5});
  EXPECT_EQ(range.minimum, 5);
  EXPECT_EQ(range.maximum, 16);
  EXPECT_EQ(VolumeSliderRange({u"v", 3, 1, 0, 5}).maximum, 5);
}

}  // namespace
}  // namespace quillwen
