#include "core/panel_model/search_results.h"

#include <algorithm>

namespace quillwen {
namespace {

// Finds the first node, in the order given, that covers a page.
class CoverFinder {
 public:
  explicit CoverFinder(std::vector<const ContentsNodeTag*> nodes) : nodes_(std::move(nodes)) {
    // Nodes whose page span is empty cover nothing; the others, when each begins
    // after the one before ends, can be searched by their first page.
    uint32_t previousLast = 0;
    bool first = true;
    ordered_ = true;
    for (const ContentsNodeTag* node : nodes_) {
      const uint32_t begin = static_cast<uint32_t>(node->docID);
      const uint32_t last = begin + static_cast<uint32_t>(node->docNo) - 1;
      if (last < begin) continue;
      if (!first && begin <= previousLast) ordered_ = false;
      spans_.push_back({begin, last, node});
      previousLast = last;
      first = false;
    }
  }

  const ContentsNodeTag* Find(uint32_t page) const {
    if (!ordered_) {
      for (const ContentsNodeTag* node : nodes_) {
        if (node->Covers(page)) return node;
      }
      return nullptr;
    }
    const uint32_t x = page + 1;
    auto after =
        std::upper_bound(spans_.begin(), spans_.end(), x,
                         [](uint32_t value, const Span& span) { return value < span.begin; });
    if (after == spans_.begin()) return nullptr;
    const Span& span = *(after - 1);
    return x <= span.last ? span.node : nullptr;
  }

 private:
  struct Span {
    uint32_t begin;
    uint32_t last;
    const ContentsNodeTag* node;
  };
  std::vector<const ContentsNodeTag*> nodes_;
  std::vector<Span> spans_;
  bool ordered_ = true;
};

std::vector<const ContentsNodeTag*> ChildrenOf(const ContentsNodeTag& node) {
  std::vector<const ContentsNodeTag*> children;
  for (const auto& child : node.children) children.push_back(child.get());
  return children;
}

std::vector<const ContentsNodeTag*> GrandchildrenOf(const ContentsNodeTag& node) {
  std::vector<const ContentsNodeTag*> grandchildren;
  for (const auto& child : node.children) {
    for (const auto& grandchild : child->children) grandchildren.push_back(grandchild.get());
  }
  return grandchildren;
}

std::u16string NameOf(const ContentsNodeTag* node) {
  return node != nullptr ? node->name : std::u16string();
}

}  // namespace

std::u16string CategoryOf(const ContentsNodeTag& range) {
  if (range.level == 1) return range.name;
  if (range.level == 2) return NameOf(range.pParent);
  return range.pParent != nullptr ? NameOf(range.pParent->pParent) : std::u16string();
}

int64_t BuildResults(const ContentsNodeTag& range, const std::vector<uint32_t>& pages,
                     const std::vector<uint32_t>& placeCounts, std::vector<SearchNodeTag>& rows) {
  rows.clear();
  const std::u16string category = CategoryOf(range);
  // Level 1 looks for the book among the children and the volume among the
  // grandchildren; level 2 for the volume among the children.
  const CoverFinder books(range.level == 1 ? ChildrenOf(range)
                                           : std::vector<const ContentsNodeTag*>{});
  const CoverFinder volumes(range.level == 1   ? GrandchildrenOf(range)
                            : range.level == 2 ? ChildrenOf(range)
                                               : std::vector<const ContentsNodeTag*>{});
  int64_t places = 0;
  const size_t count = std::min(pages.size(), placeCounts.size());
  for (size_t i = 0; i < count; ++i) {
    const uint32_t p = pages[i];
    if (!range.Covers(p)) continue;
    SearchNodeTag row;
    row.category = category;
    if (range.level == 1)
      row.book = NameOf(books.Find(p));
    else if (range.level == 2)
      row.book = range.name;
    else if (range.level == 3)
      row.book = NameOf(range.pParent);
    const ContentsNodeTag* volume = range.level == 1 || range.level == 2 ? volumes.Find(p) : &range;
    if (volume != nullptr) {
      row.volume = volume->name;
      row.volumePage =
          static_cast<int32_t>(p + 1 - static_cast<uint32_t>(volume->docID) + volume->curFileName);
    }
    row.page = static_cast<int32_t>(p);
    row.count = static_cast<int32_t>(placeCounts[i]);
    places += placeCounts[i];
    rows.push_back(std::move(row));
  }
  std::stable_sort(rows.begin(), rows.end(), [](const SearchNodeTag& a, const SearchNodeTag& b) {
    return a.volumePage < b.volumePage;
  });
  return places;
}

}  // namespace quillwen
