#include "tools/builder/source_format.h"

#include <gtest/gtest.h>

#include "tests/tools/builder/case_label.h"
#include "tests/tools/builder/describe_blocks.h"

namespace quillwen::build {
namespace {

using testing::DescribeBlocks;

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
        ParseCase{"EmptyFile", "", ""}),
    [](const auto& info) { return std::string(info.param.label); });

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
        ErrorCase{"ControlCharacter", std::string("甲\x01乙"), "line 1: control character U+0001"}),
    [](const auto& info) { return std::string(info.param.label); });

}  // namespace
}  // namespace quillwen::build
