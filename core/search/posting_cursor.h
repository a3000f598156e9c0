#pragma once

// PostingCursor reads one posting list in place in the mapped postings file
// (layout in core/search/index_format.h), following the NextBlock chain.
//
// The files are not trusted. Every block the cursor enters is checked (block
// number inside the file, NextBlock index inside the table, no more blocks than
// the file has, so a cycle ends too) and every page header is checked (pages
// strictly ascending and never past LastPage, at least one position byte, a
// position VarNum never longer than the bytes its page has left). A list that
// fails a check is damaged: the primitive returns false and the cursor stands as
// if its list ended there (no position bytes left, at its last page). No check
// is made per byte except where a field crosses a block boundary.
//
// SkipTo moves on to a later page without reading the positions it passes and,
// given the list's BlockDirectory, without reading the page headers of whole
// blocks either. The directory is made by a walk that checked every header it
// recorded, so a jump passes only bytes that were found intact; past the last
// entry, or without a directory, SkipTo walks header by header and meets damage
// exactly where NextPage would. A directory with a page map (only an intact list
// has one) takes the cursor straight to the entry of the page sought.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "core/common/little_endian.h"
#include "core/search/index_format.h"
#include "core/search/page_map.h"
#include "core/search/varnum.h"

namespace quillwen {

// What a cursor reads from: the mapping and the NextBlock table of an open index.
// Views only; the index owns the bytes.
struct PostingSource {
  const unsigned char* data = nullptr;  // the mapped postings file
  size_t size = 0;                      // its length in bytes
  const uint32_t* nextBlock = nullptr;  // NextBlock
  uint32_t nextBlockCount = 0;          // n, the entries of NextBlock
  uint32_t blockCount = 0;              // blocks holding at least one byte of the file
};

// The blocks a file of `size` bytes holds, a cut last block included, capped where
// a block number would no longer fit (kNoBlock is never a block).
uint32_t BlockCountOf(size_t size);

// Which intact lists a survey gives a page map. A list of fewer than kMinBlocks
// blocks is walked as fast as it is looked up in a map, and the other lists of a
// term jump to its pages through theirs; a longer list, however sparse, has its
// pages found and ruled out without a walk through the headers of its blocks.
// kForEveryList, for tests, maps the short lists too. No list gets bits that
// cost more than BlockDirectory::kMaxMapBytesPerListByte allows.
enum class PageMaps { kForLongLists, kNone, kForEveryList };

// Where the page entries of one list begin, block by block: for each block of
// the chain in which a page entry starts, the first such entry. Page numbers are
// delta-coded, so each entry carries the absolute page of the entry before it.
// Made by one walk over the list's page headers (positions skipped).
struct BlockDirectory {
  struct Entry {
    uint32_t chainIndex;  // the block's place in the chain, 0 for the list's first
    uint32_t block;
    uint32_t offset;      // where the entry's header begins in the block
    uint32_t pageBefore;  // the page of the entry before it (0 for the first entry)
  };
  // Chain order, so pageBefore ascends. Empty for lists of fewer than
  // kMinBlocks blocks: a walk through them is as short as a lookup.
  std::vector<Entry> entries;
  uint32_t pageCount = 0;   // page entries the walk found intact: the list's rarity
  uint32_t blockCount = 0;  // blocks the walk entered
  bool damaged = false;     // the walk ended at damage; entries cover what lies before
  // Every entry's place, for an intact list (see PageMaps).
  std::optional<PageMap> pageMap;

  size_t Bytes() const {
    return sizeof(BlockDirectory) + entries.capacity() * sizeof(Entry) +
           (pageMap ? pageMap->Bytes() : 0);
  }

