#include "tools/builder/page_layout.h"

#include <gtest/gtest.h>

#include "tests/tools/builder/case_label.h"
#include "tests/tools/builder/describe_blocks.h"
#include "tools/builder/source_format.h"

namespace quillwen::build {
namespace {

using testing::DescribePages;

// n times the character c, as a source string.
std::string Repeat(const char* c, size_t n) {
  std::string out;
  for (size_t i = 0; i < n; ++i) out += c;
  return out;
}

std::vector<TextBlock> Parse(const std::string& source) {
  std::vector<TextBlock> blocks;
  std::string error;
  EXPECT_TRUE(ParseVolumeText(source, &blocks, &error)) << error;
  return blocks;
}

std::vector<size_t> PageSizes(const std::vector<LaidOutPage>& pages) {
  std::vector<size_t> sizes;
  for (const LaidOutPage& page : pages) {
    size_t size = 0;
    for (const TextBlock& block : page.blocks) size += PositionedCharacterCount(block);
    sizes.push_back(size);
  }
  return sizes;
}

struct LayoutCase {
  const char* label;
  std::string source;
  size_t limit;
  std::vector<size_t> sizes;  // positioned characters per page
};

class LayOutPagesTest : public ::testing::TestWithParam<LayoutCase> {};

TEST_P(LayOutPagesTest, FillsPagesUpToTheLimit) {
  const auto pages = LayOutPages(Parse(GetParam().source), GetParam().limit);
  EXPECT_EQ(PageSizes(pages), GetParam().sizes) << DescribePages(pages);
}

INSTANTIATE_TEST_SUITE_P(
    Volumes, LayOutPagesTest,
    ::testing::Values(
        LayoutCase{
            "BlocksThatFitShareAPage", Repeat("甲", 50) + "\n\n" + Repeat("乙", 50), 240, {100}},
        LayoutCase{"BreaksBetweenParagraphs",
                   Repeat("甲", 100) + "\n\n" + Repeat("乙", 100) + "\n\n" + Repeat("丙", 100),
                   240,
                   {200, 100}},
        LayoutCase{"LongParagraphIsSplitAtTheLimit", Repeat("甲", 500), 240, {240, 240, 20}},
        LayoutCase{"SmallRoomLeftStartsANewPage",
                   Repeat("甲", 200) + "\n\n" + Repeat("乙", 300),
                   240,
                   {200, 240, 60}},
        LayoutCase{"LargeRoomLeftIsFilled",
                   Repeat("甲", 100) + "\n\n" + Repeat("乙", 300),
                   240,
                   {240, 160}},
        LayoutCase{"WhiteSpaceTakesNoRoom", Repeat("甲 ", 240), 240, {240}},
        LayoutCase{"EmptyVolumeHasOneEmptyPage", "", 240, {0}},
        LayoutCase{"LimitOfOne", "甲乙丙", 1, {1, 1, 1}}),
    [](const auto& info) { return std::string(info.param.label); });

struct SplitCase {
  const char* label;
  std::string source;
  size_t limit;
  std::string expected;  // DescribePages form
};

class SplitPointTest : public ::testing::TestWithParam<SplitCase> {};

TEST_P(SplitPointTest, SplitsWhereTheTextAllows) {
  EXPECT_EQ(DescribePages(LayOutPages(Parse(GetParam().source), GetParam().limit)),
            GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Volumes, SplitPointTest,
    ::testing::Values(
        SplitCase{"PrefersALineBreak", "甲乙丙。\n丁戊己庚。辛", 8, "P:甲乙丙。 | P:丁戊己庚。辛"},
        SplitCase{"ThenAFullStopWithItsClosingQuote", "甲乙「丙丁。」戊己庚辛", 8,
                  "P:甲乙「丙丁。」 | P:戊己庚辛"},
        SplitCase{"ThenAComma", "甲乙丙丁，戊己庚辛壬", 8, "P:甲乙丙丁， | P:戊己庚辛壬"},
        SplitCase{"NotBeforeHalfThePage", "甲，乙丙丁戊己庚辛壬", 8, "P:甲，乙丙丁戊己庚 | P:辛壬"},
        SplitCase{"AnnotationContinuesOnTheNextPage", "甲乙〔一二三四五六〕丙", 4,
                  "P:甲乙{一二} | P:{三四五六} | P:丙"},
        SplitCase{"HeadingGoesWithTheNextParagraph", "甲乙丙\n\n# 題\n\n丁戊己", 5,
                  "P:甲乙丙 | H:題 P:丁戊己"},
        SplitCase{"HeadingThatFillsThePageGoesWithTheNextParagraph", "甲乙丙\n\n# 題丁\n\n戊己", 5,
                  "P:甲乙丙 | H:題丁 P:戊己"},
        SplitCase{"HeadingsThatFillThePageGoOnTogether", "甲乙\n\n# 卷\n\n# 題丁\n\n戊己", 5,
                  "P:甲乙 | H:卷 H:題丁 P:戊己"},
        SplitCase{"HeadingAloneIsNotCarriedForever", "# 題\n\n甲乙丙丁戊己", 4,
                  "H:題 P:甲乙丙 | P:丁戊己"}),
    [](const auto& info) { return std::string(info.param.label); });

TEST(LayOutPagesTest, KeepsEveryCharacterInOrder) {
  const std::string source = "# 卷一\n\n" + Repeat("甲乙，丙丁。", 60) + "〔" + Repeat("注", 90) +
                             "〕\n" + Repeat("戊", 30) + "\n\n" + Repeat("己", 7);
  const auto pages = LayOutPages(Parse(source), 37);
  std::u32string joined;
  for (const LaidOutPage& page : pages) {
    size_t size = 0;
    for (const TextBlock& block : page.blocks) {
      size += PositionedCharacterCount(block);
      for (const TextRun& run : block.runs) {
        for (char32_t c : run.text) {
          if (!IsUnpositionedSpace(c)) joined.push_back(c);
        }
      }
    }
    EXPECT_LE(size, 37u);
  }
  std::u32string expected;
  for (const TextBlock& block : Parse(source)) {
    for (const TextRun& run : block.runs) {
      for (char32_t c : run.text) {
        if (!IsUnpositionedSpace(c)) expected.push_back(c);
      }
    }
  }
  EXPECT_EQ(joined, expected);
}

// Pages as a volume being read gets them: the blocks in parts, fed in slices.
std::vector<LaidOutPage> FillWhileReading(const std::string& source, size_t limit) {
  std::vector<LaidOutPage> pages;
  PageFiller filler(limit, [&pages](LaidOutPage&& page) {
    pages.push_back(std::move(page));
    return true;
  });
  VolumeTextReader reader([&filler](BlockPart&& part) { return filler.Add(std::move(part)); });
  std::string error;
  constexpr size_t kSlice = 1000;  // cuts characters apart
  for (size_t at = 0; at < source.size(); at += kSlice)
    EXPECT_TRUE(reader.Feed(std::string_view(source).substr(at, kSlice), &error)) << error;
  EXPECT_TRUE(reader.Finish(&error)) << error;
  EXPECT_TRUE(filler.Finish());
  return pages;
}

// Paragraphs several parts long, with line breaks, sentence and clause ends and
// annotations running across the places where the parts meet.
std::string LongParagraphs() {
  std::string paragraph;
  for (int i = 0; paragraph.size() < 3 * 3 * kBlockPartCodePoints; ++i) {
    paragraph += Repeat("甲乙丙", 7) + "，" + Repeat("丁", i % 13) + "。";
    if (i % 5 == 0) paragraph += "〔" + Repeat("注", 40 + i % 31) + "〕";
    if (i % 9 == 0) paragraph += "\n";
    if (i % 17 == 0) paragraph += "  ";
  }
  return "# 卷一\n" + paragraph + "\n\n# 卷二\n# 上\n" + paragraph + "戊\n\n" +
         Repeat("己", 2 * kBlockPartCodePoints + 5);
}

TEST(PageFillerTest, BlocksInPartsAreLaidOutAsIfWhole) {
  const std::string source = LongParagraphs();
  for (const size_t limit : {1, 7, 240, 5000, 100000}) {
    const auto whole = LayOutPages(Parse(source), limit);
    const auto read = FillWhileReading(source, limit);
    ASSERT_EQ(read.size(), whole.size()) << "limit " << limit;
    for (size_t i = 0; i < read.size(); ++i) {
      // Runs compared one by one: a run cut in two would take a gap in the positions.
      ASSERT_TRUE(read[i].blocks == whole[i].blocks) << "limit " << limit << ", page " << i;
    }
  }
}

TEST(PageFillerTest, HandsOnPagesBeforeALongBlockEnds) {
  size_t pages = 0;
  PageFiller filler(240, [&pages](LaidOutPage&&) { return ++pages, true; });
  VolumeTextReader reader([&filler](BlockPart&& part) { return filler.Add(std::move(part)); });
  std::string error;
  ASSERT_TRUE(reader.Feed(Repeat("甲", 4 * kBlockPartCodePoints), &error)) << error;
  // The paragraph has not ended, yet all but its last part or so is on pages.
  EXPECT_GE(pages, 3 * kBlockPartCodePoints / 240 - 2);
  ASSERT_TRUE(reader.Finish(&error)) << error;
  ASSERT_TRUE(filler.Finish());
  EXPECT_EQ(pages, (4 * kBlockPartCodePoints + 239) / 240);
}

TEST(PageFillerTest, ASinkThatRefusesAPageStopsTheReading) {
  std::vector<LaidOutPage> pages;
  PageFiller filler(10, [&pages](LaidOutPage&& page) {
    pages.push_back(std::move(page));
    return pages.size() < 3;
  });
  VolumeTextReader reader([&filler](BlockPart&& part) { return filler.Add(std::move(part)); });
  std::string error = "untouched";
  EXPECT_FALSE(reader.Feed(Repeat("甲乙丙丁戊。\n\n", 100), &error));
  EXPECT_TRUE(reader.Stopped());
  EXPECT_EQ(error, "untouched");
  EXPECT_EQ(pages.size(), 3u);
  EXPECT_FALSE(filler.Add(TextBlock{BlockKind::kParagraph, {TextRun{false, U"己"}}}));
  EXPECT_FALSE(filler.Finish());
  EXPECT_EQ(pages.size(), 3u);
}

}  // namespace
}  // namespace quillwen::build
