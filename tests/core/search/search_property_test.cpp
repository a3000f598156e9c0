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

}  // namespace
}  // namespace quillwen