  static constexpr uint32_t kMinBlocks = 3;
  // A list's page map costs at most this many bytes per byte of its blocks: in a
  // collection of 147,424 pages, whose bits cost 28 KB, every list of three
  // blocks has one, and in a larger one a list's map grows as its list does.
  static constexpr uint32_t kMaxMapBytesPerListByte = 4;
};

class PostingCursor {
 public:
  // start: positions the cursor at the first page entry of the list that begins at
  // byte `firstOffset` of block `firstBlock` and ends at page `lastPage`, and reads
  // that entry's header. False when the list is damaged there. `directory`, when
  // given, must have been made of the same list in the same source (Survey) and
  // outlive the cursor. The lists of an index set begin at byte 0 of their block;
  // those of a pair index, packed, anywhere in it.
  bool Start(const PostingSource& source, uint32_t firstBlock, uint32_t lastPage,
             const BlockDirectory* directory = nullptr, uint32_t firstOffset = 0);

  // Walks the list's headers once and records its directory; when the list is
  // intact and `pageMaps` asks for a page map, a second walk, positions read this
  // time, makes one.
  static BlockDirectory Survey(const PostingSource& source, uint32_t firstBlock, uint32_t lastPage,
                               PageMaps pageMaps = PageMaps::kForLongLists,
                               uint32_t firstOffset = 0);

  // next byte: the list's next byte, moving on to the next block when this one is
  // used up. False (and *byte untouched) when the chain is broken.
  bool NextByte(uint8_t* byte);

  // next position: adds the next position delta to Position().
  // REQUIRES: PositionBytesLeft() > 0.
  inline bool NextPosition();

  // Reads the rest of the page's positions without adding them up and returns how
  // many there were; -1 when the list is damaged. What a one-character term needs.
  int64_t CountPositions();

  // next page: skips the page's unread position bytes without decoding them and
  // reads the next page entry's header. REQUIRES: !AtLastPage().
  inline bool NextPage();

  // Moves to the first page entry whose page is at least `target`, decoding no
  // positions on the way; does nothing when the cursor stands there already.
  // False when the list holds no such page (target past LastPage(); the cursor
  // stays where it was) or when it is damaged on the way (Damaged()).
  inline bool SkipTo(uint32_t target);

  // Goes to entry `entry` of the directory's page map, whose page is `page`, or
  // stays where it is when it stands there already. False when the list turns
  // out damaged there. REQUIRES: Start was given a directory with a page map,
  // and `page` is not before Page().
  bool JumpToMapEntry(uint32_t entry, uint32_t page);

  // Asks memory for the header of entry `entry` of the directory's page map,
  // ahead of JumpToMapEntry. REQUIRES: as for JumpToMapEntry.
  void PrefetchMapEntry(uint32_t entry) const {
    const PageMap::Place place = directory_->pageMap->PlaceOf(entry);
    if (place.block < source_->blockCount)
      __builtin_prefetch(source_->data + size_t{place.block} * kBlockSize + place.offset);
  }

  uint32_t Page() const { return page_; }
  uint32_t LastPage() const { return lastPage_; }
  bool AtLastPage() const { return page_ == lastPage_; }
  uint32_t Position() const { return position_; }
  uint32_t PositionBytesLeft() const { return positionBytesLeft_; }
  // The page's unread position bytes (PositionBytesLeft() of them) when they lie
  // whole in the current block, so that they can be read in place without the
  // cursor; nullptr when they run on into another block.
  const unsigned char* PositionBytesInBlock() const {
    return offset_ + positionBytesLeft_ <= limit_ ? blockData_ + offset_ : nullptr;
  }
  bool Damaged() const { return damaged_; }

  uint32_t Block() const { return block_; }
  // Within the current block, 0 to 4096; 4096 when the block is used up.
  uint32_t Offset() const { return offset_; }

  // The bytes of the list from its start up to the cursor, skipped bytes included:
  // what a query made the machine walk through.
  uint64_t BytesSpanned() const {
    return blocksEntered_ == 0 ? 0
                               : uint64_t{blocksEntered_ - 1} * kBlockSize + offset_ - firstOffset_;
  }

