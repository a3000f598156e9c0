#include "core/search/query.h"

#include <gtest/gtest.h>

#include <cctype>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "core/encoding/codeconverter.h"
#include "core/search/character_id.h"
#include "core/search/index.h"
#include "core/search/result_merge.h"
#include "tests/core/search/search_fixture.h"
#include "tests/support/temp_dir.h"
#include "tests/support/tiny_collection.h"

namespace quillwen {
namespace {

using testing::TempDir;
using testing::WriteCollection;
using testing::WriteFileBytes;

TEST(CountTermsTest, CountsTermsOrRejectsTheQuery) {
  // clang-format off
  const struct {
    std::u16string query;
    int terms;
  } cases[] = {
      {u"", 0},          {u"漢", 1},        {u"漢 字", 2},   {u"漢\u3000字", 2},
      {u"  漢  字  ", 2}, {u" ", 0},         {u"* ?", 2},     {u"漢*字", 1},
      {u"abc", 0},       {u"漢a字", 0},      {u"漢\t字", 0},  {u"漢\u00E9", 0},
      {u"漢\u0100", 1},  {u"\U00020000 ？", 2},
      {std::u16string(u"漢\0字", 3), 0},
  };
  // clang-format on
  for (const auto& c : cases) EXPECT_EQ(CountTerms(c.query), c.terms) << ToUtf8(c.query);
}

TEST(NormaliseTermTest, FoldsGapMarks) {
  // clang-format off
  const struct {
    std::u16string term;
    std::u16string normalised;
  } cases[] = {
      {u"", u""},        {u"*", u""},               {u"***", u""},
      {u"漢", u"漢*"},     {u"漢*", u"漢*"},           {u"*漢**字*", u"漢*字*"},
      {u"?", u"?*"},      {u"漢＊字", u"漢＊字*"},     {u"*?**?", u"?*?*"},
  };
  // clang-format on
  for (const auto& c : cases) EXPECT_EQ(NormaliseTerm(c.term), c.normalised);
}

TEST(ParseQueryTest, SplitsAtSpacesNormalisesAndKeepsTheMarkText) {
  // clang-format off
  const struct {
    std::u16string keywords;
    std::optional<Query> query;
  } cases[] = {
      {u"漢", Query{{u"漢*"}, {u"漢"}, u"漢", u"漢", {}}},
      {u" 漢  *字** ", Query{{u"漢*", u"字*"}, {u"漢", u"*字**"},
                             u"\u3000漢\u3000\u3000*字**\u3000", u"漢\u3000*字**", {}}},
      // An ideographic space is no separator here: the panel turns the ones typed
      // into spaces first; the search passes over it.
      {u"漢\u3000字", Query{{u"漢\u3000字*"}, {u"漢\u3000字"}, u"漢\u3000字", u"漢字", {u"\u3000"}}},
      {u"* ??", Query{{u"", u"??*"}, {u"*", u"??"}, u"*\u3000??", u"*\u3000??", {}}},
      // Characters the index does not know are left out of what marks the hits,
      // each named once; "？" is a wildcard and stays.
      {u"明月。 。、明？ 😀",
       Query{{u"明月。*", u"。、明？*", u"😀*"}, {u"明月。", u"。、明？", u"😀"},
             u"明月。\u3000。、明？\u3000😀", u"明月\u3000明？\u3000", {u"。", u"、", u"😀"}}},
      {u"", std::nullopt},
      {u"  ", std::nullopt},
      {u"漢 a", std::nullopt},
  };
  // clang-format on
  for (const auto& c : cases) EXPECT_EQ(ParseQuery(c.keywords), c.query) << ToUtf8(c.keywords);
}

TEST(ParseQueryTest, ALoneSurrogateIsLeftOutAsACharacterOfItsOwn) {
  const std::u16string keywords = std::u16string(u"明") + char16_t{0xD800} + u"月";
  const std::optional<Query> query = ParseQuery(keywords);
  ASSERT_TRUE(query);
  EXPECT_EQ(query->searchedText, u"明月");
  EXPECT_EQ(query->skipped, std::vector<std::u16string>{std::u16string(1, char16_t{0xD800})});
}

TEST(LooksUpAnyCharacterTest, OnlyWildcardsAndUnknownCharactersLookUpNothing) {
  for (const std::u16string_view term : {u"漢", u"?漢*", u"。漢", u"あ", u"\uFF0A"})
    EXPECT_TRUE(LooksUpAnyCharacter(term)) << ToUtf8(term);
  for (const std::u16string_view term : {u"", u"*", u"??", u"？*?", u"。、", u"😀", u"A"})
    EXPECT_FALSE(LooksUpAnyCharacter(term)) << ToUtf8(term);
}

// Pages of the collection the query cases run on (each character one position;
// "。" has no identifier and so stands for any unindexed character).
std::vector<std::u16string> QueryPages() {
  // clang-format off
  return {
      u"漢字漢字漢字",                                   // 0
      u"漢之字",                                         // 1
      u"乙",                                             // 2
      u"丙丙丙",                                         // 3
      u"漢" + std::u16string(300, u'。') + u"字",        // 4: 300 characters between
      u"甲乙",                                           // 5
      u"漢" + std::u16string(301, u'。') + u"字",        // 6: 301 between
      u"字之漢",                                         // 7
      u"体国。體国。体國。體國",                         // 8
      u"甲",                                             // 9
      u"漢＊字",                                         // 10
      u"\U00020000一",                                   // 11
  };
  // clang-format on
}

constexpr char kQueryVariants[] = "4F53,9AD4\n56FD,570B\n20000,4E00\n3002,4E01\n";

struct QueryCase {
  const char* name;
  std::u16string query;
  bool orSearch;
  bool variants;
  std::vector<uint32_t> pages;
  std::vector<uint32_t> placeCounts;
};

void PrintTo(const QueryCase& c, std::ostream* out) { *out << c.name; }

std::vector<QueryCase> QueryCases() {
  const std::u16string longTermOk = u"漢" + std::u16string(297, u'?');  // 299 units once normalised
  const std::u16string longTermCut = u"漢" + std::u16string(298, u'?');  // 300 units
  // clang-format off
  return {
      {"phrase", u"漢字", false, false, {0}, {3}},
      {"phrase is not split by a character", u"漢之字", false, false, {1}, {1}},
      {"one wildcard", u"漢?字", false, false, {1, 10}, {1, 1}},
      {"full-width wildcard", u"漢？字", false, false, {1, 10}, {1, 1}},
      {"gap of 0 to 300, not 301, not backwards", u"漢*字", false, false,
       {0, 1, 4, 10}, {3, 1, 1, 1}},
      {"gap marks folded", u"*漢**字*", false, false, {0, 1, 4, 10}, {3, 1, 1, 1}},
      {"full-width asterisk is a character", u"漢＊字", false, false, {10}, {1}},
      {"unknown character removed", u"漢。字", false, false, {0}, {3}},
      {"overlapping places", u"丙丙", false, false, {3}, {2}},
      {"leading wildcard requires nothing", u"?漢", false, false,
       {0, 1, 4, 6, 7, 10}, {3, 1, 1, 1, 1, 1}},
      {"trailing wildcard requires nothing", u"漢?", false, false,
       {0, 1, 4, 6, 7, 10}, {3, 1, 1, 1, 1, 1}},
      {"or: first term's pages, then new ones", u"甲 乙", true, false, {5, 9, 2}, {2, 1, 1}},
      {"and: pages of every term, counts added", u"甲 乙", false, false, {5}, {2}},
      {"and follows the last term's order", u"乙 甲", false, false, {5}, {2}},
      {"or with separators around", u"  甲   乙 ", true, false, {5, 9, 2}, {2, 1, 1}},
      {"or: a term without identifiers changes nothing", u"甲 。", true, false, {5, 9}, {1, 1}},
      {"and: a term without identifiers empties", u"甲 。", false, false, {}, {}},
      {"or: a wildcard-only term changes nothing", u"甲 ??", true, false, {5, 9}, {1, 1}},
      {"and: a wildcard-only term empties", u"甲 ??", false, false, {}, {}},
      {"and: a character without a list empties", u"甲 丁", false, false, {}, {}},
      {"or: a character without a list changes nothing", u"甲 丁", true, false, {5, 9}, {1, 1}},
      {"and of the same term twice doubles the counts", u"甲 甲", false, false, {5, 9}, {2, 2}},
      {"or of the same term twice doubles the counts", u"甲 甲", true, false, {5, 9}, {2, 2}},
      {"without variants only the spelling typed", u"体国", false, false, {8}, {1}},
      {"variants find every member's spelling", u"体国", false, true, {8}, {4}},
      {"variants from either member", u"體國", false, true, {8}, {4}},
      {"a surrogate pair is one character", u"\U00020000", false, false, {11}, {1}},
      {"its group holds 一 as well", u"\U00020000", false, true, {11}, {2}},
      {"no identifier: removed even when in a group", u"漢。字", false, true, {0}, {3}},
      {"a term of 299 units is evaluated", longTermOk, false, false,
       {0, 1, 4, 6, 7, 10}, {3, 1, 1, 1, 1, 1}},
      {"a longer term matches nowhere", longTermCut, false, false, {}, {}},
      {"a longer term leaves an or unchanged", u"甲 " + longTermCut, true, false, {5, 9}, {1, 1}},
  };
  // clang-format on
}

class QueryTest : public ::testing::TestWithParam<QueryCase> {
 protected:
  static void SetUpTestSuite() {
    dir_ = new TempDir;
    WriteCollection(dir_->path(), QueryPages(), kQueryVariants, {.shuffleSeed = 3});
  }
  static void TearDownTestSuite() {
    delete dir_;
    dir_ = nullptr;
  }
  static TempDir* dir_;
};

TempDir* QueryTest::dir_ = nullptr;

TEST_P(QueryTest, FindsThePagesAndPlaces) {
  const QueryCase& c = GetParam();
  CIndex index;
  ASSERT_TRUE(index.Open(dir_->path(), u"Index", ScopeFullText)) << index.LastError();
  std::u16string query = c.query;
  const int result =
      c.orSearch ? index.SearchOr(query, c.variants) : index.SearchAnd(query, c.variants);
  EXPECT_EQ(index.pages(), c.pages);
  EXPECT_EQ(index.placeCounts(), c.placeCounts);
  EXPECT_EQ(index.resultCount(), static_cast<int32_t>(c.pages.size()));
  EXPECT_EQ(result, index.resultCount());
  if (!c.pages.empty()) {
    EXPECT_GT(index.PostingBytesRead(), 0u);
  }
}

INSTANTIATE_TEST_SUITE_P(Cases, QueryTest, ::testing::ValuesIn(QueryCases()), [](const auto& info) {
  std::string name;
  for (const char* p = info.param.name; *p != '\0'; ++p)
    name += std::isalnum(static_cast<unsigned char>(*p)) ? *p : '_';
  return name;
});

class SearchTest : public ::testing::Test {
 protected:
  void SetUp() override {
    WriteCollection(dir_.path(), QueryPages(), kQueryVariants);
    ASSERT_TRUE(index_.Open(dir_.path(), u"Index", ScopeFullText)) << index_.LastError();
  }
  TempDir dir_;
  CIndex index_;
};

TEST_F(SearchTest, RewritesSeparatorsInTheCallersBuffer) {
  std::u16string query = u" 甲 乙  ";
  index_.SearchOr(query, false);
  EXPECT_EQ(query, u"\u3000甲\u3000乙\u3000\u3000");
  // An ideographic space already in the buffer belongs to its term (and is
  // removed from it, having no identifier).
  query = u"漢\u3000字";
  index_.SearchAnd(query, false);
  EXPECT_EQ(query, u"漢\u3000字");
  EXPECT_EQ(index_.pages(), std::vector<uint32_t>{0});
}

TEST_F(SearchTest, SearchReturnsTheResultAndLeavesTheLastOneAlone) {
  std::u16string previous = u"丙";
  index_.SearchAnd(previous, false);
  const SearchResult orResult = index_.Search(*ParseQuery(u"甲 乙"), SearchMethod::kOr, false);
  EXPECT_EQ(orResult.pages, (std::vector<uint32_t>{5, 9, 2}));
  EXPECT_EQ(orResult.placeCounts, (std::vector<uint32_t>{2, 1, 1}));
  EXPECT_FALSE(orResult.damagedList);
  EXPECT_GT(orResult.postingBytes, 0u);
  const SearchResult andResult = index_.Search(*ParseQuery(u"甲 乙"), SearchMethod::kAnd, false);
  EXPECT_EQ(andResult.pages, (std::vector<uint32_t>{5}));
  EXPECT_EQ(andResult.placeCounts, (std::vector<uint32_t>{2}));
  EXPECT_EQ(index_.pages(), (std::vector<uint32_t>{3}));  // SearchAnd's result stays
}

// A result passed back in lends its memory and nothing else: whatever it held,
// each search finds what it finds afresh, in the recycled vectors when they
// have room.
TEST_F(SearchTest, ARecycledResultLendsItsMemoryOnly) {
  for (const auto& [keywords, method] :
       std::vector<std::pair<std::u16string, SearchMethod>>{{u"甲 乙", SearchMethod::kOr},
                                                            {u"甲 乙", SearchMethod::kAnd},
                                                            {u"甲", SearchMethod::kAnd},
                                                            {u"甲 丁", SearchMethod::kAnd}}) {
    SCOPED_TRACE(ToUtf8(keywords));
    const Query query = *ParseQuery(keywords);
    const SearchResult fresh = index_.Search(query, method, false);
    SearchResult recycled;
    recycled.pages.assign(64, 7);
    recycled.placeCounts.assign(64, 1);
    recycled.damagedList = true;
    recycled.postingBytes = 12345;
    const uint32_t* const memory = recycled.pages.data();
    const SearchResult result = index_.Search(query, method, false, std::move(recycled));
    EXPECT_EQ(result.pages, fresh.pages);
    EXPECT_EQ(result.placeCounts, fresh.placeCounts);
    EXPECT_EQ(result.damagedList, fresh.damagedList);
    EXPECT_EQ(result.postingBytes, fresh.postingBytes);
    if (!result.pages.empty()) {
      EXPECT_EQ(result.pages.data(), memory);
    }
  }
}

TEST_F(SearchTest, ARejectedQueryKeepsThePreviousResultAndBuffer) {
  std::u16string query = u"甲 乙";
  index_.SearchOr(query, false);
  for (std::u16string rejected : {u"abc", u"漢a 字", u"", u"漢\u00A0字"}) {
    const std::u16string before = rejected;
    index_.SearchAnd(rejected, false);
    index_.SearchOr(rejected, false);
    EXPECT_EQ(rejected, before);
    EXPECT_EQ(index_.pages(), (std::vector<uint32_t>{5, 9, 2}));
    EXPECT_EQ(index_.placeCounts(), (std::vector<uint32_t>{2, 1, 1}));
  }
  // A query of separators only has no terms: it is not evaluated either.
  query = u"  ";
  index_.SearchOr(query, false);
  EXPECT_EQ(query, u"  ");
  EXPECT_EQ(index_.pages(), (std::vector<uint32_t>{5, 9, 2}));
}

TEST_F(SearchTest, EvaluateTermMergesIntoTheResult) {
  EXPECT_EQ(index_.EvaluateTerm(u"乙", MergeReplace, false), 2);
  EXPECT_EQ(index_.EvaluateTerm(u"甲", MergeUnion, false), 3);
  EXPECT_EQ(index_.pages(), (std::vector<uint32_t>{2, 5, 9}));
  EXPECT_EQ(index_.EvaluateTerm(u"丙", MergeUnion, false), 4);
  EXPECT_EQ(index_.EvaluateTerm(u"??", MergeUnion, false), 0);  // no cursors: unchanged
  EXPECT_EQ(index_.resultCount(), 4);
  EXPECT_EQ(index_.EvaluateTerm(u"甲", MergeIntersect, false), 2);
  EXPECT_EQ(index_.pages(), (std::vector<uint32_t>{5, 9}));
  EXPECT_EQ(index_.placeCounts(), (std::vector<uint32_t>{3, 2}));
  EXPECT_EQ(index_.EvaluateTerm(u"丁", MergeIntersect, false), 0);
  EXPECT_TRUE(index_.pages().empty());
  EXPECT_TRUE(index_.placeCounts().empty());
}

TEST_F(SearchTest, VariantsWithoutATableChangeNothing) {
  std::filesystem::remove(dir_ / "yitizi.txt");
  index_.Close();
  ASSERT_TRUE(index_.Open(dir_.path(), u"Index", ScopeFullText));
  for (const bool variants : {false, true}) {
    std::u16string query = u"体国 \U00020000";
    index_.SearchOr(query, variants);
    EXPECT_EQ(index_.pages(), (std::vector<uint32_t>{8, 11})) << variants;
    EXPECT_EQ(index_.placeCounts(), (std::vector<uint32_t>{1, 1})) << variants;
  }
}

TEST_F(SearchTest, TheVariantTableIsReadByEveryOpenAndKeptByClose) {
  EXPECT_EQ(index_.FindVariantGroup(U'體'), VariantIdBase);
  EXPECT_EQ(index_.VariantSpellings(u"体\u3000国"), u"体\u3000国 体\u3000國 體\u3000国 體\u3000國");
  index_.Close();
  EXPECT_EQ(index_.FindVariantGroup(U'體'), VariantIdBase);
  std::filesystem::remove(dir_ / "yitizi.txt");
  ASSERT_TRUE(index_.Open(dir_.path(), u"Index", ScopeFullText));
  EXPECT_EQ(index_.FindVariantGroup(U'體'), std::nullopt);
  EXPECT_EQ(index_.ExpandVariants(u"国"), (std::vector<std::u16string>{u"国"}));
  testing::WriteFileBytes(dir_ / "yitizi.txt", kQueryVariants);
  ASSERT_TRUE(index_.Open(dir_.path(), u"Index", ScopeFullText));
  EXPECT_FALSE(index_.VariantTableRefused());
  EXPECT_EQ(index_.ExpandVariants(u"国"), (std::vector<std::u16string>{u"国", u"國"}));
}

// A volume whose pages hold 体国 in its four spellings, for result pages.
class VariantPageTest : public ::testing::Test {
 protected:
  void SetUp() override {
    testing::WriteTinyCollection(
        dir_.path(),
        {{1, u"甲", {}, 1}, {2, u"乙", {}, 1}, {3, u"丙", {u"体国體国体國體國", u"國。國国"}, 1}},
        "4F53,9AD4\n56FD,570B\n");
  }
  TempDir dir_;
};

TEST_F(VariantPageTest, AResultPageIsMarkedAsWithTheWholeKeywordsSpellings) {
  CIndex index;
  ASSERT_TRUE(index.Open(dir_.path(), u"Index", ScopeFullText)) << index.LastError();
  // clang-format off
  const std::u16string keywords[] = {
      u"体国", u"体\u3000国", u"國\u3000体国\u3000体", u"体?\u3000國*體", u"國 国",
      u"漢 体 體 国",
  };
  // clang-format on
  for (const std::u16string& keyword : keywords) {
    for (const uint32_t page : {0u, 1u}) {
      std::string expected;
      std::vector<TermAnchors> expectedAnchors;
      const int expectedCount = index.FileList().RenderPage(
          page, expected, index.VariantSpellings(keyword), HitScopeFullText, &expectedAnchors);
      std::string marked;
      std::vector<TermAnchors> anchors;
      EXPECT_EQ(index.RenderWithVariants(page, marked, keyword, HitScopeFullText, true, &anchors),
                expectedCount)
          << ToUtf8(keyword);
      EXPECT_EQ(marked, expected) << ToUtf8(keyword);
      ASSERT_EQ(anchors.size(), expectedAnchors.size()) << ToUtf8(keyword);
      for (size_t i = 0; i < anchors.size(); ++i) {
        EXPECT_EQ(anchors[i].firstAnchor, expectedAnchors[i].firstAnchor);
        EXPECT_EQ(anchors[i].endAnchor, expectedAnchors[i].endAnchor);
        EXPECT_EQ(anchors[i].perMatch, expectedAnchors[i].perMatch);
      }
    }
  }
  std::string marked;
  EXPECT_EQ(index.RenderWithVariants(0, marked, u"体国", HitScopeFullText, true), 4);
}

TEST_F(VariantPageTest, AResultPageIsMarkedWithoutATableThatDoesNotBelongToTheIndex) {
  // Lines swapped: 体 would read the list of 国's group (page 1 too) and the reverse.
  WriteFileBytes(dir_ / "yitizi.txt", "56FD,570B\n4F53,9AD4\n");
  CIndex index;
  ASSERT_TRUE(index.Open(dir_.path(), u"Index", ScopeFullText)) << index.LastError();
  EXPECT_TRUE(index.VariantTableRefused());
  std::string marked;
  EXPECT_EQ(index.RenderWithVariants(0, marked, u"体国", HitScopeFullText, true), 1);
}

// A table with its first line gone: 国 would read the list of 体's group.
TEST_F(SearchTest, AVariantTableThatDoesNotBelongToTheIndexIsSetAside) {
  const std::string shifted = std::string(kQueryVariants).substr(std::string("4F53,9AD4\n").size());
  testing::WriteFileBytes(dir_ / "yitizi.txt", shifted);
  ASSERT_TRUE(index_.Open(dir_.path(), u"Index", ScopeFullText));
  EXPECT_TRUE(index_.VariantTableRefused());
  EXPECT_EQ(index_.FindVariantGroup(U'国'), std::nullopt);
  // The search counts variants as different characters: 國 alone, not 体's list.
  std::u16string query = u"体国";
  index_.SearchAnd(query, true);
  EXPECT_EQ(index_.pages(), (std::vector<uint32_t>{8}));
  EXPECT_EQ(index_.placeCounts(), (std::vector<uint32_t>{1}));
}

// `required` (ascending) with values added wherever two lie more than `stride`
// apart, so that every delta fits a VarNum.
std::vector<uint32_t> Bridged(const std::vector<uint32_t>& required, uint32_t stride) {
  std::vector<uint32_t> values;
  for (const uint32_t value : required) {
    while (!values.empty() && value - values.back() > kMaxVarNum)
      values.push_back(values.back() + stride);
    values.push_back(value);
  }
  return values;
}

TEST(SearchLimitsTest, PlacesAtTheHighestPositionsAndPages) {
  // Positions and pages run up to the end of their 32-bit range; a place there
  // ends the page rather than aiming past it. 甲乙 stands at positions 5 and
  // 0xFFFFFFFE of page 0, and on pages 0xFFFFFFFE and 0xFFFFFFFF; the bridging
  // positions and pages never put 乙 right after 甲.
  TempDir dir;
  testing::WriteVolumeStore(dir.path(), 1);
  const uint32_t jia = static_cast<uint32_t>(CharacterId(U'甲'));
  const uint32_t yi = static_cast<uint32_t>(CharacterId(U'乙'));
  testing::Occurrences occurrences;
  occurrences[jia][0] = Bridged({5, 0xFFFFFFFE}, kMaxVarNum);
  occurrences[yi][0] = Bridged({6, 0xFFFFFFFF}, kMaxVarNum - 7);
  for (const uint32_t page : Bridged({0, 0xFFFFFFFE, 0xFFFFFFFF}, kMaxVarNum)) {
    if (page == 0) continue;
    const bool placed = page >= 0xFFFFFFFE;
    occurrences[jia][page] = {placed ? page - 0xFFFFFFFE : 9};
    occurrences[yi][page] = {placed ? page - 0xFFFFFFFE + 1 : 9};
  }
  testing::WriteIndexSet(dir.path(), occurrences);
  CIndex index;
  ASSERT_TRUE(index.Open(dir.path(), u"Index", ScopeFullText)) << index.LastError();
  std::u16string query = u"甲乙";
  index.SearchAnd(query, false);
  EXPECT_EQ(index.pages(), (std::vector<uint32_t>{0, 0xFFFFFFFE, 0xFFFFFFFF}));
  EXPECT_EQ(index.placeCounts(), (std::vector<uint32_t>{2, 1, 1}));
}

TEST(MergeTermResultTest, KeepsTheStatedOrders) {
  SearchResult lists;
  const std::vector<uint32_t> first{5, 9}, firstCounts{1, 1};
  const std::vector<uint32_t> second{2, 5}, secondCounts{1, 4};
  const std::vector<uint32_t> third{1, 2, 9, 12}, thirdCounts{1, 1, 1, 1};
  EXPECT_EQ(MergeTermResult(MergeUnion, first, firstCounts, lists), 2);
  EXPECT_EQ(MergeTermResult(MergeUnion, second, secondCounts, lists), 3);
  EXPECT_EQ(lists.pages, (std::vector<uint32_t>{5, 9, 2}));
  EXPECT_EQ(lists.placeCounts, (std::vector<uint32_t>{5, 1, 1}));
  // The pages are no longer ascending: found all the same, new ones appended.
  EXPECT_EQ(MergeTermResult(MergeUnion, third, thirdCounts, lists), 5);
  EXPECT_EQ(lists.pages, (std::vector<uint32_t>{5, 9, 2, 1, 12}));
  EXPECT_EQ(lists.placeCounts, (std::vector<uint32_t>{5, 2, 2, 1, 1}));
  // Intersecting keeps the term's (ascending) order.
  const std::vector<uint32_t> fourth{2, 3, 5, 12}, fourthCounts{10, 10, 10, 10};
  EXPECT_EQ(MergeTermResult(MergeIntersect, fourth, fourthCounts, lists), 3);
  EXPECT_EQ(lists.pages, (std::vector<uint32_t>{2, 5, 12}));
  EXPECT_EQ(lists.placeCounts, (std::vector<uint32_t>{12, 15, 11}));
  EXPECT_EQ(MergeTermResult(MergeReplace, first, firstCounts, lists), 2);
  EXPECT_EQ(lists.pages, first);
  EXPECT_EQ(lists.placeCounts, firstCounts);
}

}  // namespace
}  // namespace quillwen
