#include "core/search/posting_cursor.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace quillwen {

uint32_t BlockCountOf(size_t size) {
  const uint64_t blocks = (uint64_t{size} + kBlockSize - 1) / kBlockSize;
  return static_cast<uint32_t>(std::min<uint64_t>(blocks, kNoBlock));
}

bool PostingCursor::Fail() {
  damaged_ = true;
  positionBytesLeft_ = 0;
  lastPage_ = page_;
  return false;
}

bool PostingCursor::EnterBlock(uint32_t block) {
  // A list never needs more blocks than the file has; more means a cycle.
  if (block >= source_->blockCount || blocksEntered_ >= source_->blockCount) return false;
  const size_t start = size_t{block} * kBlockSize;
  block_ = block;
  blockData_ = source_->data + start;
  limit_ = static_cast<uint32_t>(std::min<size_t>(kBlockSize, source_->size - start));
  offset_ = 0;
  ++blocksEntered_;
  return true;
}

bool PostingCursor::EnterNextBlock() {
  if (limit_ < kBlockSize) return false;  // the file ends inside this block
  if (block_ >= source_->nextBlockCount) return false;
  return EnterBlock(source_->nextBlock[block_]);
}

bool PostingCursor::Start(const PostingSource& source, uint32_t firstBlock, uint32_t lastPage,
                          const BlockDirectory* directory, uint32_t firstOffset) {
  source_ = &source;
  directory_ = directory;
  AimAtDirectoryEntry(0);
  blockData_ = nullptr;
  block_ = firstBlock;
  offset_ = 0;
  limit_ = 0;
  page_ = 0;
  positionBytesLeft_ = 0;
  position_ = 0;
  lastPage_ = lastPage;
  blocksEntered_ = 0;
  firstOffset_ = 0;
  damaged_ = false;
  if (!EnterBlock(firstBlock)) return Fail();
  // A list that would begin past its block's last byte begins nowhere.
  if (firstOffset >= limit_) return Fail();
  offset_ = firstOffset;
  firstOffset_ = firstOffset;
  return ReadPageHeader(/*firstEntry=*/true);
}

bool PostingCursor::NextByte(uint8_t* byte) {
  if (offset_ == limit_ && !EnterNextBlock()) return Fail();
  *byte = blockData_[offset_++];
  return true;
}

bool PostingCursor::ReadVarNum(uint32_t* value) {
  uint8_t byte;
  if (!NextByte(&byte)) return false;
  const uint32_t length = VarNumLength(byte);
  uint32_t result = length == 1 ? byte : byte & 0x3Fu;
  for (uint32_t i = 1; i < length; ++i) {
    if (!NextByte(&byte)) return false;
    result = (result << 8) | byte;
  }
  *value = result;
  return true;
}

bool PostingCursor::ReadHeaderFields(uint32_t* delta, uint32_t* count) {
  if (offset_ + 5 <= limit_) {
    const unsigned char* bytes = blockData_ + offset_;
    const uint32_t length = VarNumLength(bytes[0]);
    *delta = DecodeVarNum(bytes);
    *count = LoadLE16(bytes + length);
    offset_ += length + 2;
    return true;
  }
  uint8_t low, high;
  if (!ReadVarNum(delta) || !NextByte(&low) || !NextByte(&high)) return false;
  *count = uint32_t{low} | (uint32_t{high} << 8);
  return true;
}

bool PostingCursor::ReadPageHeader(bool firstEntry) {
  uint32_t delta;
  uint32_t count;
  if (!ReadHeaderFields(&delta, &count)) return false;
  const uint32_t page = page_ + delta;
  // Pages ascend strictly (the first entry may be page 0), never wrap and never
  // pass the list's last page, or the cursor would read on past its list.
  const bool ascends = firstEntry || page > page_;
  if (!ascends || page > lastPage_ || count == 0) return Fail();
  page_ = page;
  positionBytesLeft_ = count;
  position_ = 0;
  return true;
}

bool PostingCursor::NextPositionSlow() {
  uint8_t byte;
  if (!NextByte(&byte)) return false;
  const uint32_t length = VarNumLength(byte);
  if (length > positionBytesLeft_) return Fail();
  uint32_t delta = length == 1 ? byte : byte & 0x3Fu;
  for (uint32_t i = 1; i < length; ++i) {
    if (!NextByte(&byte)) return false;
    delta = (delta << 8) | byte;
  }
  position_ += delta;
  positionBytesLeft_ -= length;
  return true;
}

