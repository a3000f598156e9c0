#include "core/search/directory_cache.h"

#include <algorithm>

namespace quillwen {

std::shared_ptr<const BlockDirectory> DirectoryCache::Get(uint32_t id, const PostingSource& source,
                                                          uint32_t firstBlock, uint32_t lastPage,
                                                          uint32_t firstOffset) const {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (const auto found = directories_.find(id); found != directories_.end()) {
      found->second.lastUse = ++uses_;
      return found->second.directory;
    }
  }
  // Made outside the lock: a survey of a long list takes a while, and two searches
  // that make the same one at once only waste a little work.
  auto directory = std::make_shared<const BlockDirectory>(
      PostingCursor::Survey(source, firstBlock, lastPage, PageMaps::kForLongLists, firstOffset));
  std::lock_guard<std::mutex> lock(mutex_);
  if (const auto found = directories_.find(id); found != directories_.end()) {
    found->second.lastUse = ++uses_;
    return found->second.directory;
  }
  const size_t bytes = directory->Bytes();
  if (bytes > budget_) return directory;
  while (bytesKept_ + bytes > budget_) {
    // A search uses a handful of lists, so a scan for the oldest is cheap beside
    // the survey that made the new one.
    const auto oldest = std::min_element(
        directories_.begin(), directories_.end(),
        [](const auto& a, const auto& b) { return a.second.lastUse < b.second.lastUse; });
    bytesKept_ -= oldest->second.directory->Bytes();
    directories_.erase(oldest);
  }
  directories_.emplace(id, Kept{directory, ++uses_});
  bytesKept_ += bytes;
  return directory;
}

void DirectoryCache::Clear() {
  std::lock_guard<std::mutex> lock(mutex_);
  directories_.clear();
  bytesKept_ = 0;
}

size_t DirectoryCache::BytesKept() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return bytesKept_;
}

}  // namespace quillwen
