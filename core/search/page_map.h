#pragma once

// Where every page entry of a dense posting list begins, found by page number in
// constant time: a bit per page of the list's range, a count of the set bits
// before each 64-bit word, and the place of each entry in the list's chain.
//
// What a phrase of common characters needs: the pages all its lists share are a
// word-wise AND of their bits, and a cursor goes straight to such a page's
// header instead of walking the headers of a dense block to it. For a list of few
// pages over a wide range the bits would cost more than the entries, so such a
// list has none (see PostingCursor::Survey).

#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

namespace quillwen {

class PageMap {
 public:
  // Where one entry's header begins.
  struct Place {
    uint32_t block;
    uint32_t chainIndex;
    uint32_t offset;
  };

  // Adds the entry of `page`, whose header begins at `offset` in the block at
  // `chainIndex` of the list's chain. REQUIRES: pages ascend strictly, chain
  // indices are below kMaxChainLength and offsets below 4096.
  void Add(uint32_t page, uint32_t chainIndex, uint32_t offset);
  // The list's blocks in chain order; every chain index added must lie in it.
  void SetChain(std::vector<uint32_t> chain) {
    chain_ = std::move(chain);
    words_.shrink_to_fit();
    ranks_.shrink_to_fit();
    places_.shrink_to_fit();
  }

  static constexpr uint32_t kMaxChainLength = 1u << 20;

  uint32_t LastPage() const { return lastPage_; }
  bool Has(uint32_t page) const {
    return page / 64 < words_.size() && (words_[page / 64] >> (page % 64) & 1) != 0;
  }
  // The entries whose page is below `page`.
  uint32_t Rank(uint32_t page) const;
  // The first page of the list at or after `page`. REQUIRES: page <= LastPage().
  uint32_t PageAtOrAfter(uint32_t page) const;
  Place PlaceOf(uint32_t entry) const {
    const uint32_t packed = places_[entry];
    const uint32_t chainIndex = packed >> kOffsetBits;
    return {chain_[chainIndex], chainIndex, packed & kOffsetMask};
  }

  // The bits of the pages, 64 a word; a word past the end has none.
  const std::vector<uint64_t>& Words() const { return words_; }

  size_t Bytes() const {
    return words_.capacity() * sizeof(uint64_t) +
           (ranks_.capacity() + places_.capacity() + chain_.capacity()) * sizeof(uint32_t);
  }

 private:
  static constexpr uint32_t kOffsetBits = 12;  // offsets within a 4096-byte block
  static constexpr uint32_t kOffsetMask = (1u << kOffsetBits) - 1;

  std::vector<uint64_t> words_;
  std::vector<uint32_t> ranks_;   // set bits before each word
  std::vector<uint32_t> places_;  // chain index << 12 | offset, per entry
  std::vector<uint32_t> chain_;   // the list's blocks in chain order
  uint32_t lastPage_ = 0;
};

}  // namespace quillwen
