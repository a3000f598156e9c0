#include "core/panel_model/page_view_steps.h"

#include <gtest/gtest.h>

namespace quillwen {
namespace {

TEST(TextSizeSteps, StepAlongTheSizesAndStopAtTheEnds) {
  struct Case {
    int size;
    int steps;
    int expected;
  };
  for (const Case c :
       {Case{13, 1, 14}, Case{14, 1, 16}, Case{13, -1, 12}, Case{13, 3, 18}, Case{40, 1, 40},
        Case{8, -1, 8}, Case{13, 0, 13}, Case{13, 100, 40}, Case{13, -100, 8}, Case{15, 1, 16},
        Case{15, -1, 14}, Case{3, 1, 8}, Case{99, -1, 40}}) {
    EXPECT_EQ(StepTextSize(c.size, c.steps), c.expected) << c.size << " by " << c.steps;
  }
}

TEST(TextSizeSteps, ARememberedSizeOutsideTheOfferedOnesIsTheStandardSize) {
  struct Case {
    std::u16string_view text;
    int expected;
  };
  for (const Case c :
       {Case{u"16", 16}, Case{u"15", 15}, Case{u"8", 8}, Case{u"40", 40},
        Case{u"", kStandardTextSize}, Case{u"7", kStandardTextSize}, Case{u"41", kStandardTextSize},
        Case{u"-12", kStandardTextSize}, Case{u"12pt", kStandardTextSize},
        Case{u"99999999999", kStandardTextSize}, Case{u"１６", kStandardTextSize}}) {
    EXPECT_EQ(TextSizeFromSetting(c.text), c.expected);
  }
  for (const int size : kTextSizes) EXPECT_EQ(TextSizeFromSetting(TextSizeSetting(size)), size);
}

TEST(FindSteps, ForwardFromNoneGoesToTheFirstAndWrapsAfterTheLast) {
  FindSteps steps;
  steps.Reset(3);
  EXPECT_EQ(steps.Current(), -1);
  EXPECT_EQ(steps.Label(), u"0 / 3");
  EXPECT_EQ(steps.Next(), 0);
  EXPECT_EQ(steps.Label(), u"1 / 3");
  EXPECT_EQ(steps.Next(), 1);
  EXPECT_EQ(steps.Next(), 2);
  EXPECT_EQ(steps.Label(), u"3 / 3");
  EXPECT_EQ(steps.Next(), 0);
  EXPECT_EQ(steps.Previous(), 2);
  EXPECT_EQ(steps.Previous(), 1);
}

TEST(FindSteps, BackwardFromNoneGoesToTheLastAndWrapsBeforeTheFirst) {
  FindSteps steps;
  steps.Reset(12);
  EXPECT_EQ(steps.Previous(), 11);
  EXPECT_EQ(steps.Label(), u"12 / 12");
  steps.Reset(12);
  steps.Next();
  EXPECT_EQ(steps.Previous(), 11);
}

TEST(FindSteps, NoMatchStaysAtNoneAndSaysSo) {
  FindSteps steps;
  for (const int count : {0, -4}) {
    steps.Reset(count);
    EXPECT_EQ(steps.Count(), 0);
    EXPECT_EQ(steps.Next(), -1);
    EXPECT_EQ(steps.Previous(), -1);
    EXPECT_EQ(steps.Current(), -1);
    EXPECT_EQ(steps.Label(), kFindNothingFoundText);
  }
}

TEST(FindSteps, ResetForgetsTheCurrentMatch) {
  FindSteps steps;
  steps.Reset(5);
  steps.Next();
  steps.Next();
  steps.Reset(2);
  EXPECT_EQ(steps.Current(), -1);
  EXPECT_EQ(steps.Label(), u"0 / 2");
}

}  // namespace
}  // namespace quillwen
