#include "core/search/directory_cache.h"

namespace quillwen {

std::shared_ptr<const BlockDirectory> DirectoryCache::Get(uint32_t id, const PostingSource& source,
                                                          uint32_t firstBlock,
                                                          uint32_t lastPage) const {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (const auto found = directories_.find(id); found != directories_.end()) return found->second;
  }
  // Made outside the lock: a survey of a long list takes a while, and two searches
  // that make the same one at once only waste a little work.
  auto directory =
      std::make_shared<const BlockDirectory>(PostingCursor::Survey(source, firstBlock, lastPage));
  std::lock_guard<std::mutex> lock(mutex_);
  if (const auto found = directories_.find(id); found != directories_.end()) return found->second;
  const size_t entries = directory->entries.size();
  if (entriesKept_ + entries <= source.blockCount) {
    directories_.emplace(id, directory);
    entriesKept_ += entries;
  }
  return directory;
}

void DirectoryCache::Clear() {
  std::lock_guard<std::mutex> lock(mutex_);
  directories_.clear();
  entriesKept_ = 0;
}

size_t DirectoryCache::EntriesKept() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return entriesKept_;
}

}  // namespace quillwen
