#include "core/search/page_map.h"

#include <bit>

namespace quillwen {

PageMap::PageMap(uint32_t lastPage, uint32_t entries)
    : words_(size_t{lastPage} / 64 + 1, 0),
      summary_(words_.size() / 64 + 1, 0),
      ranks_(words_.size(), 0) {
  entries_.reserve(entries);
}

void PageMap::Add(uint32_t page, uint32_t chainIndex, uint32_t offset, uint32_t residues) {
  words_[page / 64] |= uint64_t{1} << (page % 64);
  entries_.push_back({chainIndex << kOffsetBits | offset, residues});
  lastPage_ = page;
}

void PageMap::Finish(std::vector<uint32_t> chain, std::optional<uint32_t> highestPosition) {
  chain_ = std::move(chain);
  highestPosition_ = highestPosition;
  uint32_t before = 0;
  for (size_t word = 0; word < words_.size(); ++word) {
    ranks_[word] = before;
    before += SetBits(words_[word]);
    if (words_[word] != 0) summary_[word / 64] |= uint64_t{1} << (word % 64);
  }
}

uint32_t PageMap::PageAtOrAfter(uint32_t page) const {
  size_t word = page / 64;
  uint64_t bits = words_[word] & ~((uint64_t{1} << (page % 64)) - 1);
  while (bits == 0) bits = words_[++word];  // the last page's bit ends the search
  return static_cast<uint32_t>(word * 64 + std::countr_zero(bits));
}

}  // namespace quillwen