namespace {

// Bit 7 of each of the eight bytes at `bytes`: set where a byte begins a VarNum of
// two or three bytes (or continues one).
inline uint64_t HighBits(const unsigned char* bytes) {
  uint64_t word;
  std::memcpy(&word, bytes, sizeof word);
  return word & 0x8080808080808080u;
}

// The bytes before the first one whose bit 7 is set. REQUIRES: highBits != 0.
inline uint32_t BytesBeforeHighBit(uint64_t highBits) {
  if constexpr (std::endian::native == std::endian::little) {
    return static_cast<uint32_t>(std::countr_zero(highBits)) / 8;
  } else {
    return static_cast<uint32_t>(std::countl_zero(highBits)) / 8;
  }
}

}  // namespace

int64_t PostingCursor::CountPositions() {
  // Most pages have a few position bytes, whole in the block: counted in a fixed
  // run of steps that takes no branch on their lengths, which vary from number
  // to number and page to page. A page whose numbers do not end exactly at its
  // last byte goes the general way, which meets the damage.
  if (positionBytesLeft_ <= kShortPage && offset_ + kShortPage + 3 <= limit_) {
    const unsigned char* bytes = blockData_ + offset_;
    const uint32_t size = positionBytesLeft_;
    uint32_t at = 0;
    uint32_t count = 0;
    const uint32_t steps = size <= kShortPage / 2 ? kShortPage / 2 : kShortPage;
    for (uint32_t step = 0; step < steps; ++step) {
      const uint32_t inside = at < size ? 1 : 0;
      const uint32_t first = bytes[at];
      at += inside * (1 + (first >= 0x80 ? 1 : 0) + (first >= 0xC0 ? 1 : 0));
      count += inside;
    }
    if (at == size) {
      offset_ += size;
      positionBytesLeft_ = 0;
      position_ = 0;
      return count;
    }
  }
  int64_t count = 0;
  while (positionBytesLeft_ > 0) {
    // Whole VarNums of this block first; the one crossing into the next block, if
    // any, through the byte-wise path.
    const uint32_t inBlock = std::min(positionBytesLeft_, limit_ - offset_);
    const unsigned char* bytes = blockData_ + offset_;
    uint32_t at = 0;
    // Eight bytes at a time: a run of one-byte VarNums is counted without looking
    // at its bytes one by one; a longer VarNum that starts in the word ends within
    // it or at most two bytes past it, which the loop bound leaves room for.
    while (at + 10 <= inBlock) {
      const uint64_t high = HighBits(bytes + at);
      if (high == 0) {
        at += 8;
        count += 8;
        continue;
      }
      const uint32_t ones = BytesBeforeHighBit(high);
      at += ones + VarNumLength(bytes[at + ones]);
      count += ones + 1;
    }
    while (at + 3 <= inBlock) {
      at += VarNumLength(bytes[at]);
      ++count;
    }
    while (at < inBlock && at + VarNumLength(bytes[at]) <= inBlock) {
      at += VarNumLength(bytes[at]);
      ++count;
    }
    offset_ += at;
    positionBytesLeft_ -= at;
    if (positionBytesLeft_ == 0) break;
    if (!NextPositionSlow()) return -1;
    ++count;
  }
  position_ = 0;  // the positions were not added up
  return count;
}

bool PostingCursor::SkipPositions() {
  // Skip the unread position bytes along the chain, one block at a time.
  uint32_t end = offset_ + positionBytesLeft_;
  while (end > limit_) {
    if (!EnterNextBlock()) return Fail();
    end -= kBlockSize;
  }
  offset_ = end;
  positionBytesLeft_ = 0;
  return true;
}

bool PostingCursor::NextPageSlow() {
  return SkipPositions() && ReadPageHeader(/*firstEntry=*/false);
}

void PostingCursor::AimAtDirectoryEntry(size_t at) {
  directoryAt_ = at;
  if (directory_ != nullptr && directory_->pageMap) {
    walkUpTo_ = 0;  // every skip goes through the page map
  } else {
    walkUpTo_ = directory_ != nullptr && at + 1 < directory_->entries.size()
                    ? directory_->entries[at + 1].pageBefore
                    : UINT32_MAX;
  }
}

