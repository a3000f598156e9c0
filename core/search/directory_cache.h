#pragma once

// The block directories of the posting lists an open index set has been asked
// about, each made once (PostingCursor::Survey) and kept until the set closes.
//
// Memory is bounded by the postings file: at most one entry (16 bytes) per block
// of the file is kept over all lists together, which a sound file never exceeds
// as its lists share no blocks. A directory past that bound is still handed out
// for the query that asked, but not kept.
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
  // The directory of list `id`, which begins at `firstBlock` and ends at
  // `lastPage` in `source`: the kept one, or a new one made now.
  std::shared_ptr<const BlockDirectory> Get(uint32_t id, const PostingSource& source,
                                            uint32_t firstBlock, uint32_t lastPage) const;

  // Forgets every directory; for when the index set closes.
  void Clear();

  // The directory entries kept, over all lists.
  size_t EntriesKept() const;

 private:
  mutable std::mutex mutex_;
  mutable std::unordered_map<uint32_t, std::shared_ptr<const BlockDirectory>> directories_;
  mutable size_t entriesKept_ = 0;
};

}  // namespace quillwen
