#pragma once

// Turning an index result into result rows: one row per hit page inside the
// search range, named by category, book and volume, sorted by the page's number
// within its volume.

#include <cstdint>
#include <string>
#include <vector>

#include "core/panel_model/contents_node.h"

namespace quillwen {

struct SearchNodeTag {
  std::u16string category;
  std::u16string book;     // empty when no book was found
  std::u16string volume;   // empty when no volume was found
  int32_t page = 0;        // 0-based index page
  int32_t volumePage = 0;  // page number within the volume; 0 when no volume was found
  int32_t count = 0;       // places on the page

  bool operator==(const SearchNodeTag&) const = default;
};

// The name of the range's category: the range itself at level 1, its parent at
// level 2, its grandparent otherwise (empty where the graph has no such node).
std::u16string CategoryOf(const ContentsNodeTag& range);

// Builds the rows for `pages`/`placeCounts` (parallel lists, as the index leaves
// them) that lie inside `range`, sorted by volumePage (stable), and returns the
// total number of places of those rows. Pages outside the range are dropped with
// their places. Finding the book and volume of a page is a binary search over
// the range's children or grandchildren when they are ordered and disjoint, as a
// built catalogue's are; overlapping ones are searched in order.
int64_t BuildResults(const ContentsNodeTag& range, const std::vector<uint32_t>& pages,
                     const std::vector<uint32_t>& placeCounts, std::vector<SearchNodeTag>& rows);

}  // namespace quillwen
