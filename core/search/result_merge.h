#pragma once

// Merging one term's result (T, C: pages ascending, place counts) into the result
// lists of a query.

#include <cstdint>
#include <span>
#include <vector>

namespace quillwen {

enum MergeMode : int { MergeReplace = 0, MergeUnion = 1, MergeIntersect = 2 };

struct ResultLists {
  std::vector<uint32_t> pages;
  std::vector<uint32_t> placeCounts;  // parallel to pages
  int32_t resultCount = 0;            // entries of pages
};

// MergeReplace: the lists become T and C.
// MergeUnion: a page of T already among the first resultCount pages adds its count
//   there; the others are appended in T's order.
// MergeIntersect: the pages of T also among the first resultCount pages, in T's
//   order, each with both counts added.
// Returns the new resultCount. REQUIRES: `termPages` ascending, as a term's match
// leaves them; `lists.pages` may be in any order (a union of several terms is not
// sorted as a whole), its pages found by a walk over a sorted view instead of a
// search per page.
int32_t MergeTermResult(MergeMode mode, std::span<const uint32_t> termPages,
                        std::span<const uint32_t> termCounts, ResultLists& lists);

}  // namespace quillwen
