#pragma once

// The block directories (and page maps) of the posting lists an open index set
// has been asked about, each made once (PostingCursor::Survey) and kept while the
// set is open and they fit the cache's budget.
//
// Memory is bounded by the budget: when a new directory would pass it, the ones
// used least recently are let go first. A directory larger than the whole budget
// is still handed out for the query that asked, but not kept.
//
// Lookups may come from several searches at once (CIndex::Search is const); a
// directory once handed out stays valid for as long as its holder keeps it.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <unordered_map>

#include "core/search/posting_cursor.h"

namespace quillwen {

class DirectoryCache {
 public:
  // Enough for the page maps of a score of the commonest characters of a
  // collection of two million pages.
  static constexpr size_t kDefaultBudget = size_t{128} << 20;

  explicit DirectoryCache(size_t budget = kDefaultBudget) : budget_(budget) {}

  // The directory of list `id`, which begins at byte `firstOffset` of block
  // `firstBlock` and ends at `lastPage` in `source`: the kept one, or a new one
  // made now.
  std::shared_ptr<const BlockDirectory> Get(uint32_t id, const PostingSource& source,
                                            uint32_t firstBlock, uint32_t lastPage,
                                            uint32_t firstOffset = 0) const;

  // Forgets every directory; for when the index set closes.
  void Clear();

  // The bytes of the directories kept, over all lists.
  size_t BytesKept() const;

 private:
  struct Kept {
    std::shared_ptr<const BlockDirectory> directory;
    uint64_t lastUse;
  };

  const size_t budget_;
  mutable std::mutex mutex_;
  mutable std::unordered_map<uint32_t, Kept> directories_;
  mutable size_t bytesKept_ = 0;
  mutable uint64_t uses_ = 0;
};

}  // namespace quillwen
