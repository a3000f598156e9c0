#pragma once

// A collection made by the builder whose pages try the comparison's peers where
// they can go wrong: at the borders between blocks (paragraphs, annotations)
// and at punctuation, which takes a position in the index but is no ideograph.
// Each case holds the pages our search finds, which every peer asked must find
// too.
//
//   page 0  明月照二 | 其春風 | 〔白雲二〕 | 其 | 雲二其
//   page 1  白雲，深處二三四其 | 山䷀水雲深        (䷀: a hexagram symbol)
//   page 2  二其明月二一其

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "bench/compare/indexed_text.h"
#include "core/search/index.h"
#include "core/search/query.h"
#include "tests/tools/builder/collection_fixture.h"

namespace quillwen::bench::testing {

struct PeerCase {
  const char* label;
  std::vector<std::u16string> terms;
  SearchMethod method;
  std::vector<uint32_t> pages;

  bool Wildcard() const {
    for (const std::u16string& term : terms)
      if (term.find_first_of(u"?*") != std::u16string::npos) return true;
    return false;
  }
};

inline const std::vector<PeerCase>& PeerCases() {
  static const std::vector<PeerCase> cases = {
      {"PhraseOnTwoPages", {u"明月"}, SearchMethod::kAnd, {0, 2}},
      {"OneCharacterOnEveryPage", {u"其"}, SearchMethod::kAnd, {0, 1, 2}},
      {"LongerPhrase", {u"深處二三"}, SearchMethod::kAnd, {1}},
      {"NoPairIntoTheNextParagraph", {u"其雲"}, SearchMethod::kAnd, {}},
      // Both pairs of the next two stand elsewhere on the page: only the
      // positions can tell.
      {"NoPhraseIntoTheNextParagraph", {u"照二其"}, SearchMethod::kAnd, {}},
      {"NoPhraseOverAPunctuationMark", {u"白雲深"}, SearchMethod::kAnd, {}},
      {"NoPairFromMainTextIntoAnAnnotation", {u"風白"}, SearchMethod::kAnd, {}},
      {"PhraseWithAHexagramSymbol", {u"山䷀水"}, SearchMethod::kAnd, {1}},
      {"NoPhraseOverTheHexagramSymbol", {u"山水"}, SearchMethod::kAnd, {}},
      {"AndOfTwoPhrasesOneInAnAnnotation", {u"明月", u"白雲"}, SearchMethod::kAnd, {0}},
      {"OrOfTwoPhrases", {u"明月", u"深處"}, SearchMethod::kOr, {0, 1, 2}},
      {"WildcardTakesAPunctuationMark", {u"雲?深"}, SearchMethod::kAnd, {1}},
      {"WildcardDoesNotReachIntoTheNextParagraph", {u"二?其"}, SearchMethod::kAnd, {2}},
      {"GapMarkReachesWithinAParagraph", {u"二*其"}, SearchMethod::kAnd, {0, 1, 2}},
      {"GapMarkDoesNotReachIntoTheNextParagraph", {u"月*春"}, SearchMethod::kAnd, {}},
      {"GapMarkDoesNotReachOutOfAnAnnotation", {u"白*其"}, SearchMethod::kAnd, {1}},
  };
  return cases;
}

class CompareCollectionTest : public ::testing::Test, public build::testing::CollectionFixture {
 protected:
  void SetUp() override {
    WriteSource("01 集/01 詩/01 卷.txt", "明月照二\n\n其春風〔白雲二〕其\n\n雲二其\n");
    WriteSource("01 集/01 詩/02 卷.txt", "白雲，深處二三四其\n\n山䷀水雲深\n");
    WriteSource("01 集/01 詩/03 卷.txt", "二其明月二一其\n");
    ASSERT_TRUE(Build()) << Error();
    ASSERT_EQ(Summary().pages, 3u);
    std::string error;
    pages_ = ReadPositionedTexts(Data(), error);
    ASSERT_EQ(pages_.size(), 3u) << error;
    ASSERT_TRUE(index_.Open(Data(), kCollectionBaseNameWide, ScopeFullText)) << index_.LastError();
  }

  // Our search's pages, ascending.
  std::vector<uint32_t> OurPages(const PeerCase& c) const {
    std::u16string keywords;
    for (const std::u16string& term : c.terms) keywords += (keywords.empty() ? u"" : u" ") + term;
    const std::optional<Query> query = ParseQuery(keywords);
    EXPECT_TRUE(query.has_value()) << c.label;
    if (!query) return {};
    std::vector<uint32_t> pages = index_.Search(*query, c.method, false).pages;
    std::sort(pages.begin(), pages.end());
    return pages;
  }

  std::vector<std::u32string> pages_;
  CIndex index_;
};

}  // namespace quillwen::bench::testing