bool PostingCursor::EnterAt(uint32_t block, uint32_t chainIndex, uint32_t offset) {
  // Directories and page maps belong to this list in this source, so these hold;
  // checked all the same, as a wrong one must not lead the cursor out of the file.
  if (block >= source_->blockCount) return Fail();
  const size_t start = size_t{block} * kBlockSize;
  const uint32_t limit = static_cast<uint32_t>(std::min<size_t>(kBlockSize, source_->size - start));
  if (offset >= limit) return Fail();
  block_ = block;
  blockData_ = source_->data + start;
  limit_ = limit;
  offset_ = offset;
  blocksEntered_ = chainIndex + 1;
  positionBytesLeft_ = 0;
  position_ = 0;
  return true;
}

bool PostingCursor::Jump(const BlockDirectory::Entry& entry) {
  if (!EnterAt(entry.block, entry.chainIndex, entry.offset)) return false;
  page_ = entry.pageBefore;
  return ReadPageHeader(/*firstEntry=*/false);
}

bool PostingCursor::JumpThroughPageMap(const PageMap& map, uint32_t target) {
  // The next entry is often the one sought when most pages are shared; it costs
  // no lookup.
  if (NextHeaderInBlock() && page_ >= target) return true;
  const uint32_t page = map.Has(target) ? target : map.PageAtOrAfter(target);
  return EnterMapEntry(map, map.Rank(page), page);
}

bool PostingCursor::JumpToMapEntry(uint32_t entry, uint32_t page) {
  if (page_ == page) return true;
  return EnterMapEntry(*directory_->pageMap, entry, page);
}

bool PostingCursor::EnterMapEntry(const PageMap& map, uint32_t entry, uint32_t page) {
  const PageMap::Place place = map.PlaceOf(entry);
  if (!EnterAt(place.block, place.chainIndex, place.offset)) return false;
  // The walk that made the map found this header's page delta leading to `page`.
  uint32_t delta;
  uint32_t count;
  if (!ReadHeaderFields(&delta, &count)) return false;
  page_ = page;
  position_ = 0;
  if (count == 0 || page > lastPage_) return Fail();
  positionBytesLeft_ = count;
  return true;
}

bool PostingCursor::SkipToSlow(uint32_t target) {
  if (page_ >= target) return true;
  if (target > lastPage_) return false;
  if (directory_ != nullptr && directory_->pageMap && target <= directory_->pageMap->LastPage())
    return JumpThroughPageMap(*directory_->pageMap, target);
  // The directory is consulted only when the target lies past the start of a later
  // block than the last one found: most skips of a dense intersection stay within
  // a block, and a walk through a few headers beats a search there.
  if (walkUpTo_ < target) {
    // The last entry with a page before the target: the page sought starts in its
    // block or after it. Targets ascend, so the search starts where the last ended.
    const std::vector<BlockDirectory::Entry>& entries = directory_->entries;
    const auto after = std::upper_bound(
        entries.begin() + static_cast<std::ptrdiff_t>(directoryAt_ + 1), entries.end(), target - 1,
        [](uint32_t page, const BlockDirectory::Entry& e) { return page < e.pageBefore; });
    const size_t found = static_cast<size_t>(after - entries.begin());
    if (found > 0) {
      AimAtDirectoryEntry(found - 1);
      const BlockDirectory::Entry& entry = entries[directoryAt_];
      if (entry.chainIndex + 1 > blocksEntered_ && !Jump(entry)) return false;
    }
  }
  // page_ < target <= lastPage_, so the cursor is not at its last page.
  while (page_ < target) {
    if (!NextPage()) return false;
  }
  return true;
}

