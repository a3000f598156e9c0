// The query operations of CIndex: splitting a query into terms and evaluating
// each into the result lists.

#include "core/search/index.h"
#include "core/search/query_terms.h"

namespace quillwen {

int CIndex::SearchAnd(std::u16string& query, bool useVariants) {
  return Search(query, useVariants, MergeReplace, MergeIntersect);
}

int CIndex::SearchOr(std::u16string& query, bool useVariants) {
  return Search(query, useVariants, MergeUnion, MergeUnion);
}

int CIndex::Search(std::u16string& query, bool useVariants, MergeMode firstMode,
                   MergeMode laterMode) {
  if (CountTerms(query) == 0) return lists_.resultCount;
  lists_ = ResultLists{};
  postingBytesRead_ = 0;

  bool firstTerm = true;
  auto evaluate = [&](size_t start, size_t end) {
    EvaluateTerm(std::u16string_view(query).substr(start, end - start),
                 firstTerm ? firstMode : laterMode, useVariants);
    firstTerm = false;
  };
  // A term runs up to the next U+0020, which becomes U+3000 in the caller's buffer
  // (the text that later marks hits); a U+3000 already there belongs to the term.
  bool inTerm = false;
  size_t termStart = 0;
  for (size_t i = 0; i < query.size(); ++i) {
    if (query[i] == u' ') {
      query[i] = u'\u3000';
      if (inTerm) evaluate(termStart, i);
      inTerm = false;
    } else if (!inTerm) {
      inTerm = true;
      termStart = i;
    }
  }
  if (inTerm) evaluate(termStart, query.size());
  return lists_.resultCount;
}

int CIndex::EvaluateTerm(std::u16string_view term, MergeMode mode, bool useVariants) {
  const std::u16string normalised = NormaliseTerm(term);
  TermMatch match;
  if (open_ && normalised.size() <= kMaxNormalisedTermUnits) {
    match = MatchTerm(PlanTerm(normalised, useVariants ? &variants_ : nullptr), Tables());
  }
  postingBytesRead_ += match.postingBytes;
  if (!match.hasCursors) {
    if (mode != MergeUnion) lists_ = ResultLists{};
    return 0;
  }
  return MergeTermResult(mode, match.pages, match.placeCounts, lists_);
}

}  // namespace quillwen