 private:
  bool EnterBlock(uint32_t block);
  bool EnterNextBlock();
  bool SkipPositions();
  // What ReadResidues finds of a page's positions.
  struct PagePositions {
    uint32_t residues = 0;  // bit p % 32 for each position p
    uint32_t last = 0;      // the last position
    bool ascend = true;     // strictly, without passing 32 bits
  };
  // Reads the whole page's positions, from its header on. False when the list is
  // damaged there.
  bool ReadResidues(PagePositions* positions);
  // The page map of a list that `directory`, made by Survey, found intact; none
  // when the list's positions are damaged.
  static std::optional<PageMap> MapPages(const PostingSource& source, uint32_t firstBlock,
                                         uint32_t firstOffset, uint32_t lastPage,
                                         const BlockDirectory& directory);
  bool EnterAt(uint32_t block, uint32_t chainIndex, uint32_t offset);
  bool Jump(const BlockDirectory::Entry& entry);
  bool JumpThroughPageMap(const PageMap& map, uint32_t target);
  bool EnterMapEntry(const PageMap& map, uint32_t entry, uint32_t page);
  bool ReadVarNum(uint32_t* value);
  bool ReadHeaderFields(uint32_t* delta, uint32_t* count);
  bool ReadPageHeader(bool firstEntry);
  inline bool NextHeaderInBlock();
  bool NextPageSlow();
  bool SkipToSlow(uint32_t target);
  void AimAtDirectoryEntry(size_t at);
  bool NextPositionSlow();
  bool Fail();
  // The most position bytes CountPositions counts without a branch per number.
  static constexpr uint32_t kShortPage = 8;

  const PostingSource* source_ = nullptr;
  const unsigned char* blockData_ = nullptr;
  uint32_t block_ = 0;
  uint32_t offset_ = 0;
  // The bytes of the current block that lie in the file: 4096, or less for a file
  // cut inside its last block, whose end then ends every list that reaches it.
  uint32_t limit_ = 0;
  uint32_t page_ = 0;
  uint32_t positionBytesLeft_ = 0;
  uint32_t position_ = 0;
  uint32_t lastPage_ = 0;
  uint32_t blocksEntered_ = 0;
  uint32_t firstOffset_ = 0;
  bool damaged_ = false;
  const BlockDirectory* directory_ = nullptr;
  size_t directoryAt_ = 0;  // entries before this one lie behind the cursor
  // The pageBefore of the directory entry after directoryAt_ (UINT32_MAX when there
  // is none): a target up to it is reached by walking, without the directory.
  uint32_t walkUpTo_ = UINT32_MAX;
};

inline bool PostingCursor::NextPosition() {
  // The common case: the whole VarNum lies in this block.
  if (offset_ + 3 <= limit_) {
    const unsigned char* bytes = blockData_ + offset_;
    const uint32_t length = VarNumLength(bytes[0]);
    if (length > positionBytesLeft_) return Fail();
    position_ += DecodeVarNum(bytes);
    offset_ += length;
    positionBytesLeft_ -= length;
    return true;
  }
  return NextPositionSlow();
}

// The common case of moving on: the next entry's header lies whole in this block.
// Reads it when it passes the same checks as ReadPageHeader's; otherwise changes
// nothing and returns false, and the slow path meets whatever is there.
inline bool PostingCursor::NextHeaderInBlock() {
  const uint32_t at = offset_ + positionBytesLeft_;
  if (at + 5 > limit_) return false;
  const unsigned char* bytes = blockData_ + at;
  const uint32_t length = VarNumLength(bytes[0]);
  const uint32_t page = page_ + DecodeVarNum(bytes);
  const uint32_t count = LoadLE16(bytes + length);
  if (page <= page_ || page > lastPage_ || count == 0) return false;
  offset_ = at + length + 2;
  page_ = page;
  positionBytesLeft_ = count;
  position_ = 0;
  return true;
}

inline bool PostingCursor::NextPage() { return NextHeaderInBlock() || NextPageSlow(); }

inline bool PostingCursor::SkipTo(uint32_t target) {
  if (page_ >= target) return true;
  // Dense intersections skip a few entries of the same block at a time.
  if (target <= walkUpTo_ && target <= lastPage_) {
    while (NextHeaderInBlock()) {
      if (page_ >= target) return true;
    }
  }
  return SkipToSlow(target);
}

}  // namespace quillwen
