#include "core/panel_model/search_results.h"

#include <algorithm>
#include <array>
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
      const std::optional<PageSpan> span = CoveredSpan(node->docID, node->docNo);
      if (!span) continue;
      if (!first && span->first <= previousLast) ordered_ = false;
      spans_.push_back({span->first, span->last, node});
      previousLast = span->last;
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
    const uint64_t x = uint64_t{page} + 1;
    auto after =
        std::upper_bound(spans_.begin(), spans_.end(), x,
                         [](uint64_t value, const Span& span) { return value < span.begin; });
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

// The number of index page `page` within `volume`, as the page toolbar counts.
int32_t PageWithin(const ContentsNodeTag& volume, uint32_t page) {
  return static_cast<int32_t>(page + 1 - static_cast<uint32_t>(volume.docID) + volume.curFileName);
}

// A signed number as an unsigned one of the same order.
uint32_t Biased(int32_t value) { return static_cast<uint32_t>(value) ^ 0x80000000u; }

// Sorts `keys` by their upper 32 bits, keeping the order of keys equal there: a
// byte at a time from the lowest, skipping a byte all keys share (page numbers
// and place counts are small), so that 200,000 rows take a pass or two.
void SortByUpperHalf(std::vector<uint64_t>& keys, std::vector<uint64_t>& scratch) {
  if (keys.empty()) return;
  scratch.resize(keys.size());
  for (int shift = 32; shift < 64; shift += 8) {
    std::array<size_t, 257> starts{};
    for (const uint64_t key : keys) ++starts[((key >> shift) & 0xFF) + 1];
    if (starts[((keys.front() >> shift) & 0xFF) + 1] == keys.size()) continue;
    for (size_t b = 1; b < starts.size(); ++b) starts[b] += starts[b - 1];
    for (const uint64_t key : keys) scratch[starts[(key >> shift) & 0xFF]++] = key;
    keys.swap(scratch);
  }
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

const PageLocator* PageLocator::CategoryLocator(uint32_t page) const {
  const ContentsNodeTag* category = categories_->Find(page);
  if (category == nullptr) return nullptr;
  auto [at, added] = byCategory_.try_emplace(category);
  if (added) at->second = std::make_unique<PageLocator>(*category);
  return at->second.get();
}

bool PageLocator::Covers(uint32_t page) const {
  if (categories_) return categories_->Find(page) != nullptr;
  return range_.Covers(page);
}

const ContentsNodeTag* PageLocator::VolumeOf(uint32_t page) const {
  return range_.level == 1 || range_.level == 2 ? volumes_->Find(page) : &range_;
}

int32_t PageLocator::VolumePageOf(uint32_t page) const {
  if (categories_) {
    const PageLocator* inner = CategoryLocator(page);
    return inner != nullptr ? inner->VolumePageOf(page) : 0;
  }
  if (!range_.Covers(page)) return 0;
  const ContentsNodeTag* volume = VolumeOf(page);
  return volume != nullptr ? PageWithin(*volume, page) : 0;
}

std::optional<SearchNodeTag> PageLocator::Locate(uint32_t page, uint32_t count) const {
  if (categories_) {
    const PageLocator* inner = CategoryLocator(page);
    if (inner == nullptr) return std::nullopt;
    return inner->Locate(page, count);
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
  if (const ContentsNodeTag* volume = VolumeOf(page)) {
    row.volume = volume->name;
    row.volumePage = PageWithin(*volume, page);
  }
  row.page = static_cast<int32_t>(page);
  row.count = static_cast<int32_t>(count);
  return row;
}

int64_t BuildResults(const ContentsNodeTag& range, const std::vector<uint32_t>& pages,
                     const std::vector<uint32_t>& placeCounts, std::vector<SearchNodeTag>& rows) {
  ResultRows kept;
  kept.Assign(&range, pages, placeCounts);
  rows.clear();
  rows.reserve(kept.Count());
  for (size_t i = 0; i < kept.Count(); ++i) rows.push_back(kept.Row(i));
  return kept.Places();
}

ResultRows::ResultRows() = default;
ResultRows::~ResultRows() = default;

void ResultRows::Assign(const ContentsNodeTag* range, std::span<const uint32_t> pages,
                        std::span<const uint32_t> placeCounts, PageRowOrder order) {
  pages_.clear();
  counts_.clear();
  places_ = 0;
  if (range != range_) {
    locator_ = range != nullptr ? std::make_unique<PageLocator>(*range) : nullptr;
    range_ = range;
  }
  if (locator_) {
    const size_t count = std::min(pages.size(), placeCounts.size());
    for (size_t i = 0; i < count; ++i) {
      if (!locator_->Covers(pages[i])) continue;
      pages_.push_back(pages[i]);
      counts_.push_back(placeCounts[i]);
      places_ += placeCounts[i];
    }
  }
  // An "or" of several terms lists its pages term by term: the reader wants
  // them in the order the collection has them. A page comes once in a result,
  // so ordering page and count together as one number is that order.
  if (!std::is_sorted(pages_.begin(), pages_.end())) {
    keys_.clear();
    for (size_t i = 0; i < pages_.size(); ++i)
      keys_.push_back(uint64_t{pages_[i]} << 32 | counts_[i]);
    std::sort(keys_.begin(), keys_.end());
    for (size_t i = 0; i < keys_.size(); ++i) {
      pages_[i] = static_cast<uint32_t>(keys_[i] >> 32);
      counts_[i] = static_cast<uint32_t>(keys_[i]);
    }
  }
  Order(order);
}

void ResultRows::Clear() {
  pages_.clear();
  counts_.clear();
  listed_.clear();
  places_ = 0;
  locator_.reset();
  range_ = nullptr;
}

SearchNodeTag ResultRows::Row(size_t i) const {
  std::optional<SearchNodeTag> row = locator_->Locate(pages_[i], counts_[i]);
  return row ? std::move(*row) : SearchNodeTag{};
}

void ResultRows::Order(PageRowOrder order) {
  order_ = order;
  listed_.clear();
  if (order == PageRowOrder::kReading) return;
  // Each key carries its row's reading index below the number sorted by; made
  // in reading order and sorted stably by the number, ties stay in reading order.
  keys_.clear();
  for (size_t i = 0; i < pages_.size(); ++i) {
    const uint32_t number = order == PageRowOrder::kVolumePage
                                ? Biased(locator_->VolumePageOf(pages_[i]))
                                : ~Biased(static_cast<int32_t>(counts_[i]));  // most first
    keys_.push_back(uint64_t{number} << 32 | i);
  }
  SortByUpperHalf(keys_, scratch_);
  for (const uint64_t key : keys_) listed_.push_back(static_cast<uint32_t>(key));
}

}  // namespace quillwen
