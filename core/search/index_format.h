#pragma once

// An index set: a header file B + "-idx.h" read into memory and a postings file
// B + "-idx.m" mapped read-only. B is folder/"Index", with "_content" (main text)
// or "_desc" (annotations) appended for the two narrower sets.
//
// Header file, little-endian:
//   offset 0        400000 bytes  FirstBlock  100000 x u32: first block of each
//                                             identifier's list, 0xFFFFFFFF for none
//   offset 400000   200000 bytes  Reserved16  never consulted, not read
//   offset 600000   400000 bytes  Reserved32  never consulted, not read
//   offset 1000000  400000 bytes  LastPage    100000 x u32: page of the list's last entry
//   offset 1400000  4 x n bytes   NextBlock   n x u32: the block after block k in its list
//
// Postings file: 4096-byte blocks. A list is one byte stream from byte 0 of block
// FirstBlock[id], continuing after byte 4095 of block k at byte 0 of block
// NextBlock[k]; any field may cross a block boundary. Per page, ascending:
//   page delta     VarNum (the first entry's delta is its page number)
//   position bytes u16 little-endian, the size of the list that follows, >= 1 entry
//   positions      VarNum deltas from 0, ascending
//
// VarNum, most significant byte first:
//   0xxxxxxx                     0 to 127
//   10xxxxxx xxxxxxxx            0 to 16383
//   11xxxxxx xxxxxxxx xxxxxxxx   0 to 4194303
//
// Pages are entry indices of the volume store (0-based).

#include <cstddef>
#include <cstdint>

namespace quillwen {

enum IndexScope : int { ScopeFullText = 0, ScopeAnnotations = 1, ScopeMainText = 2 };

inline constexpr char kIndexHeaderSuffix[] = "-idx.h";
inline constexpr char kIndexPostingsSuffix[] = "-idx.m";
inline constexpr char kMainTextSetSuffix[] = "_content";
inline constexpr char kAnnotationSetSuffix[] = "_desc";

// The base name suffix of a scope's index set: "", "_desc" or "_content".
inline constexpr const char* IndexSetSuffix(IndexScope scope) {
  return scope == ScopeMainText      ? kMainTextSetSuffix
         : scope == ScopeAnnotations ? kAnnotationSetSuffix
                                     : "";
}

inline constexpr uint32_t kIdentifierCount = 100000;
inline constexpr uint32_t VariantIdBase = 88065;
inline constexpr uint32_t kMaxVariantGroups = kIdentifierCount - VariantIdBase;  // 11935
inline constexpr uint32_t kNoBlock = 0xFFFFFFFF;

inline constexpr size_t kFirstBlockOffset = 0;
inline constexpr size_t kReserved16Offset = 400000;
inline constexpr size_t kReserved32Offset = 600000;
inline constexpr size_t kLastPageOffset = 1000000;
inline constexpr size_t kNextBlockOffset = 1400000;
inline constexpr size_t kFirstBlockBytes = 4 * kIdentifierCount;
inline constexpr size_t kReserved16Bytes = 2 * kIdentifierCount;
inline constexpr size_t kReserved32Bytes = 4 * kIdentifierCount;
inline constexpr size_t kLastPageBytes = 4 * kIdentifierCount;

inline constexpr size_t kBlockSize = 4096;
inline constexpr uint32_t kMaxVarNum = 4194303;
inline constexpr uint32_t kMaxPositionBytes = 65535;

}  // namespace quillwen
