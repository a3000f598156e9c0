#pragma once

// Where every page entry of a dense posting list begins, found by page number in
// constant time: a bit per page of the list's range, a count of the set bits
// before each 64-bit word, and for each entry its place in the list's chain and
// the residues of its positions modulo 32.
//
// What a phrase of common characters needs: the pages all its lists share are a
// word-wise AND of their bits, and a cursor goes straight to such a page's
// header instead of walking the headers of a dense block to it. Most pages that
// hold every character of a phrase do not hold the phrase; the residues tell
// most of them apart without a byte of the postings read: characters that stand
// next to each other have positions whose residues follow each other too. The
// bits cost a bit and a half per page of the list's range however few entries it
// has; the short lists, which would pay most for them per entry, have none (see
// PageMaps).

#include <cstddef>
#include <cstdint>
#include <optional>
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

  // Room for `entries` entries over pages 0 to `lastPage`.
  PageMap(uint32_t lastPage, uint32_t entries);

  // Adds the entry of `page`, whose header begins at `offset` in the block at
  // `chainIndex` of the list's chain and which has a position p for each bit
  // p % 32 of `residues`. REQUIRES: pages ascend strictly up to the constructor's
  // `lastPage`, chain indices are below kMaxChainLength and offsets below 4096.
  void Add(uint32_t page, uint32_t chainIndex, uint32_t offset, uint32_t residues);
  // Counts the bits of the pages added, once all are: `chain` is the list's blocks
  // in chain order, and every chain index added must lie in it.
  // `highestPosition`: the highest position of the list when on every page the
  // positions ascend strictly within 32 bits; none when on some page they do not.
  void Finish(std::vector<uint32_t> chain, std::optional<uint32_t> highestPosition);

  // What the bits of a list whose last page is `lastPage` cost: a word and the
  // count before it for every 64 pages of its range, and a summary word for every
  // 64 of those, however few its entries.
  static uint64_t BitsBytes(uint32_t lastPage) {
    const uint64_t words = uint64_t{lastPage} / 64 + 1;
    return words * (sizeof(uint64_t) + sizeof(uint32_t)) + (words / 64 + 1) * sizeof(uint64_t);
  }

  static constexpr uint32_t kMaxChainLength = 1u << 20;

  uint32_t LastPage() const { return lastPage_; }
  bool Has(uint32_t page) const {
    return page / 64 < words_.size() && (words_[page / 64] >> (page % 64) & 1) != 0;
  }
  // The entries whose page is below `page`. kCountInstruction counts the bits
  // with the processor's popcount instruction, for code built for a target that
  // has one (core/search/bit_count.h); elsewhere that is a library call, slower
  // than SetBits.
  template <bool kCountInstruction = false>
  [[gnu::always_inline]] inline uint32_t Rank(uint32_t page) const {
    const size_t word = page / 64;
    if (word >= words_.size()) return static_cast<uint32_t>(entries_.size());
    const uint64_t below = (uint64_t{1} << (page % 64)) - 1;
    const uint64_t bits = words_[word] & below;
    if constexpr (kCountInstruction) {
      return ranks_[word] + static_cast<uint32_t>(__builtin_popcountll(bits));
    } else {
      return ranks_[word] + SetBits(bits);
    }
  }
  // The first page of the list at or after `page`. REQUIRES: page <= LastPage().
  uint32_t PageAtOrAfter(uint32_t page) const;
  Place PlaceOf(uint32_t entry) const {
    const uint32_t packed = entries_[entry].place;
    const uint32_t chainIndex = packed >> kOffsetBits;
    return {chain_[chainIndex], chainIndex, packed & kOffsetMask};
  }
  // Bit r is set when the entry has a position p with p % 32 == r (positions
  // added up in 32 bits, as a cursor adds them).
  uint32_t Residues(uint32_t entry) const { return entries_[entry].residues; }
  // See Finish. A reader of a page of a list that has one may stop reading its
  // positions once it has the ones it needs: those it leaves are known to be
  // whole and to ascend.
  std::optional<uint32_t> HighestPosition() const { return highestPosition_; }
  // Asks memory for the entry ahead of its use.
  void PrefetchEntry(uint32_t entry) const { __builtin_prefetch(entries_.data() + entry); }

  // The bits of the pages, 64 a word; a word past the end has none.
  const std::vector<uint64_t>& Words() const { return words_; }
  // A bit for each word of Words() that has a page, 64 words a summary word:
  // the words a sparse list has pages in are found without reading the others.
  const std::vector<uint64_t>& Summary() const { return summary_; }

  size_t Bytes() const {
    return (words_.capacity() + summary_.capacity()) * sizeof(uint64_t) +
           entries_.capacity() * sizeof(Entry) +
           (ranks_.capacity() + chain_.capacity()) * sizeof(uint32_t);
  }

 private:
  // std::popcount without a popcount instruction in the target (the x86-64
  // baseline has none) is a library call, which a page lookup cannot afford;
  // this is a few inline operations.
  static uint32_t SetBits(uint64_t x) {
    x = x - ((x >> 1) & 0x5555555555555555u);
    x = (x & 0x3333333333333333u) + ((x >> 2) & 0x3333333333333333u);
    x = (x + (x >> 4)) & 0x0F0F0F0F0F0F0F0Fu;
    return static_cast<uint32_t>((x * 0x0101010101010101u) >> 56);
  }

  static constexpr uint32_t kOffsetBits = 12;  // offsets within a 4096-byte block
  static constexpr uint32_t kOffsetMask = (1u << kOffsetBits) - 1;

  // Side by side, so that a page's residues and place come in one memory read.
  struct Entry {
    uint32_t place;  // chain index << 12 | offset
    uint32_t residues;
  };

  std::vector<uint64_t> words_;
  std::vector<uint64_t> summary_;
  std::vector<uint32_t> ranks_;  // set bits before each word
  std::vector<Entry> entries_;
  std::vector<uint32_t> chain_;  // the list's blocks in chain order
  uint32_t lastPage_ = 0;
  std::optional<uint32_t> highestPosition_;
};

}  // namespace quillwen
