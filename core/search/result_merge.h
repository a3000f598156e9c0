#pragma once

// The result of a query, and merging one term's result (T, C: pages ascending,
// place counts) into it.

#include <cstdint>
#include <span>
#include <vector>

namespace quillwen {

enum MergeMode : int { MergeReplace = 0, MergeUnion = 1, MergeIntersect = 2 };

// What a query found: each matching page once, with the places counted on it.
struct SearchResult {
  std::vector<uint32_t> pages;        // entry indices; see MergeTermResult for the order
  std::vector<uint32_t> placeCounts;  // parallel to pages
  // A posting list failed a check while it was read: its matching ended there,
  // so the result may lack pages that the damaged part of the index held.
  bool damagedList = false;
  // A list of the pair index failed a check: the terms that read it were matched
  // again without it, so the result is whole, and the file is set aside.
  bool damagedPairIndex = false;
  // The posting-list bytes the cursors walked through, skipped bytes included.
  uint64_t postingBytes = 0;

  int32_t resultCount() const { return static_cast<int32_t>(pages.size()); }
};

// MergeReplace: the lists become T and C.
// MergeUnion: a page of T already in the result adds its count there; the others
//   are appended in T's order.
// MergeIntersect: the pages of T also in the result, in T's order, each with both
//   counts added.
// Returns the new resultCount. REQUIRES: `termPages` ascending, as a term's match
// leaves them; `result.pages` may be in any order (a union of several terms is not
// sorted as a whole), its pages found by a walk over a sorted view instead of a
// search per page.
int32_t MergeTermResult(MergeMode mode, std::span<const uint32_t> termPages,
                        std::span<const uint32_t> termCounts, SearchResult& result);

}  // namespace quillwen
