#include "core/search/posting_cursor.h"

#include <algorithm>

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

bool PostingCursor::Start(const PostingSource& source, uint32_t firstBlock, uint32_t lastPage) {
  source_ = &source;
  blockData_ = nullptr;
  block_ = firstBlock;
  offset_ = 0;
  limit_ = 0;
  page_ = 0;
  positionBytesLeft_ = 0;
  position_ = 0;
  lastPage_ = lastPage;
  blocksEntered_ = 0;
  damaged_ = false;
  if (!EnterBlock(firstBlock)) return Fail();
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

bool PostingCursor::ReadPageHeader(bool firstEntry) {
  uint32_t delta;
  uint32_t count;
  if (offset_ + 5 <= limit_) {
    const unsigned char* bytes = blockData_ + offset_;
    const uint32_t length = VarNumLength(bytes[0]);
    delta = DecodeVarNum(bytes);
    count = LoadLE16(bytes + length);
    offset_ += length + 2;
  } else {
    uint8_t low, high;
    if (!ReadVarNum(&delta) || !NextByte(&low) || !NextByte(&high)) return false;
    count = uint32_t{low} | (uint32_t{high} << 8);
  }
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

int64_t PostingCursor::CountPositions() {
  int64_t count = 0;
  while (positionBytesLeft_ > 0) {
    // Whole VarNums of this block first; the one crossing into the next block, if
    // any, through the byte-wise path.
    const uint32_t inBlock = std::min(positionBytesLeft_, limit_ - offset_);
    const unsigned char* bytes = blockData_ + offset_;
    uint32_t at = 0;
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

bool PostingCursor::NextPage() {
  // Skip the unread position bytes along the chain, one block at a time.
  uint32_t end = offset_ + positionBytesLeft_;
  while (end > limit_) {
    if (!EnterNextBlock()) return Fail();
    end -= kBlockSize;
  }
  offset_ = end;
  positionBytesLeft_ = 0;
  return ReadPageHeader(/*firstEntry=*/false);
}

}  // namespace quillwen
