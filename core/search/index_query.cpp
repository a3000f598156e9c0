// The query operations of CIndex: evaluating each term of a query and merging its
// pages into the result.

#include <algorithm>

#include "core/search/index.h"
#include "core/search/shared_pages.h"
#include "core/search/term_pairs.h"

namespace quillwen {

namespace {

// The shared pages of an "and" are matched alone when they are fewer than the
// rarest term's pages by this much; otherwise matching that term whole, and the
// others on its pages, costs no more.
constexpr uint32_t kFewSharedPages = 2;

// `recycled`'s memory, holding nothing.
SearchResult Emptied(SearchResult recycled) {
  SearchResult result;
  result.pages = std::move(recycled.pages);
  result.placeCounts = std::move(recycled.placeCounts);
  result.pages.clear();
  result.placeCounts.clear();
  return result;
}

// A term's match becomes the result: its lists are taken over, not copied, and
// the result's own go to the match, to be reused by the next term if any.
void TakeOver(TermMatch& match, SearchResult& result) {
  std::swap(result.pages, match.pages);
  std::swap(result.placeCounts, match.placeCounts);
}

// A match that will replace `result` writes into `result`'s memory.
TermMatch RecycledFrom(SearchResult& result) {
  TermMatch match;
  match.pages = std::move(result.pages);
  match.placeCounts = std::move(result.placeCounts);
  return match;
}

}  // namespace

SearchResult CIndex::Search(const Query& query, SearchMethod method, bool useVariants,
                            SearchResult recycled) const {
  SearchResult result = Emptied(std::move(recycled));
  if (method == SearchMethod::kAnd && query.terms.size() > 1 && open_) {
    SearchEveryTerm(query, useVariants, result);
    return result;
  }
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

TermPlan CIndex::Plan(std::u16string_view normalisedTerm, bool useVariants, bool withPairs,
                      SearchResult& result) const {
  TermPlan plan = PlanTerm(normalisedTerm, useVariants ? &variants_ : nullptr);
  if (!withPairs) return plan;
  TermPlan paired = plan;
  UsePairLists(paired, pairs_);
  if (!pairs_.Damaged()) return paired;
  // The pair table turned out damaged where this term looked.
  pairsDamaged_.store(true, std::memory_order_relaxed);
  result.damagedPairIndex = true;
  return plan;
}

TermMatch CIndex::MatchWithPairs(std::u16string_view normalisedTerm, const TermPlan& plan,
                                 bool useVariants, const IndexTables& tables,
                                 const std::vector<uint32_t>* candidates, TermMatch recycled,
                                 SearchResult& result) const {
  TermMatch match = candidates != nullptr ? MatchTermOn(plan, tables, *candidates)
                                          : MatchTerm(plan, tables, std::move(recycled));
  if (!match.damagedPairList) return match;
  // The pair index is only a faster way to the same pages: a damaged list of it
  // is set aside and the term matched by its characters' lists alone.
  pairsDamaged_.store(true, std::memory_order_relaxed);
  result.damagedPairIndex = true;
  result.postingBytes += match.postingBytes;
  IndexTables withoutPairs = tables;
  withoutPairs.pairs = nullptr;
  const TermPlan plain = Plan(normalisedTerm, useVariants, /*withPairs=*/false, result);
  return candidates != nullptr ? MatchTermOn(plain, withoutPairs, *candidates)
                               : MatchTerm(plain, withoutPairs, std::move(match));
}

void CIndex::SearchEveryTerm(const Query& query, bool useVariants, SearchResult& result) const {
  const IndexTables tables = Tables();
  struct PlannedTerm {
    const std::u16string* term;
    TermPlan plan;
    uint32_t pageBound;
  };
  std::vector<PlannedTerm> terms;
  for (const std::u16string& term : query.terms) {
    // A term that can match nowhere empties the result, whatever the others hold.
    if (term.size() > kMaxNormalisedTermUnits) return;
    TermPlan plan = Plan(term, useVariants, tables.pairs != nullptr, result);
    if (plan.lookups.empty()) return;
    if (!AllListsThere(plan, tables)) return;
    const uint32_t bound = TermPageBound(plan, tables);
    terms.push_back({&term, std::move(plan), bound});
  }
  // The intersection and the sums do not depend on the order, and every term's
  // pages ascend, so the result is the one query order would give.
  std::stable_sort(terms.begin(), terms.end(), [](const PlannedTerm& x, const PlannedTerm& y) {
    return x.pageBound < y.pageBound;
  });
  // The pages every list of every term has, where their page maps tell: when
  // they are much fewer than the rarest term's, as they are for phrases read
  // as pairs, only they are matched, the first term too.
  std::vector<const TermPlan*> plans;
  for (const PlannedTerm& term : terms) plans.push_back(&term.plan);
  std::optional<std::vector<uint32_t>> shared = PagesEveryListHas(plans, tables);
  if (shared && shared->size() > terms.front().pageBound / kFewSharedPages) shared.reset();
  bool firstTerm = true;
  for (const PlannedTerm& term : terms) {
    const std::vector<uint32_t>* candidates = !firstTerm ? &result.pages
                                              : shared   ? &*shared
                                                         : nullptr;
    TermMatch match =
        MatchWithPairs(*term.term, term.plan, useVariants, tables, candidates,
                       candidates == nullptr ? RecycledFrom(result) : TermMatch{}, result);
    result.postingBytes += match.postingBytes;
    result.damagedList |= match.damagedList;
    if (firstTerm) {
      TakeOver(match, result);
    } else {
      MergeTermResult(MergeIntersect, match.pages, match.placeCounts, result);
    }
    firstTerm = false;
    // Nothing left to find: the other terms need not be read at all.
    if (result.pages.empty()) break;
  }
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
  last_ = Search(*parsed, method, useVariants, std::move(last_));
  query = parsed->markText;
  return last_.resultCount();
}

int CIndex::EvaluateTerm(std::u16string_view term, MergeMode mode, bool useVariants) {
  if (!MergeTerm(NormaliseTerm(term), mode, useVariants, last_)) return 0;
  return last_.resultCount();
}

bool CIndex::MergeTerm(std::u16string_view normalisedTerm, MergeMode mode, bool useVariants,
                       SearchResult& result) const {
  TermMatch match = mode == MergeReplace ? RecycledFrom(result) : TermMatch{};
  if (open_ && normalisedTerm.size() <= kMaxNormalisedTermUnits) {
    const IndexTables tables = Tables();
    match = MatchWithPairs(normalisedTerm,
                           Plan(normalisedTerm, useVariants, tables.pairs != nullptr, result),
                           useVariants, tables, nullptr, std::move(match), result);
  }
  result.postingBytes += match.postingBytes;
  result.damagedList |= match.damagedList;
  if (!match.hasCursors) {
    if (mode == MergeReplace) TakeOver(match, result);
    if (mode != MergeUnion) {
      result.pages.clear();
      result.placeCounts.clear();
    }
    return false;
  }
  if (mode == MergeReplace) {
    TakeOver(match, result);
  } else {
    MergeTermResult(mode, match.pages, match.placeCounts, result);
  }
  return true;
}

}  // namespace quillwen
