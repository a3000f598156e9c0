#include "core/search/result_merge.h"

#include <algorithm>
#include <numeric>

namespace quillwen {
namespace {

// Finds the pages of an ascending list among the first `count` entries of `pages`.
// Both are walked in page order: directly when `pages` ascends already (every
// "and" result and the first term of an "or"), else through the indices of its
// entries sorted by page (the first entry of a page first, as a search from the
// front would find it).
class PageFinder {
 public:
  PageFinder(const std::vector<uint32_t>& pages, size_t count) : pages_(pages), count_(count) {
    if (!std::is_sorted(pages.begin(), pages.begin() + static_cast<std::ptrdiff_t>(count))) {
      order_.resize(count);
      std::iota(order_.begin(), order_.end(), 0u);
      std::stable_sort(order_.begin(), order_.end(),
                       [&](uint32_t x, uint32_t y) { return pages[x] < pages[y]; });
      sorted_ = false;
    }
  }

  // The index of `page`, or -1. REQUIRES: pages asked for in ascending order.
  int64_t Find(uint32_t page) {
    while (at_ < count_ && PageAt(at_) < page) ++at_;
    if (at_ < count_ && PageAt(at_) == page) return IndexAt(at_);
    return -1;
  }

 private:
  uint32_t IndexAt(size_t i) const { return sorted_ ? static_cast<uint32_t>(i) : order_[i]; }
  uint32_t PageAt(size_t i) const { return pages_[IndexAt(i)]; }

  const std::vector<uint32_t>& pages_;
  size_t count_;
  std::vector<uint32_t> order_;
  bool sorted_ = true;
  size_t at_ = 0;
};

}  // namespace

int32_t MergeTermResult(MergeMode mode, std::span<const uint32_t> termPages,
                        std::span<const uint32_t> termCounts, ResultLists& lists) {
  const size_t count =
      std::min(lists.pages.size(), static_cast<size_t>(std::max(lists.resultCount, 0)));
  switch (mode) {
    case MergeReplace:
      lists.pages.assign(termPages.begin(), termPages.end());
      lists.placeCounts.assign(termCounts.begin(), termCounts.end());
      break;
    case MergeUnion: {
      lists.placeCounts.resize(lists.pages.size());
      PageFinder finder(lists.pages, count);
      for (size_t t = 0; t < termPages.size(); ++t) {
        const int64_t i = finder.Find(termPages[t]);
        if (i >= 0) {
          lists.placeCounts[static_cast<size_t>(i)] += termCounts[t];
        } else {
          lists.pages.push_back(termPages[t]);
          lists.placeCounts.push_back(termCounts[t]);
        }
      }
      break;
    }
    case MergeIntersect: {
      lists.placeCounts.resize(lists.pages.size());
      ResultLists kept;
      PageFinder finder(lists.pages, count);
      for (size_t t = 0; t < termPages.size(); ++t) {
        const int64_t i = finder.Find(termPages[t]);
        if (i < 0) continue;
        kept.pages.push_back(termPages[t]);
        kept.placeCounts.push_back(termCounts[t] + lists.placeCounts[static_cast<size_t>(i)]);
      }
      lists.pages = std::move(kept.pages);
      lists.placeCounts = std::move(kept.placeCounts);
      break;
    }
  }
  lists.resultCount = static_cast<int32_t>(lists.pages.size());
  return lists.resultCount;
}

}  // namespace quillwen
