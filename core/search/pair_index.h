#pragma once

// PairIndex: an open pair index (layout in core/search/pair_index_format.h), the
// companion of one index set, mapped read-only.
//
// Nothing is used before it is checked. Open checks that the file serves this
// very index set (the postings file's size and the digest of its header's
// tables), the size of every table against the file, and the first pair of each
// stretch of kStretchPairs ascending; a stretch's own pairs (ascending, within
// the stretch's bounds, each list's start inside the list area) are checked the
// first time a lookup enters it, so that opening a set costs no walk through
// millions of pairs. A list's bytes are checked as they are read, as an index
// set's are (PostingCursor): a damaged list ends where the damage is. Whatever
// is found damaged, the caller is told, and searches without the file.

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "core/common/data_fault.h"
#include "core/io/mapped_file.h"
#include "core/search/directory_cache.h"
#include "core/search/pair_index_format.h"
#include "core/search/posting_cursor.h"

namespace quillwen {

class VariantTable;

// What the pair index records of the index set it serves: the digest of its
// FirstBlock and LastPage tables (kIdentifierCount entries each).
uint64_t PairIndexDigest(std::span<const uint32_t> firstBlock, std::span<const uint32_t> lastPage);

// The digest of a variant table's groups, 0 for a table without groups.
uint64_t VariantGroupsDigest(const VariantTable& table);

// Where one pair's list lies in the list area.
struct PairList {
  uint32_t entry = 0;  // its place in the pair table, which names it in the cache
  uint32_t block = 0;
  uint32_t offset = 0;
  uint32_t lastPage = 0;
};

// What the served index set must be for a pair index to belong to it.
struct ServedIndex {
  uint64_t postingsSize = 0;
  uint64_t digest = 0;          // PairIndexDigest of its header
  uint64_t variantsDigest = 0;  // VariantGroupsDigest of the variant table in use
};

// The served index set folder/baseName + IndexSetSuffix(scope), as its files
// and the folder's variant table describe it, without opening its volume store:
// for a writer that has just written the set. Nothing, with *fault, when its
// header cannot be read.
std::optional<ServedIndex> DescribeServedIndex(const std::filesystem::path& folder,
                                               std::u16string_view baseName, IndexScope scope,
                                               DataFault* fault);

class PairIndex {
 public:
  PairIndex() = default;
  PairIndex(const PairIndex&) = delete;
  PairIndex& operator=(const PairIndex&) = delete;

  // Maps `path` and checks it against `served`. False, with Fault() saying why,
  // when the file is missing (Absent()), is not a pair index, is damaged or
  // serves another index set; nothing stays open then.
  bool Open(const std::filesystem::path& path, const ServedIndex& served);
  void Close();
  bool IsOpen() const { return open_; }
  bool Absent() const { return absent_; }
  DataFault Fault() const {
    std::lock_guard<std::mutex> lock(faultMutex_);
    return fault_;
  }
  const std::filesystem::path& Path() const { return path_; }

  // Whether identifier `id`'s pairs with other covered identifiers are all in
  // the file.
  bool Covers(uint32_t id) const {
    return open_ && id < kIdentifierCount && (covered_[id / 8] >> (id % 8) & 1) != 0;
  }
  // Whether the file holds group pairs made with the variant table in use.
  bool HasGroupPairs() const { return open_ && groupPairs_; }

  // The list of the pair (first, second); nothing when the file has no entry
  // for it, or when the stretch of the table where it would be is damaged
  // (Damaged()).
  std::optional<PairList> Find(uint32_t first, uint32_t second) const;
  uint32_t PairCount() const { return pairCount_; }
  // Whether a lookup found the table damaged, with Fault() saying where. The
  // file is not to be used any more.
  bool Damaged() const { return damaged_.load(std::memory_order_acquire); }

  static constexpr uint32_t kStretchPairs = 4096;

  const PostingSource& Source() const { return source_; }
  const DirectoryCache& Directories() const { return directories_; }

 private:
  bool Fail(std::string problem);
  uint64_t Key(uint32_t entry) const;
  // Checks stretch `stretch` once; false when it is damaged.
  bool StretchIntact(uint32_t stretch) const;
  std::optional<std::string> StretchFault(uint32_t stretch) const;

  io::MappedFile file_;
  std::filesystem::path path_;
  mutable DataFault fault_;
  bool open_ = false;
  bool absent_ = false;
  bool groupPairs_ = false;
  const unsigned char* covered_ = nullptr;
  const unsigned char* table_ = nullptr;
  uint32_t pairCount_ = 0;
  uint32_t blocks_ = 0;
  // 0 unchecked, 1 intact, 2 damaged; lookups may run at once.
  std::unique_ptr<std::atomic<uint8_t>[]> stretches_;
  mutable std::atomic<bool> damaged_ = false;
  mutable std::mutex faultMutex_;    // guards fault_ once the file is open
  std::vector<uint32_t> nextBlock_;  // the area's blocks follow each other
  PostingSource source_;
  DirectoryCache directories_{DirectoryCache::kDefaultBudget / 2};
};

}  // namespace quillwen