BlockDirectory PostingCursor::Survey(const PostingSource& source, uint32_t firstBlock,
                                     uint32_t lastPage, PageMaps pageMaps, uint32_t firstOffset) {
  BlockDirectory directory;
  PostingCursor cursor;
  if (cursor.Start(source, firstBlock, lastPage, nullptr, firstOffset)) {
    directory.entries.push_back({0, firstBlock, firstOffset, 0});
    directory.pageCount = 1;
    while (!cursor.AtLastPage()) {
      const uint32_t pageBefore = cursor.page_;
      if (!cursor.SkipPositions()) break;
      // A header that begins right after a block's end begins the next block.
      if (cursor.offset_ == cursor.limit_ && !cursor.EnterNextBlock()) {
        cursor.Fail();
        break;
      }
      const BlockDirectory::Entry entry{cursor.blocksEntered_ - 1, cursor.block_, cursor.offset_,
                                        pageBefore};
      if (!cursor.ReadPageHeader(/*firstEntry=*/false)) break;
      // Recorded only once its header has passed every check.
      if (entry.chainIndex != directory.entries.back().chainIndex)
        directory.entries.push_back(entry);
      ++directory.pageCount;
    }
  }
  directory.damaged = cursor.Damaged();
  directory.blockCount = cursor.blocksEntered_;
  // A few entries spread over a vast range would ask for vast bits: a list gets
  // them only when they cost no more than a few times its own bytes.
  const bool affordable =
      PageMap::BitsBytes(lastPage) <=
      uint64_t{BlockDirectory::kMaxMapBytesPerListByte} * directory.blockCount * kBlockSize;
  const bool wanted =
      pageMaps == PageMaps::kForEveryList ||
      (pageMaps == PageMaps::kForLongLists && directory.blockCount >= BlockDirectory::kMinBlocks);
  if (!directory.damaged && directory.pageCount > 0 && wanted && affordable &&
      directory.blockCount <= PageMap::kMaxChainLength) {
    directory.pageMap = MapPages(source, firstBlock, firstOffset, lastPage, directory);
  }
  if (directory.blockCount < BlockDirectory::kMinBlocks) {
    std::vector<BlockDirectory::Entry>().swap(directory.entries);
  } else {
    directory.entries.shrink_to_fit();
  }
  return directory;
}

std::optional<PageMap> PostingCursor::MapPages(const PostingSource& source, uint32_t firstBlock,
                                               uint32_t firstOffset, uint32_t lastPage,
                                               const BlockDirectory& directory) {
  // A second walk, sized by the first: the map is allocated once, whole. Its
  // positions are read this time, for their residues, and a map must describe
  // only bytes found intact, positions included.
  PageMap map(lastPage, directory.pageCount);
  PostingCursor cursor;
  if (!cursor.Start(source, firstBlock, lastPage, nullptr, firstOffset)) return std::nullopt;
  uint32_t chainIndex = 0;
  uint32_t offset = firstOffset;
  bool ascend = true;
  uint32_t highest = 0;
  for (;;) {
    PagePositions positions;
    if (!cursor.ReadResidues(&positions)) return std::nullopt;
    map.Add(cursor.page_, chainIndex, offset, positions.residues);
    ascend &= positions.ascend;
    highest = std::max(highest, positions.last);
    if (cursor.AtLastPage()) break;
    if (cursor.offset_ == cursor.limit_ && !cursor.EnterNextBlock()) return std::nullopt;
    chainIndex = cursor.blocksEntered_ - 1;
    offset = cursor.offset_;
    if (!cursor.ReadPageHeader(/*firstEntry=*/false)) return std::nullopt;
  }
  // The chain as the walks found it, every link checked on the way.
  std::vector<uint32_t> chain{firstBlock};
  while (chain.size() < directory.blockCount) chain.push_back(source.nextBlock[chain.back()]);
  map.Finish(std::move(chain), ascend ? std::optional<uint32_t>(highest) : std::nullopt);
  return map;
}

bool PostingCursor::ReadResidues(PagePositions* positions) {
  uint32_t bits = 0;
  // A delta of 0 after the first, or a sum past 32 bits, is noted without a
  // branch: valid lists have neither.
  bool disorder = false;
  bool first = true;
  while (positionBytesLeft_ > 0) {
    // The VarNums that lie whole in this block, three bytes at least ahead of the
    // end of the page's bytes in it, need no check; the rest go one by one.
    const uint32_t inBlock = std::min(positionBytesLeft_, limit_ - offset_);
    const unsigned char* bytes = blockData_ + offset_;
    uint32_t at = 0;
    uint32_t position = position_;
    while (at + 3 <= inBlock) {
      const uint32_t next = position + DecodeVarNum(bytes + at);
      disorder |= next < position || (next == position && !first);
      first = false;
      position = next;
      at += VarNumLength(bytes[at]);
      bits |= uint32_t{1} << (position % 32);
    }
    offset_ += at;
    positionBytesLeft_ -= at;
    position_ = position;
    while (positionBytesLeft_ > 0 && (offset_ + 3 > limit_ || positionBytesLeft_ < 3)) {
      const uint32_t before = position_;
      if (!NextPosition()) return false;
      disorder |= position_ < before || (position_ == before && !first);
      first = false;
      bits |= uint32_t{1} << (position_ % 32);
    }
  }
  positions->residues = bits;
  positions->last = position_;
  positions->ascend = !disorder;
  return true;
}

}  // namespace quillwen
