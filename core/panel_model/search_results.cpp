#include "core/panel_model/search_results.h"

#include <algorithm>
#include <memory>

namespace quillwen {
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

namespace {

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

PageLocator::PageLocator(const ContentsNodeTag& range) : range_(range) {
  if (range.level == 0) {
    // The whole collection: each page's category first, then its book and
    // volume inside that category as a category range finds them.
    categories_ = std::make_unique<CoverFinder>(ChildrenOf(range));
    return;
  }
  category_ = CategoryOf(range);
  // Level 1 looks for the book among the children and the volume among the
  // grandchildren; level 2 for the volume among the children.
  books_ = std::make_unique<CoverFinder>(range.level == 1 ? ChildrenOf(range)
                                                          : std::vector<const ContentsNodeTag*>{});
  volumes_ =
      std::make_unique<CoverFinder>(range.level == 1   ? GrandchildrenOf(range)
                                    : range.level == 2 ? ChildrenOf(range)
                                                       : std::vector<const ContentsNodeTag*>{});
}

PageLocator::~PageLocator() = default;

std::optional<SearchNodeTag> PageLocator::Locate(uint32_t page, uint32_t count) const {
  if (categories_) {
    const ContentsNodeTag* category = categories_->Find(page);
    if (category == nullptr) return std::nullopt;
    auto [at, added] = byCategory_.try_emplace(category);
    if (added) at->second = std::make_unique<PageLocator>(*category);
    return at->second->Locate(page, count);
  }
  if (!range_.Covers(page)) return std::nullopt;
  SearchNodeTag row;
  row.category = category_;
  if (range_.level == 1)
    row.book = NameOf(books_->Find(page));
  else if (range_.level == 2)
    row.book = range_.name;
  else if (range_.level == 3)
    row.book = NameOf(range_.pParent);
  const ContentsNodeTag* volume =
      range_.level == 1 || range_.level == 2 ? volumes_->Find(page) : &range_;
  if (volume != nullptr) {
    row.volume = volume->name;
    row.volumePage =
        static_cast<int32_t>(page + 1 - static_cast<uint32_t>(volume->docID) + volume->curFileName);
  }
  row.page = static_cast<int32_t>(page);
  row.count = static_cast<int32_t>(count);
  return row;
}

int64_t BuildResults(const ContentsNodeTag& range, const std::vector<uint32_t>& pages,
                     const std::vector<uint32_t>& placeCounts, std::vector<SearchNodeTag>& rows) {
  rows.clear();
  const PageLocator locator(range);
  int64_t places = 0;
  const size_t count = std::min(pages.size(), placeCounts.size());
  for (size_t i = 0; i < count; ++i) {
    std::optional<SearchNodeTag> row = locator.Locate(pages[i], placeCounts[i]);
    if (!row) continue;
    places += placeCounts[i];
    rows.push_back(std::move(*row));
  }
  // An "or" of several terms lists its pages term by term: the reader wants
  // them in the order the collection has them.
  std::sort(rows.begin(), rows.end(),
            [](const SearchNodeTag& a, const SearchNodeTag& b) { return a.page < b.page; });
  return places;
}

std::vector<uint32_t> RowOrderOf(std::span<const SearchNodeTag> rows, PageRowOrder order) {
  std::vector<uint32_t> indices(rows.size());
  for (uint32_t i = 0; i < indices.size(); ++i) indices[i] = i;
  switch (order) {
    case PageRowOrder::kReading:
      break;
    case PageRowOrder::kVolumePage:
      std::stable_sort(indices.begin(), indices.end(), [&](uint32_t a, uint32_t b) {
        return rows[a].volumePage < rows[b].volumePage;
      });
      break;
    case PageRowOrder::kPlaces:
      std::stable_sort(indices.begin(), indices.end(),
                       [&](uint32_t a, uint32_t b) { return rows[a].count > rows[b].count; });
      break;
  }
  return indices;
}

}  // namespace quillwen
