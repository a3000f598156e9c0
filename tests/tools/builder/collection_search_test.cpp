// A built collection read back through the search: phrases are found on the
// page they were written on, within one block, in the index set of their kind,
// and through variant groups.

#include <gtest/gtest.h>

#include <vector>

#include "core/encoding/codeconverter.h"
#include "core/search/index.h"
#include "tests/tools/builder/case_label.h"
#include "tests/tools/builder/collection_fixture.h"

namespace quillwen::build {
namespace {

using testing::CollectionFixture;

// Page 1 (entry 0), with --page-chars 40:
//   # 學而第一
//   子曰學而時習之〔馬曰子者男子之通稱〕不亦說乎
//
//   有朋自遠方来〔朋友也〕不亦樂乎
// Page 2 (entry 1): 人不知而不慍不亦君子乎〔慍怒也〕
constexpr char kVolume[] =
    "# 學而第一\n"
    "子曰學而時習之〔馬曰子者男子之通稱〕不亦說乎\n"
    "\n"
    "有朋自遠方来〔朋友也〕不亦樂乎\n"
    "\n"
    "人不知而不慍不亦君子乎〔慍怒也〕\n";

// 學 and 学, 來 and 来 are forms of one another.
constexpr char kVariants[] =
    "U+5B78\tkSimplifiedVariant\tU+5B66\n"
    "U+4F86\tkSimplifiedVariant\tU+6765\n";

// The page's text without tags: for the main text without the annotations, for
// the annotations only them, each followed by "|".
std::string TextOfScope(const std::string& html, IndexScope scope) {
  const std::string open = "<font size=-1 color=\"#993366\">";
  std::string text;
  bool inAnnotation = false;
  for (size_t i = 0; i < html.size();) {
    if (html.compare(i, open.size(), open) == 0) {
      inAnnotation = true;
      i += open.size();
    } else if (html.compare(i, 7, "</font>") == 0) {
      inAnnotation = false;
      if (scope == ScopeAnnotations) text += '|';
      i += 7;
    } else if (html[i] == '<') {
      i = html.find('>', i) + 1;
    } else {
      const bool wanted = scope == ScopeFullText || (scope == ScopeMainText) != inAnnotation;
      if (wanted) text += html[i];
      ++i;
    }
  }
  return text;
}

class CollectionSearchTest : public ::testing::Test, public CollectionFixture {
 protected:
  void SetUp() override {
    WriteSource("01 經/01 論語/01 學而.txt", kVolume);
    UseUnihanVariants(kVariants);
    Options().charactersPerPage = 40;
    ASSERT_TRUE(Build()) << Error();
    ASSERT_EQ(Summary().pages, 2u);
  }
};

struct SearchCase {
  const char* label;
  IndexScope scope;
  std::u16string query;
  bool variants;
  std::vector<uint32_t> pages;  // entry indices
  std::vector<uint32_t> placeCounts;
};

class CollectionSearchCaseTest : public CollectionSearchTest,
                                 public ::testing::WithParamInterface<SearchCase> {};

TEST_P(CollectionSearchCaseTest, FindsWhatWasWrittenWhereItWasWritten) {
  const SearchCase& c = GetParam();
  CIndex index;
  ASSERT_TRUE(index.Open(Data(), u"Index", c.scope)) << index.LastError();
  std::u16string query = c.query;
  index.SearchAnd(query, c.variants);
  EXPECT_EQ(index.pages(), c.pages);
  EXPECT_EQ(index.placeCounts(), c.placeCounts);
  // Each page found holds the phrase in the text of the set's kind.
  for (uint32_t page : index.pages()) {
    std::string html;
    ASSERT_TRUE(index.ReadPage(page, html));
    if (!c.variants && c.query.find_first_of(u"?*") == std::u16string::npos) {
      EXPECT_NE(TextOfScope(html, c.scope).find(ToUtf8(c.query)), std::string::npos) << page;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(
    Queries, CollectionSearchCaseTest,
    ::testing::Values(
        SearchCase{"PhraseOnItsPage", ScopeFullText, u"時習", false, {0}, {1}},
        SearchCase{"PhraseOnTheSecondPage", ScopeFullText, u"君子", false, {1}, {1}},
        SearchCase{"RepeatedPhraseCountsPlaces", ScopeFullText, u"不亦", false, {0, 1}, {2, 1}},
        SearchCase{"HeadingIntoParagraphIsNoPhrase", ScopeFullText, u"第一子", false, {}, {}},
        SearchCase{"ParagraphIntoParagraphIsNoPhrase", ScopeFullText, u"說乎有", false, {}, {}},
        SearchCase{"MainTextIntoAnnotationIsNoPhrase", ScopeFullText, u"習之馬", false, {}, {}},
        SearchCase{
            "FullTextDoesNotJoinAcrossAnAnnotation", ScopeFullText, u"之不亦", false, {}, {}},
        SearchCase{"MainTextJoinsAcrossAnAnnotation", ScopeMainText, u"之不亦", false, {0}, {1}},
        SearchCase{
            "AWildcardDoesNotReachIntoTheNextParagraph", ScopeFullText, u"乎?有", false, {}, {}},
        SearchCase{"AWildcardDoesNotReachIntoAnAnnotation", ScopeFullText, u"之?馬", false, {}, {}},
        SearchCase{
            "AGapMarkDoesNotReachIntoTheNextParagraph", ScopeFullText, u"乎*有", false, {}, {}},
        SearchCase{"AGapMarkDoesNotReachOutOfTheHeading", ScopeFullText, u"學*習", false, {0}, {1}},
        SearchCase{"AGapMarkReachesWithinAParagraph", ScopeFullText, u"子*習", false, {0}, {1}},
        SearchCase{"AGapMarkJoinsAcrossAnAnnotationInTheMainText",
                   ScopeMainText,
                   u"朋*樂",
                   false,
                   {0},
                   {1}},
        SearchCase{"MainTextHasNoAnnotations", ScopeMainText, u"男子", false, {}, {}},
        SearchCase{"AnnotationsHoldTheAnnotations", ScopeAnnotations, u"男子", false, {0}, {1}},
        SearchCase{"AnnotationsHoldNoMainText", ScopeAnnotations, u"時習", false, {}, {}},
        SearchCase{"FullTextHoldsAnnotationsToo", ScopeFullText, u"男子", false, {0}, {1}},
        SearchCase{"AnnotationOnTheSecondPage", ScopeAnnotations, u"怒也", false, {1}, {1}},
        SearchCase{"AnnotationsAreSeparateBlocks", ScopeAnnotations, u"稱朋", false, {}, {}},
        SearchCase{"SecondAnnotationOfThePage", ScopeAnnotations, u"朋友", false, {0}, {1}},
        SearchCase{"SimplifiedFormWithoutVariants", ScopeFullText, u"学而", false, {}, {}},
        SearchCase{"SimplifiedFormFindsTheTraditional", ScopeFullText, u"学而", true, {0}, {2}},
        SearchCase{"TraditionalFormFindsTheSimplified", ScopeFullText, u"遠方來", true, {0}, {1}},
        SearchCase{"VariantsInTheMainTextSet", ScopeMainText, u"學而時", true, {0}, {1}}),
    [](const auto& info) { return std::string(info.param.label); });

TEST_F(CollectionSearchTest, VariantTableMatchesTheGroupsIndexed) {
  CIndex index;
  ASSERT_TRUE(index.Open(Data(), u"Index", ScopeFullText)) << index.LastError();
  // Groups are ordered by their smallest member: 來 U+4F86 before 學 U+5B78.
  EXPECT_EQ(index.FindVariantGroup(U'来'), VariantIdBase + 0);
  EXPECT_EQ(index.FindVariantGroup(U'学'), VariantIdBase + 1);
  EXPECT_EQ(index.ExpandVariants(u"学"), (std::vector<std::u16string>{u"学", u"學"}));
  EXPECT_EQ(Summary().variantGroups, 2u);
}

}  // namespace
}  // namespace quillwen::build
