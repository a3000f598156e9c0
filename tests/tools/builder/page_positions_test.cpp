#include "tools/builder/page_positions.h"

#include <gtest/gtest.h>

#include "core/search/query.h"
#include "tests/tools/builder/case_label.h"
#include "tests/tools/builder/page_of.h"
#include "tools/builder/page_html.h"
#include "tools/builder/source_format.h"
#include "tools/builder/utf8.h"

namespace quillwen::build {
namespace {

using testing::PageOf;

// "甲0 乙1 ..." for test tables.
std::string Describe(const std::vector<PositionedCharacter>& characters) {
  std::string out;
  for (const PositionedCharacter& c : characters) {
    if (!out.empty()) out += ' ';
    AppendUtf8(out, c.codePoint);
    out += std::to_string(c.position);
  }
  return out;
}

struct PositionCase {
  const char* label;
  std::string source;
  std::string fullText;
  std::string mainText;
  std::string annotations;
};

class AssignPositionsTest : public ::testing::TestWithParam<PositionCase> {};

TEST_P(AssignPositionsTest, NumbersEachSetWithAGapBetweenBlocks) {
  PagePositions positions;
  AssignPositions(PageOf(GetParam().source), &positions);
  EXPECT_EQ(Describe(positions.Of(ScopeFullText)), GetParam().fullText);
  EXPECT_EQ(Describe(positions.Of(ScopeMainText)), GetParam().mainText);
  EXPECT_EQ(Describe(positions.Of(ScopeAnnotations)), GetParam().annotations);
}

INSTANTIATE_TEST_SUITE_P(
    Pages, AssignPositionsTest,
    ::testing::Values(
        PositionCase{"AnnotationInsideAParagraph", "甲乙〔丙丁〕戊\n\n己",
                     "甲0 乙1 丙601 丁602 戊1202 己1802", "甲0 乙1 戊2 己602", "丙0 丁1"},
        PositionCase{"WhiteSpaceAndLineBreaksTakeNoPosition", "甲 乙\n\u3000丙\t丁",
                     "甲0 乙1 丙2 丁3", "甲0 乙1 丙2 丁3", ""},
        PositionCase{"HeadingIsABlock", "# 題\n甲", "題0 甲600", "題0 甲600", ""},
        PositionCase{"AnnotationsInARow", "〔甲〕〔乙〕丙", "甲0 乙600 丙1200", "丙0", "甲0 乙600"},
        PositionCase{"AnnotationOnlyParagraphLeavesNoMainGap", "甲\n\n〔注〕\n\n乙",
                     "甲0 注600 乙1200", "甲0 乙600", "注0"},
        PositionCase{"PunctuationAndLatinTakePositions", "甲，a&b", "甲0 ，1 a2 &3 b4",
                     "甲0 ，1 a2 &3 b4", ""},
        PositionCase{"EmptyPage", "", "", "", ""}),
    [](const auto& info) { return std::string(info.param.label); });

// Counts positions again from the stored HTML of the text cell, the way the
// index's contract states them: characters outside tags, entities decoded,
// white space skipped, the unused positions between blocks.
class HtmlPositionCounter {
 public:
  explicit HtmlPositionCounter(IndexScope scope) : scope_(scope) {}

  std::vector<PositionedCharacter> Count(const std::string& cell) {
    std::u32string text;
    size_t bad = 0;
    EXPECT_TRUE(DecodeUtf8(cell, text, &bad));
    for (size_t i = 0; i < text.size(); ++i) {
      if (text[i] == U'<') {
        const size_t end = text.find(U'>', i);
        Tag(EncodeUtf8(text.substr(i, end - i + 1)));
        i = end;
      } else if (text[i] == U'&') {
        const size_t end = text.find(U';', i);
        const std::string entity = EncodeUtf8(text.substr(i, end - i + 1));
        Character(entity == "&lt;" ? U'<' : entity == "&gt;" ? U'>' : U'&');
        i = end;
      } else {
        Character(text[i]);
      }
    }
    return out_;
  }

 private:
  void Tag(const std::string& tag) {
    const bool opensBlock = tag == "<p>" || tag == "<h4>";
    if (tag == kAnnotationOpenTag) {
      inAnnotation_ = true;
      if (scope_ != ScopeMainText) segmentOpen_ = false;
    } else if (tag == kAnnotationCloseTag) {
      inAnnotation_ = false;
      if (scope_ != ScopeMainText) segmentOpen_ = false;
    } else if (opensBlock) {
      segmentOpen_ = false;
    }
  }

  void Character(char32_t c) {
    if (IsUnpositionedSpace(c)) return;
    if (scope_ == ScopeMainText && inAnnotation_) return;
    if (scope_ == ScopeAnnotations && !inAnnotation_) return;
    if (!segmentOpen_) {
      if (any_) next_ += kUnusedPositionsBetweenBlocks;
      segmentOpen_ = any_ = true;
    }
    out_.push_back({c, next_++});
  }

  IndexScope scope_;
  std::vector<PositionedCharacter> out_;
  uint32_t next_ = 0;
  bool segmentOpen_ = false;
  bool any_ = false;
  bool inAnnotation_ = false;
};

TEST(AssignPositionsTest, AgreesWithTheStoredTextCell) {
  const LaidOutPage page = PageOf(
      "# "
      "卷第一〔凡十篇〕\n子曰：學而時習之，\n不亦說乎〔說音悅〕？\n\n〔馬曰〕〔子者男子之通稱〕\n\n"
      "a < b && c > d\n\n有朋〔同門曰朋〕自遠方來");
  PagePositions positions;
  AssignPositions(page, &positions);
  const std::string cell = RenderTextCell(page);
  for (IndexScope scope : {ScopeFullText, ScopeMainText, ScopeAnnotations}) {
    EXPECT_EQ(Describe(positions.Of(scope)), Describe(HtmlPositionCounter(scope).Count(cell)))
        << scope;
  }
}

}  // namespace
}  // namespace quillwen::build
