#include "core/search/page_map.h"

#include <bit>

namespace quillwen {
namespace {

// std::popcount without a popcount instruction in the target (the x86-64 baseline
// has none) is a library call, which a page lookup cannot afford; this is a few
// inline operations.
inline uint32_t SetBits(uint64_t x) {
  x = x - ((x >> 1) & 0x5555555555555555u);
  x = (x & 0x3333333333333333u) + ((x >> 2) & 0x3333333333333333u);
  x = (x + (x >> 4)) & 0x0F0F0F0F0F0F0F0Fu;
  return static_cast<uint32_t>((x * 0x0101010101010101u) >> 56);
}

}  // namespace

void PageMap::Add(uint32_t page, uint32_t chainIndex, uint32_t offset, uint32_t residues) {
  entries_.push_back({chainIndex << kOffsetBits | offset, residues});
  pages_.push_back(page);
  lastPage_ = page;
}

void PageMap::Finish(std::vector<uint32_t> chain) {
  chain_ = std::move(chain);
  const size_t words = pages_.empty() ? 0 : size_t{lastPage_} / 64 + 1;
  words_.assign(words, 0);
  ranks_.assign(words, 0);
  for (const uint32_t page : pages_) words_[page / 64] |= uint64_t{1} << (page % 64);
  uint32_t before = 0;
  for (size_t word = 0; word < words; ++word) {
    ranks_[word] = before;
    before += SetBits(words_[word]);
  }
  std::vector<uint32_t>().swap(pages_);
  entries_.shrink_to_fit();
}

uint32_t PageMap::Rank(uint32_t page) const {
  const size_t word = page / 64;
  if (word >= words_.size()) return static_cast<uint32_t>(entries_.size());
  const uint64_t below = (uint64_t{1} << (page % 64)) - 1;
  return ranks_[word] + SetBits(words_[word] & below);
}

uint32_t PageMap::PageAtOrAfter(uint32_t page) const {
  size_t word = page / 64;
  uint64_t bits = words_[word] & ~((uint64_t{1} << (page % 64)) - 1);
  while (bits == 0) bits = words_[++word];  // the last page's bit ends the search
  return static_cast<uint32_t>(word * 64 + std::countr_zero(bits));
}

}  // namespace quillwen
