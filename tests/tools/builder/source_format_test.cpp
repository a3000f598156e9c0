#include "tools/builder/source_format.h"

#include <gtest/gtest.h>

#include "tests/tools/builder/case_label.h"
#include "tests/tools/builder/describe_blocks.h"

namespace quillwen::build {
namespace {

using testing::DescribeBlocks;

// Reads `source` through VolumeTextReader in slices of `sliceSize` bytes, so
// that characters, line ends, escapes and "# " fall across slices, and joins
// the parts of each block.
bool ParseInSlices(const std::string& source, size_t sliceSize, std::vector<TextBlock>* blocks,
                   std::string* error) {
  blocks->clear();
  VolumeTextReader reader([blocks](BlockPart&& part) {
    EXPECT_LE(part.text.runs.empty() ? 0 : PositionedCharacterCount(part.text),
              kBlockPartCodePoints);
    if (part.startsBlock) {
      blocks->push_back(std::move(part.text));
      return true;
    }
    auto& runs = blocks->back().runs;
    auto next = part.text.runs.begin();
    if (part.continuesRun) runs.back().text += (next++)->text;
    runs.insert(runs.end(), next, part.text.runs.end());
    return true;
  });
  for (size_t at = 0; at < source.size(); at += sliceSize) {
    if (!reader.Feed(std::string_view(source).substr(at, sliceSize), error)) return false;
  }
  return reader.Finish(error);
}

constexpr size_t kSliceSizes[] = {1, 2, 5};

struct ParseCase {
  const char* label;
  std::string source;
  std::string expected;  // DescribeBlocks form
};

class ParseVolumeTextTest : public ::testing::TestWithParam<ParseCase> {};

TEST_P(ParseVolumeTextTest, ReadsBlocksRunsAndEscapes) {
  std::vector<TextBlock> blocks;
  std::string error;
  ASSERT_TRUE(ParseVolumeText(GetParam().source, &blocks, &error)) << error;
  EXPECT_EQ(DescribeBlocks(blocks), GetParam().expected);
  size_t positioned = 0;
  for (const TextBlock& block : blocks) positioned += PositionedCharacterCount(block);
  for (const size_t slice : kSliceSizes) {
    ASSERT_TRUE(ParseInSlices(GetParam().source, slice, &blocks, &error)) << slice << ": " << error;
    EXPECT_EQ(DescribeBlocks(blocks), GetParam().expected) << "slices of " << slice;
    PositionedCharacterBound bound;
    for (size_t at = 0; at < GetParam().source.size(); at += slice)
      bound.Feed(std::string_view(GetParam().source).substr(at, slice));
    EXPECT_LE(bound.Count(), positioned) << "slices of " << slice;
  }
}

TEST(PositionedCharacterBoundTest, CountsAllButWhiteSpaceAndWhatMarkupMayUse) {
  PositionedCharacterBound bound;
  bound.Feed("\xEF\xBB\xBF# 甲 乙\r\n\u3000〔丙〕\\〔\t");
  EXPECT_EQ(bound.Count(), 3u);  // 甲乙丙; the escaped 〔 is not counted
  bound.Feed("\xE4\xB8");        // 丁 cut in two
  EXPECT_EQ(bound.Count(), 3u);
  bound.Feed("\x81");
  EXPECT_EQ(bound.Count(), 4u);
  bound.Feed("\xFF戊");  // not UTF-8: the count ends
  EXPECT_EQ(bound.Count(), 4u);
}

INSTANTIATE_TEST_SUITE_P(
    Sources, ParseVolumeTextTest,
    ::testing::Values(
        ParseCase{"BlankLinesSeparateParagraphs", "學而時習之\n不亦說乎\n\n\n有朋自遠方來\n",
                  "P:學而時習之/不亦說乎 P:有朋自遠方來"},
        ParseCase{"HeadingNeedsNoBlankLine", "# 學而第一\n子曰\n# 為政第二",
                  "H:學而第一 P:子曰 H:為政第二"},
        ParseCase{"HashWithoutSpaceIsText", "#學而", "P:#學而"},
        ParseCase{"AnnotationStandsWhereWritten", "子曰〔孔子也〕學而", "P:子曰{孔子也}學而"},
        ParseCase{"AnnotationInHeading", "# 關雎〔后妃之德也〕", "H:關雎{后妃之德也}"},
        ParseCase{"AnnotationsInARowStayApart", "甲〔一〕〔二〕乙", "P:甲{一}{二}乙"},
        ParseCase{"EmptyAnnotationVanishes", "甲〔〕乙", "P:甲乙"},
        ParseCase{"AnnotationRunsOverLinesOfItsParagraph", "甲〔一\n二〕乙", "P:甲{一/二}乙"},
        ParseCase{"WholeParagraphAnnotation", "〔序〕\n\n正文", "P:{序} P:正文"},
        ParseCase{"EscapedMarkers", "\\〔甲\\〕 \\\\ a\\b", "P:〔甲〕 \\ a\\b"},
        ParseCase{"EscapedHashStartsAParagraph", "\\# 甲", "P:# 甲"},
        ParseCase{"CrLfAndByteOrderMark", "\xEF\xBB\xBF甲\r\n乙\r\n\r\n丙", "P:甲/乙 P:丙"},
        ParseCase{"IdeographicSpaceLineIsBlank", "甲\n\u3000\u3000\n乙", "P:甲 P:乙"},
        ParseCase{"EmptyFile", "", ""},
        ParseCase{"BlankLinesOfSpacesAndTabs", "甲\n \t \r\n乙", "P:甲 P:乙"},
        ParseCase{"HashAloneIsText", "#\n甲", "P:#/甲"},
        ParseCase{"BackslashEndingALineStandsForItself", "甲\\\r\n乙\\", "P:甲\\/乙\\"},
        ParseCase{"HeadingAfterSpacesIsText", " # 甲", "P: # 甲"}),
    [](const auto& info) { return std::string(info.param.label); });

TEST(VolumeTextReaderTest, ALongParagraphComesInPartsThatJoinToTheWhole) {
  std::string source;
  for (size_t i = 0; i < 2 * kBlockPartCodePoints; ++i) source += "甲";
  source += "〔";
  for (size_t i = 0; i < kBlockPartCodePoints; ++i) source += "注";
  source += "〕乙\n\n丙";
  std::vector<BlockPart> parts;
  VolumeTextReader reader([&parts](BlockPart&& part) {
    parts.push_back(std::move(part));
    return true;
  });
  std::string error;
  ASSERT_TRUE(reader.Feed(source, &error)) << error;
  ASSERT_TRUE(reader.Finish(&error)) << error;
  ASSERT_GE(parts.size(), 4u);
  EXPECT_TRUE(parts.front().startsBlock);
  EXPECT_FALSE(parts.front().endsBlock);
  EXPECT_FALSE(parts[1].startsBlock);
  EXPECT_TRUE(parts[1].continuesRun);                               // the main text goes on
  EXPECT_TRUE(parts.back().startsBlock && parts.back().endsBlock);  // 丙, whole

  std::vector<TextBlock> blocks;
  ASSERT_TRUE(ParseVolumeText(source, &blocks, &error)) << error;
  ASSERT_EQ(blocks.size(), 2u);
  ASSERT_EQ(blocks[0].runs.size(), 3u);
  EXPECT_EQ(blocks[0].runs[0], (TextRun{false, std::u32string(2 * kBlockPartCodePoints, U'甲')}));
  EXPECT_EQ(blocks[0].runs[1], (TextRun{true, std::u32string(kBlockPartCodePoints, U'注')}));
  EXPECT_EQ(blocks[0].runs[2], (TextRun{false, U"乙"}));
  EXPECT_EQ(DescribeBlocks({blocks[1]}), "P:丙");
}

struct ErrorCase {
  const char* label;
  std::string source;
  std::string expected;  // part of the message
};

class ParseVolumeTextErrorTest : public ::testing::TestWithParam<ErrorCase> {};

TEST_P(ParseVolumeTextErrorTest, RefusesWithLineAndReason) {
  std::vector<TextBlock> blocks;
  std::string error;
  EXPECT_FALSE(ParseVolumeText(GetParam().source, &blocks, &error));
  EXPECT_NE(error.find(GetParam().expected), std::string::npos) << error;
  for (const size_t slice : kSliceSizes) {
    std::string sliced;
    EXPECT_FALSE(ParseInSlices(GetParam().source, slice, &blocks, &sliced));
    EXPECT_EQ(sliced, error) << "slices of " << slice;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Sources, ParseVolumeTextErrorTest,
    ::testing::Values(
        ErrorCase{"UnclosedAnnotation", "甲\n乙〔注\n丙\n\n丁",
                  "line 2: the annotation opened with 〔 is not closed by the end of its paragraph "
                  "(line 3)"},
        ErrorCase{"UnclosedInHeading", "# 題〔注\n甲〕",
                  "line 1: the annotation opened with 〔 is not closed by the end of its heading"},
        ErrorCase{"StrayClose", "甲\n乙〕", "line 2: 〕 closes no annotation"},
        ErrorCase{"Nested", "甲〔一〔二〕〕", "line 1: an annotation opens inside another"},
        ErrorCase{"NotUtf8", "甲\n\xE4\xB8", "line 2: the text is not UTF-8"},
        ErrorCase{"Overlong", "\xC0\xAF", "line 1: the text is not UTF-8"},
        ErrorCase{"EncodedSurrogate", "\xED\xA0\x80", "the text is not UTF-8"},
        ErrorCase{"ControlCharacter", std::string("甲\x01乙"), "line 1: control character U+0001"},
        ErrorCase{"CarriageReturnInsideALine", "甲\n乙\r丙", "line 2: control character U+000D"},
        ErrorCase{"CutOffAtTheEnd", "甲\n\n乙\xE4", "line 3: the text is not UTF-8 (byte 8)"}),
    [](const auto& info) { return std::string(info.param.label); });

}  // namespace
}  // namespace quillwen::build
