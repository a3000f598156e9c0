#pragma once

// Turning an index result into result rows: one row per hit page inside the
// search range, named by category, book and volume, in reading order, and the
// other orders the result list offers.

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "core/panel_model/contents_node.h"

namespace quillwen {

class CoverFinder;

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
// them) that lie inside `range`, in reading order (the order of the pages in
// the collection), and returns the total number of places of those rows. Pages
// outside the range are dropped with their places. `range` may be the root of
// the contents graph (level 0): the whole collection, every page a top-level node
// covers, each row named as a search of its category names it.
int64_t BuildResults(const ContentsNodeTag& range, const std::vector<uint32_t>& pages,
                     const std::vector<uint32_t>& placeCounts, std::vector<SearchNodeTag>& rows);

// Names the pages of a range: the row of a page, as BuildResults makes it.
// Finding the book and volume of a page is a binary search over the range's
// children or grandchildren when they are ordered and disjoint, as a built
// catalogue's are; overlapping ones are searched in order.
class PageLocator {
 public:
  // `range` must outlive the locator.
  explicit PageLocator(const ContentsNodeTag& range);
  ~PageLocator();
  PageLocator(const PageLocator&) = delete;
  PageLocator& operator=(const PageLocator&) = delete;

  // The row of index page `page` with `count` places; nothing when the range
  // does not cover the page.
  std::optional<SearchNodeTag> Locate(uint32_t page, uint32_t count = 0) const;

 private:
  const ContentsNodeTag& range_;
  std::u16string category_;
  std::unique_ptr<CoverFinder> books_;
  std::unique_ptr<CoverFinder> volumes_;
  // The whole collection: the categories, and a locator for each one met.
  std::unique_ptr<CoverFinder> categories_;
  mutable std::map<const ContentsNodeTag*, std::unique_ptr<PageLocator>> byCategory_;
};

// The orders a click on a header of the page rows gives.
enum class PageRowOrder {
  kReading,     // the order of the pages in the collection
  kVolumePage,  // by the page number within the volume, ties in reading order
  kPlaces,      // most places first, ties in reading order
};

// The indices of `rows` (in reading order) in `order`.
std::vector<uint32_t> RowOrderOf(std::span<const SearchNodeTag> rows, PageRowOrder order);

}  // namespace quillwen
