#pragma once

// A pair index: the companion of one index set, B + "-pairs.qw" beside B + "-idx.h"
// and B + "-idx.m" (B as in core/search/index_format.h). For each adjacent pair
// of identifiers (a, b) it holds the pages and positions p where a stands at p and
// b at p + 1: what the index set tells by intersecting two lists, read as one.
// Nothing in the index set refers to it; a reader without it, or one that finds
// it wrong, searches the index set alone and finds the same pages.
//
// Little-endian throughout:
//   offset 0    8 bytes   magic "QWPAIRS1"
//   offset 8    u32       version, 1
//   offset 12   u32       flags: bit 0 set when the file holds group pairs (below)
//   offset 16   u64       size of the served postings file B + "-idx.m"
//   offset 24   u64       PairIndexDigest of the served header's FirstBlock and
//                         LastPage tables
//   offset 32   u64       VariantGroupsDigest of the variant table the group pairs
//                         were made with (0 without group pairs)
//   offset 40   u32       n, the number of pairs
//   offset 44   u32       m, the number of blocks of the list area
//   offset 48   u64       the list area's offset: a multiple of 4096, at or after
//                         the end of the pair table
//   offset 56   u64       reserved, 0
//   offset 64   12500     covered identifiers: bit (id % 8) of byte id / 8 set for
//                         each identifier whose every pair with another covered
//                         identifier has an entry when it occurs at all
//   offset 12564 n x 20   pairs, strictly ascending by (first, second):
//                           u32 first, u32 second  identifiers, below 100000
//                           u32 block              where the list begins in the
//                           u32 offset             list area; offset below 4096
//                           u32 lastPage           the page of its last entry
//   list area   m x 4096  the lists: each one byte stream in the page-entry form of
//                         the postings file (page delta, u16 position bytes,
//                         position VarNums), from byte `offset` of block `block` on
//                         and continuing at byte 0 of the block after; the file may
//                         end inside the last block.
//
// Exact pairs: (a, b) of character identifiers, both covered. Group pairs (with
// flag bit 0): (A, B) where A is the group identifier of the character at p when
// it belongs to a group and its identifier otherwise, and likewise B at p + 1, at
// least one of them a group, both covered: what a search that counts variants
// as the same looks up.
//
// A pair that has no entry while both its identifiers are covered does not occur
// anywhere; a pair with an identifier not covered is not told by the file at all.

#include <cstddef>
#include <cstdint>

#include "core/search/index_format.h"

namespace quillwen {

inline constexpr char kPairIndexSuffix[] = "-pairs.qw";
inline constexpr char kPairIndexMagic[] = "QWPAIRS1";
inline constexpr uint32_t kPairIndexVersion = 1;
inline constexpr uint32_t kPairIndexHasGroupPairs = 1;

inline constexpr size_t kPairIndexHeaderSize = 64;
inline constexpr size_t kPairIndexCoveredOffset = kPairIndexHeaderSize;
inline constexpr size_t kPairIndexCoveredBytes = kIdentifierCount / 8;
inline constexpr size_t kPairIndexTableOffset = kPairIndexCoveredOffset + kPairIndexCoveredBytes;
inline constexpr size_t kPairEntrySize = 20;

}  // namespace quillwen
