#include "core/search/term_pairs.h"

#include <utility>
#include <vector>

namespace quillwen {
namespace {

bool Tells(const PairIndex& pairs, uint32_t id) {
  return pairs.Covers(id) && (id < VariantIdBase || pairs.HasGroupPairs());
}

// Whether lookups `first` and `second` are characters standing next to each
// other in the term, with a pair the index tells.
bool Adjacent(const TermLookup& first, const TermLookup& second, const PairIndex& pairs) {
  return first.kind == LookupKind::kIdentifier && second.kind == LookupKind::kIdentifier &&
         first.segment == second.segment && second.queryPosition == first.queryPosition + 1 &&
         Tells(pairs, first.id) && Tells(pairs, second.id);
}

TermLookup PairLookup(const TermLookup& first, const TermLookup& second, const PairIndex& pairs) {
  TermLookup pair = first;
  pair.secondId = second.id;
  if (const std::optional<PairList> list = pairs.Find(first.id, second.id)) {
    pair.kind = LookupKind::kPair;
    pair.pairList = *list;
  } else {
    pair.kind = LookupKind::kAbsentPair;
  }
  return pair;
}

}  // namespace

void UsePairLists(TermPlan& plan, const PairIndex& pairs) {
  if (!pairs.IsOpen()) return;
  const std::vector<TermLookup>& lookups = plan.lookups;
  std::vector<TermLookup> rewritten;
  rewritten.reserve(lookups.size());
  // Whether the lookup last written is a pair ending at lookup i - 1.
  bool pairBefore = false;
  size_t i = 0;
  while (i < lookups.size()) {
    if (i + 1 < lookups.size() && Adjacent(lookups[i], lookups[i + 1], pairs)) {
      rewritten.push_back(PairLookup(lookups[i], lookups[i + 1], pairs));
      pairBefore = true;
      i += 2;
    } else if (pairBefore && Adjacent(lookups[i - 1], lookups[i], pairs)) {
      // The last of an odd run: its pair with the character before, read
      // twice, beats the character's own list.
      rewritten.push_back(PairLookup(lookups[i - 1], lookups[i], pairs));
      pairBefore = true;
      ++i;
    } else {
      rewritten.push_back(lookups[i]);
      pairBefore = false;
      ++i;
    }
  }
  plan.lookups = std::move(rewritten);
}

}  // namespace quillwen
