// The query operations of CIndex: evaluating each term of a query and merging its
// pages into the result.

#include "core/search/index.h"

namespace quillwen {

SearchResult CIndex::Search(const Query& query, SearchMethod method, bool useVariants) const {
  SearchResult result;
  bool firstTerm = true;
  for (const std::u16string& term : query.terms) {
    const MergeMode mode = method == SearchMethod::kOr ? MergeUnion
                           : firstTerm                 ? MergeReplace
                                                       : MergeIntersect;
    MergeTerm(term, mode, useVariants, result);
    firstTerm = false;
  }
  return result;
}

int CIndex::SearchAnd(std::u16string& query, bool useVariants) {
  return SearchInto(query, SearchMethod::kAnd, useVariants);
}

int CIndex::SearchOr(std::u16string& query, bool useVariants) {
  return SearchInto(query, SearchMethod::kOr, useVariants);
}

int CIndex::SearchInto(std::u16string& query, SearchMethod method, bool useVariants) {
  const std::optional<Query> parsed = ParseQuery(query);
  if (!parsed) return last_.resultCount();
  last_ = Search(*parsed, method, useVariants);
  query = parsed->markText;
  return last_.resultCount();
}

int CIndex::EvaluateTerm(std::u16string_view term, MergeMode mode, bool useVariants) {
  if (!MergeTerm(NormaliseTerm(term), mode, useVariants, last_)) return 0;
  return last_.resultCount();
}

bool CIndex::MergeTerm(std::u16string_view normalisedTerm, MergeMode mode, bool useVariants,
                       SearchResult& result) const {
  TermMatch match;
  if (open_ && normalisedTerm.size() <= kMaxNormalisedTermUnits) {
    match = MatchTerm(PlanTerm(normalisedTerm, useVariants ? &variants_ : nullptr), Tables());
  }
  result.postingBytes += match.postingBytes;
  result.damagedList |= match.damagedList;
  if (!match.hasCursors) {
    if (mode != MergeUnion) {
      result.pages.clear();
      result.placeCounts.clear();
    }
    return false;
  }
  MergeTermResult(mode, match.pages, match.placeCounts, result);
  return true;
}

}  // namespace quillwen
