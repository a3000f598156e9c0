// Random small collections and random terms: the index search must find exactly
// the pages and places a plain matcher finds by the rule a term stands for.
//
// The rule: within a segment (the stretch between gap marks) the characters stand
// at consecutive positions, one position for each single-character wildcard; each
// later segment with characters begins after the end of the one before it, with
// at most 300 characters between them beyond the wildcard positions between them.
// A wildcard at the start or end of a term requires nothing. A place is an
// occurrence of the first segment with characters from which the rest of the term
// can be completed; overlapping places count.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "core/encoding/codeconverter.h"
#include "core/search/character_id.h"
#include "core/search/code_points.h"
#include "core/search/index.h"
#include "core/search/posting_cursor.h"
#include "core/search/query.h"
#include "core/search/variants.h"
#include "tests/core/search/search_fixture.h"
#include "tests/support/temp_dir.h"

namespace quillwen {
namespace {

using testing::TempDir;
using testing::WriteCollection;

// 乙 and 丁 are variants of each other; 。 has no identifier and stands for
// any character the index does not know.
constexpr char32_t kCharacters[] = {U'甲', U'乙', U'丙', U'丁'};
constexpr char32_t kUnindexed = U'。';
constexpr char kVariantTable[] = "4E59,4E01\n";

// The directory a search of `index` makes of character `c`'s list.
BlockDirectory SurveyOf(const CIndex& index, char32_t c) {
  const PostingSource source{
      index.Postings().data(), index.Postings().size(), index.NextBlock().data(),
      static_cast<uint32_t>(index.NextBlock().size()), BlockCountOf(index.Postings().size())};
  const auto id = static_cast<uint32_t>(CharacterId(c));
  return PostingCursor::Survey(source, index.FirstBlock()[id], index.LastPage()[id]);
}

struct Expected {
  std::vector<uint32_t> pages;
  std::vector<uint32_t> placeCounts;
};

// The plain matcher, on the page texts themselves.
class PlainMatcher {
 public:
  PlainMatcher(const std::vector<std::u32string>& pages, const VariantTable* variants)
      : pages_(pages), variants_(variants) {}

  Expected Match(std::u16string_view term) const {
    Expected expected;
    const std::u16string normalised = NormaliseTerm(term);
    if (normalised.size() > kMaxNormalisedTermUnits) return expected;
    // Segments of (query position, character); wildcards only advance q.
    std::vector<std::vector<std::pair<int64_t, char32_t>>> segments(1);
    int64_t q = 0;
    for (const char32_t c : ToCodePoints(normalised)) {
      if (c == U'*') {
        segments.emplace_back();
      } else if (c == U'?' || c == U'\uFF1F') {
        ++q;
      } else if (CharacterId(c) >= 0) {
        segments.back().emplace_back(q++, c);
      }
    }
    std::erase_if(segments, [](const auto& segment) { return segment.empty(); });
    if (segments.empty()) return expected;

    for (uint32_t page = 0; page < pages_.size(); ++page) {
      const std::u32string& text = pages_[page];
      // d = text position - query position, shared by a segment's characters.
      std::vector<std::set<int64_t>> feasible(segments.size());
      for (size_t s = segments.size(); s-- > 0;) {
        const auto [firstPosition, firstCharacter] = segments[s].front();
        for (int64_t p = 0; p < static_cast<int64_t>(text.size()); ++p) {
          if (!Same(firstCharacter, text[p])) continue;
          const int64_t d = p - firstPosition;
          bool occurs = true;
          for (const auto& [position, c] : segments[s]) {
            const int64_t at = d + position;
            occurs =
                occurs && at >= 0 && at < static_cast<int64_t>(text.size()) && Same(c, text[at]);
          }
          if (!occurs) continue;
          if (s + 1 < segments.size()) {
            const auto next = feasible[s + 1].lower_bound(d);
            if (next == feasible[s + 1].end() || *next - d > kMaxGap) continue;
          }
          feasible[s].insert(d);
        }
      }
      if (!feasible[0].empty()) {
        expected.pages.push_back(page);
        expected.placeCounts.push_back(static_cast<uint32_t>(feasible[0].size()));
      }
    }
    return expected;
  }

