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
// covers, each row named as a search of its category names it. Every row is
// made: ResultRows makes only those asked for.
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

  // Whether index page `page` lies inside the range: for the whole collection,
  // inside one of its top-level nodes.
  bool Covers(uint32_t page) const;
  // The row of index page `page` with `count` places; nothing when the range
  // does not cover the page.
  std::optional<SearchNodeTag> Locate(uint32_t page, uint32_t count = 0) const;
  // The row's volumePage alone, without its names: 0 when no volume holds the
  // page or the range does not cover it.
  int32_t VolumePageOf(uint32_t page) const;

 private:
  // The volume of a covered page; null when none was found.
  const ContentsNodeTag* VolumeOf(uint32_t page) const;
  // The whole collection: the locator of the category that covers `page`.
  const PageLocator* CategoryLocator(uint32_t page) const;

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

// The rows of a search, kept as numbers: the pages inside the range in reading
// order with their places, and the order the rows are listed in. A row's names
// are made only when the row is asked for, so that a search of a character on
// 100,000 pages costs what its pages cost, not 100,000 rows of names; and
// sorting orders the row numbers by numeric keys. A new result reuses the space
// of the last, so nothing large is freed when one search replaces another.
class ResultRows {
 public:
  ResultRows();
  ~ResultRows();
  ResultRows(const ResultRows&) = delete;
  ResultRows& operator=(const ResultRows&) = delete;

  // Keeps the pages of `pages`/`placeCounts` (parallel, as the index leaves
  // them) that `range` covers, as BuildResults would, listed in `order`. Null
  // `range` keeps nothing. `range` may be the root of the contents graph (the
  // whole collection); it and the graph around it must stay as they are until
  // the next Assign or Clear.
  void Assign(const ContentsNodeTag* range, std::span<const uint32_t> pages,
              std::span<const uint32_t> placeCounts, PageRowOrder order = PageRowOrder::kReading);
  // No rows, and no hold on any contents node: for a catalogue loaded anew.
  void Clear();

  size_t Count() const { return pages_.size(); }
  int64_t Places() const { return places_; }

  // Row `i` in reading order: its index page, its places, the row with names.
  uint32_t PageAt(size_t i) const { return pages_[i]; }
  uint32_t PlacesAt(size_t i) const { return counts_[i]; }
  SearchNodeTag Row(size_t i) const;

  // Lists the rows in `order` from now on.
  void Order(PageRowOrder order);
  PageRowOrder CurrentOrder() const { return order_; }
  // The reading index of the row listed at `position`.
  size_t ReadingIndexAt(size_t position) const {
    return listed_.empty() ? position : listed_[position];
  }
  SearchNodeTag OrderedRow(size_t position) const { return Row(ReadingIndexAt(position)); }
  uint32_t OrderedPage(size_t position) const { return pages_[ReadingIndexAt(position)]; }

 private:
  const ContentsNodeTag* range_ = nullptr;
  std::unique_ptr<PageLocator> locator_;  // of range_, kept while the range stays
  std::vector<uint32_t> pages_;           // reading order
  std::vector<uint32_t> counts_;          // parallel to pages_
  int64_t places_ = 0;
  PageRowOrder order_ = PageRowOrder::kReading;
  std::vector<uint32_t> listed_;   // reading indices in order_; empty in reading order
  std::vector<uint64_t> keys_;     // sort keys, kept for their space
  std::vector<uint64_t> scratch_;  // the same
};

}  // namespace quillwen
