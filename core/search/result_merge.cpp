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

  bool Sorted() const { return sorted_; }

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
                        std::span<const uint32_t> termCounts, SearchResult& result) {
  const size_t count = result.pages.size();
  switch (mode) {
    case MergeReplace:
      result.pages.assign(termPages.begin(), termPages.end());
      result.placeCounts.assign(termCounts.begin(), termCounts.end());
      break;
    case MergeUnion: {
      result.placeCounts.resize(result.pages.size());
      PageFinder finder(result.pages, count);
      for (size_t t = 0; t < termPages.size(); ++t) {
        const int64_t i = finder.Find(termPages[t]);
        if (i >= 0) {
          result.placeCounts[static_cast<size_t>(i)] += termCounts[t];
        } else {
          result.pages.push_back(termPages[t]);
          result.placeCounts.push_back(termCounts[t]);
        }
      }
      break;
    }
    case MergeIntersect: {
      result.placeCounts.resize(result.pages.size());
      PageFinder finder(result.pages, count);
      if (finder.Sorted()) {
        // Kept in place: the k-th page kept was found at index k or later, and
        // the finder reads no index below the one it found last.
        size_t kept = 0;
        for (size_t t = 0; t < termPages.size(); ++t) {
          const int64_t i = finder.Find(termPages[t]);
          if (i < 0) continue;
          const uint32_t places = termCounts[t] + result.placeCounts[static_cast<size_t>(i)];
          result.pages[kept] = termPages[t];
          result.placeCounts[kept] = places;
          ++kept;
        }
        result.pages.resize(kept);
        result.placeCounts.resize(kept);
        break;
      }
      std::vector<uint32_t> keptPages;
      std::vector<uint32_t> keptCounts;
      for (size_t t = 0; t < termPages.size(); ++t) {
        const int64_t i = finder.Find(termPages[t]);
        if (i < 0) continue;
        keptPages.push_back(termPages[t]);
        keptCounts.push_back(termCounts[t] + result.placeCounts[static_cast<size_t>(i)]);
      }
      result.pages = std::move(keptPages);
      result.placeCounts = std::move(keptCounts);
      break;
    }
  }
  return result.resultCount();
}

}  // namespace quillwen