 private:
  bool Same(char32_t queried, char32_t inText) const {
    if (queried == inText) return true;
    if (variants_ == nullptr) return false;
    const auto group = variants_->FindVariantGroup(queried);
    if (!group) return false;
    const auto& members = variants_->Groups()[*group - VariantIdBase];
    return std::find(members.begin(), members.end(), inText) != members.end();
  }

  const std::vector<std::u32string>& pages_;
  const VariantTable* variants_;
};

std::u16string ToUtf16(const std::u32string& text) {
  std::u16string out;
  for (const char32_t c : text) AppendUtf16(out, c);
  return out;
}

// A page: dense (short, few unindexed characters), sparse (long, mostly
// unindexed, so gaps near 300 occur) or long and dense (lists over many blocks).
std::u32string RandomPage(std::mt19937& random, int kind) {
  std::uniform_int_distribution<int> character(0, 3);
  std::uniform_real_distribution<double> chance(0.0, 1.0);
  size_t length;
  double indexed;
  if (kind == 0) {
    length = std::uniform_int_distribution<size_t>(0, 40)(random);
    indexed = 0.8;
  } else if (kind == 1) {
    length = std::uniform_int_distribution<size_t>(200, 900)(random);
    indexed = 0.012;
  } else {
    length = std::uniform_int_distribution<size_t>(3000, 6000)(random);
    indexed = 0.9;
  }
  std::u32string text;
  for (size_t i = 0; i < length; ++i)
    text.push_back(chance(random) < indexed ? kCharacters[character(random)] : kUnindexed);
  return text;
}

std::u16string RandomTerm(std::mt19937& random) {
  static const char16_t kPieces[] = {u'甲', u'乙', u'丙', u'丁', u'甲', u'乙',
                                     u'?',  u'*',  u'*',  u'？', u'。'};
  std::uniform_int_distribution<size_t> piece(0, std::size(kPieces) - 1);
  const size_t length = std::uniform_int_distribution<size_t>(1, 7)(random);
  std::u16string term;
  for (size_t i = 0; i < length; ++i) term.push_back(kPieces[piece(random)]);
  return term;
}

std::string Describe(const std::vector<uint32_t>& values) {
  std::string out;
  for (const uint32_t v : values) out += std::to_string(v) + " ";
  return out;
}

TEST(SearchPropertyTest, IndexSearchAgreesWithThePlainMatcher) {
  constexpr int kCollections = 60;
  constexpr int kTermsPerCollection = 60;
  VariantTable variants;
  variants.Parse(kVariantTable);
  int compared = 0;
  for (int seed = 1; seed <= kCollections; ++seed) {
    std::mt19937 random(static_cast<uint32_t>(seed));
    const int pageCount = std::uniform_int_distribution<int>(1, 5)(random);
    std::vector<std::u32string> pages;
    std::vector<std::u16string> pageTexts;
    for (int p = 0; p < pageCount; ++p) {
      // Every sixth collection holds long dense pages whose lists span blocks.
      const int kind = seed % 6 == 0 ? 2 : std::uniform_int_distribution<int>(0, 1)(random);
      pages.push_back(RandomPage(random, kind));
      pageTexts.push_back(ToUtf16(pages.back()));
    }
    TempDir dir;
    WriteCollection(dir.path(), pageTexts, kVariantTable,
                    {.shuffleSeed = static_cast<uint32_t>(seed % 3)});
    CIndex index;
    ASSERT_TRUE(index.Open(dir.path(), u"Index", ScopeFullText)) << index.LastError();

    for (int t = 0; t < kTermsPerCollection; ++t) {
      const std::u16string term = RandomTerm(random);
      for (const bool useVariants : {false, true}) {
        const Expected expected =
            PlainMatcher(pages, useVariants ? &variants : nullptr).Match(term);
        index.EvaluateTerm(term, MergeReplace, useVariants);
        ++compared;
        if (index.pages() == expected.pages && index.placeCounts() == expected.placeCounts)
          continue;
        ADD_FAILURE() << "collection " << seed << ", term " << ToUtf8(term)
                      << (useVariants ? " (variants)" : "") << "\n  expected pages "
                      << Describe(expected.pages) << "counts " << Describe(expected.placeCounts)
                      << "\n  found    pages " << Describe(index.pages()) << "counts "
                      << Describe(index.placeCounts());
        return;
      }
    }
  }
  EXPECT_EQ(compared, kCollections * kTermsPerCollection * 2);
}

// Expected "and": the pages every term's plain match has, counts added.
Expected PlainAnd(const PlainMatcher& matcher, const std::vector<std::u16string>& terms) {
  Expected result = matcher.Match(terms.front());
  for (size_t t = 1; t < terms.size(); ++t) {
    const Expected next = matcher.Match(terms[t]);
    Expected kept;
    for (size_t i = 0, j = 0; i < result.pages.size(); ++i) {
      while (j < next.pages.size() && next.pages[j] < result.pages[i]) ++j;
      if (j == next.pages.size() || next.pages[j] != result.pages[i]) continue;
      kept.pages.push_back(result.pages[i]);
      kept.placeCounts.push_back(result.placeCounts[i] + next.placeCounts[j]);
    }
    result = kept;
  }
  return result;
}

// Each term, evaluated alone, finds some pages, and the pages and places the
// plain matcher finds.
void ExpectTermsFoundPlainly(CIndex& index, const PlainMatcher& matcher,
                             std::initializer_list<const char16_t*> terms) {
  for (const std::u16string_view term : terms) {
    SCOPED_TRACE(ToUtf8(term));
    const Expected expected = matcher.Match(term);
    EXPECT_FALSE(expected.pages.empty());
    index.EvaluateTerm(term, MergeReplace, false);
    EXPECT_EQ(index.pages(), expected.pages);
    EXPECT_EQ(index.placeCounts(), expected.placeCounts);
    EXPECT_FALSE(index.DamagedList());
  }
}

// Lists long enough to span many blocks and one rare character, 丁 (with its
// variant 七): the rare list leads the intersection wherever it stands in the
// term, and the result is what the rule gives.
TEST(SearchPropertyTest, TheRareListLeadsWhereverItStands) {
  constexpr char kTable[] = "4E01,4E03\n";
  std::mt19937 random(11);
  std::uniform_int_distribution<int> character(0, 2);
  std::vector<std::u32string> pages;
  std::vector<std::u16string> pageTexts;
  for (int page = 0; page < 240; ++page) {
    std::u32string text;
    for (int i = 0; i < 400; ++i)
      text.push_back(i % 9 == 8 ? kUnindexed : kCharacters[character(random)]);
    if (page % 23 == 5) text.replace(40, 3, U"甲丁乙");
    if (page % 29 == 7) text.replace(100, 3, U"丁甲乙");
    if (page % 31 == 11) text.replace(200, 4, U"甲乙丁丙");
    if (page % 37 == 3) text.replace(300, 2, U"七甲");
    pages.push_back(text);
    pageTexts.push_back(ToUtf16(text));
  }
  TempDir dir;
  WriteCollection(dir.path(), pageTexts, kTable, {.shuffleSeed = 5});
  CIndex index;
  ASSERT_TRUE(index.Open(dir.path(), u"Index", ScopeFullText)) << index.LastError();
  // The common lists span blocks enough to have directories.
  const BlockDirectory directory = SurveyOf(index, U'甲');
  ASSERT_GE(directory.entries.size(), 5u);
  EXPECT_EQ(directory.pageCount, pages.size());
  // On every page: dense enough for a page map, so the queries below meet both
  // intersections, through maps only and with the rare list that has none.
  EXPECT_TRUE(directory.pageMap);
  EXPECT_FALSE(SurveyOf(index, U'丁').pageMap);

  VariantTable variants;
  variants.Parse(kTable);
  // clang-format off
  const std::vector<std::vector<std::u16string>> queries = {
      {u"丁甲乙"}, {u"甲丁乙"}, {u"甲乙丁"}, {u"丁甲"}, {u"甲丁"}, {u"七甲"}, {u"乙丁丙"},
      {u"甲*丁"}, {u"丁*甲"}, {u"丁?甲"}, {u"甲?丁"}, {u"?丁*乙"}, {u"甲*乙*丁"},
      {u"甲乙", u"丁"}, {u"丁", u"甲乙"}, {u"甲", u"丁", u"乙"}, {u"甲乙", u"丙", u"七甲"},
  };
  // clang-format on
  for (const auto& terms : queries) {
    std::u16string query;
    for (const std::u16string& term : terms) query += (query.empty() ? u"" : u" ") + term;
    for (const bool useVariants : {false, true}) {
      SCOPED_TRACE(ToUtf8(query) + (useVariants ? " (variants)" : ""));
      const Expected expected =
          PlainAnd(PlainMatcher(pages, useVariants ? &variants : nullptr), terms);
      EXPECT_FALSE(expected.pages.empty());
      std::u16string buffer = query;
      index.SearchAnd(buffer, useVariants);
      EXPECT_EQ(index.pages(), expected.pages);
      EXPECT_EQ(index.placeCounts(), expected.placeCounts);
      EXPECT_FALSE(index.DamagedList());
    }
  }
}

// Phrases and wildcard terms on pages whose sparsest list has from a few to well
// over a thousand position bytes, some of them running across blocks: what the
// rule gives, however the page's positions are read or ruled out.
TEST(SearchPropertyTest, PhrasesAgreeOnPagesOfEverySize) {
  std::mt19937 random(23);
  std::vector<std::u32string> page;
  // 甲 about every fourth character, 乙 and 丙 often, 丁 now and then.
  std::discrete_distribution<int> character({25, 35, 30, 10});
  for (const size_t length : {3, 40, 900, 3900, 4100, 4200, 4400, 9000, 20}) {
    std::u32string text;
    for (size_t i = 0; i < length; ++i) text.push_back(kCharacters[character(random)]);
    page.push_back(text);
  }
  // Once, and four times over: then the lists span blocks enough for page maps,
  // and their pages are matched through them.
  for (const size_t copies : {1, 4}) {
    SCOPED_TRACE(::testing::Message() << copies << " copies");
    std::vector<std::u32string> pages;
    std::vector<std::u16string> pageTexts;
    for (size_t copy = 0; copy < copies; ++copy) {
      for (const std::u32string& text : page) {
        pages.push_back(text);
        pageTexts.push_back(ToUtf16(text));
      }
    }
    TempDir dir;
    WriteCollection(dir.path(), pageTexts, {}, {.shuffleSeed = 3});
    CIndex index;
    ASSERT_TRUE(index.Open(dir.path(), u"Index", ScopeFullText)) << index.LastError();
    if (copies > 1) {
      for (const char32_t c : {U'甲', U'乙', U'丙', U'丁'}) EXPECT_TRUE(SurveyOf(index, c).pageMap);
    }
    const PlainMatcher matcher(pages, nullptr);
    ExpectTermsFoundPlainly(index, matcher,
                            {u"甲乙", u"乙甲", u"甲甲", u"乙丙甲", u"甲?乙", u"丁?？丙",
                             u"乙丙丁甲", u"?甲丙?", u"甲乙*丙丁", u"乙?甲*丙乙", u"丙*甲丁*乙"});
  }
}

// Indexes `pages`, whose lists of 甲, 乙 and 丙 are long enough for page maps,
// and expects `terms` found as the plain matcher finds them.
void ExpectTermsFoundThroughPageMaps(const std::vector<std::u32string>& pages,
                                     std::initializer_list<const char16_t*> terms) {
  std::vector<std::u16string> pageTexts;
  for (const std::u32string& text : pages) pageTexts.push_back(ToUtf16(text));
  TempDir dir;
  WriteCollection(dir.path(), pageTexts, {}, {.shuffleSeed = 9});
  CIndex index;
  ASSERT_TRUE(index.Open(dir.path(), u"Index", ScopeFullText)) << index.LastError();
  for (const char32_t c : {U'甲', U'乙', U'丙'}) EXPECT_TRUE(SurveyOf(index, c).pageMap);
  ExpectTermsFoundPlainly(index, PlainMatcher(pages, nullptr), terms);
}

// Lists that each have pages all over a large collection but share pages in
// only a few of its stretches of 64 pages, and now and then far from those:
// the shared pages are found between the stretches too, up to the last page.
TEST(SearchPropertyTest, PhrasesOfListsThatShareFewStretches) {
  constexpr uint32_t kPages = 9000;
  std::vector<std::u32string> pages;
  for (uint32_t page = 0; page < kPages; ++page) {
    const uint32_t stretch = page / 64;
    const bool first = stretch % 3 == 0 || page % 397 == 0;
    const bool second = stretch % 5 == 0 || page % 389 == 0;
    std::u32string text = U"丙丙丙";
    if (page == kPages - 1) {
      text += U"甲乙丙甲乙丙甲丙";
    } else if (first && second) {
      text += page % 2 == 0 ? U"甲乙丙甲" : U"乙丙甲丙";
    } else {
      if (first) text += U"甲丙甲丙";
      if (second) text += U"乙丙乙丙";
    }
    pages.push_back(text);
  }
  const auto terms = {u"甲乙", u"乙丙甲", u"甲乙丙", u"丙甲乙", u"乙?甲"};
  // Each is on the last page too.
  for (const std::u16string_view term : terms) {
    const std::vector<uint32_t> found = PlainMatcher(pages, nullptr).Match(term).pages;
    ASSERT_FALSE(found.empty());
    EXPECT_EQ(found.back(), kPages - 1);
  }
  ExpectTermsFoundThroughPageMaps(pages, terms);
}

// The two rarer lists of a phrase share pages all over the collection, and the
// commonest list lacks one in three of those: no page it lacks is taken for
// shared, whichever list the word of a page is read from.
TEST(SearchPropertyTest, PhrasesWhoseCommonestListLacksSharedPages) {
  std::vector<std::u32string> pages;
  for (uint32_t page = 0; page < 9000; ++page) {
    std::u32string text;
    if (page % 7 == 0) {
      text = U"甲乙甲乙";
    } else {
      text = U"丙丙丙丙丙";
      if (page % 2 == 0) text += U"甲丙";
      if (page % 3 == 0) text += U"乙丙";
      if (page % 6 == 0) text += U"甲乙丙";
    }
    pages.push_back(text);
  }
  ExpectTermsFoundThroughPageMaps(pages, {u"甲乙丙", u"乙丙甲", u"丙甲乙", u"甲乙", u"甲?丙"});
}

// "and" and "or" of two random terms give what merging the terms' results in
// query order gives (EvaluateTerm), whichever term is evaluated first.
TEST(SearchPropertyTest, AndAndOrAgreeWithTermsMergedInQueryOrder) {
  int compared = 0;
  for (int seed = 100; seed < 130; ++seed) {
    std::mt19937 random(static_cast<uint32_t>(seed));
    std::vector<std::u16string> pageTexts;
    const int pageCount = std::uniform_int_distribution<int>(1, 8)(random);
    for (int p = 0; p < pageCount; ++p) {
      const int kind = seed % 5 == 0 ? 2 : std::uniform_int_distribution<int>(0, 1)(random);
      pageTexts.push_back(ToUtf16(RandomPage(random, kind)));
    }
    TempDir dir;
    WriteCollection(dir.path(), pageTexts, kVariantTable,
                    {.shuffleSeed = static_cast<uint32_t>(seed % 3)});
    CIndex index;
    ASSERT_TRUE(index.Open(dir.path(), u"Index", ScopeFullText)) << index.LastError();
    for (int t = 0; t < 40; ++t) {
      const std::u16string first = RandomTerm(random);
      const std::u16string second = RandomTerm(random);
      for (const bool useVariants : {false, true}) {
        for (const bool orSearch : {false, true}) {
          index.EvaluateTerm(u"", MergeReplace, useVariants);  // empties the last result
          index.EvaluateTerm(first, orSearch ? MergeUnion : MergeReplace, useVariants);
          index.EvaluateTerm(second, orSearch ? MergeUnion : MergeIntersect, useVariants);
          const std::vector<uint32_t> pages = index.pages();
          const std::vector<uint32_t> counts = index.placeCounts();
          std::u16string query = first + u" " + second;
          if (orSearch) {
            index.SearchOr(query, useVariants);
          } else {
            index.SearchAnd(query, useVariants);
          }
          ++compared;
          if (index.pages() == pages && index.placeCounts() == counts) continue;
          ADD_FAILURE() << "collection " << seed << ", " << (orSearch ? "or" : "and") << " of "
                        << ToUtf8(first) << " and " << ToUtf8(second)
                        << (useVariants ? " (variants)" : "") << "\n  merged pages "
                        << Describe(pages) << "counts " << Describe(counts) << "\n  found  pages "
                        << Describe(index.pages()) << "counts " << Describe(index.placeCounts());
          return;
        }
      }
    }
  }
  EXPECT_EQ(compared, 30 * 40 * 4);
}

}  // namespace
}  // namespace quillwen
