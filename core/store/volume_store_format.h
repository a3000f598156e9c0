#pragma once

// The volume store: a page table B + "-fl.h" and a content file B + "-fl.cnt".
//
// Page table, little-endian:
//   offset 0     4 bytes  headerValue  signed 32-bit, shown by the page label
//   offset 4     4 bytes  nameSize S   unsigned 32-bit, 1 to 260
//   offset 8   260 bytes  reserved
//   then entry i at 268 + i * (S + 8), up to the end of the file:
//     S bytes  entryName  8-bit text, NUL-terminated within the field; the page
//                         number stands between the first '\' and the next '.'
//     4 bytes  endOffset  offset in the content file just past the page
//     4 bytes  length     bytes of the page's text
//
// Content file: the page texts, every byte XORed with 0xC6. A page occupies
// [endOffset - length, endOffset); pages may lie in any order, with unused bytes
// between them, and may share bytes: only each entry says where its page is.

#include <algorithm>
#include <cstddef>
#include <cstdint>

namespace quillwen {

// The base name B of a collection's files: this volume store and the index sets
// (B + "-idx.h", B + "_content-idx.h", ...). The writers name files in 8-bit
// text, the reader in UTF-16.
inline constexpr char kCollectionBaseName[] = "Index";
inline constexpr char16_t kCollectionBaseNameWide[] = u"Index";
static_assert(std::ranges::equal(kCollectionBaseName, kCollectionBaseNameWide));

inline constexpr char kPageTableSuffix[] = "-fl.h";
inline constexpr char kContentSuffix[] = "-fl.cnt";
inline constexpr size_t kPageTableHeaderSize = 268;
inline constexpr size_t kPageTableReservedSize = 260;
inline constexpr uint32_t kDefaultNameSize = 100;
inline constexpr uint32_t kMaxNameSize = 260;
inline constexpr size_t kPageEntryTrailerSize = 8;  // endOffset + length
inline constexpr unsigned char kScrambleValue = 0xC6;
inline constexpr size_t kMaxPageNumberText = 11;

// XORs every byte with the scramble value; applying it twice restores the bytes.
inline void Unscramble(char* bytes, size_t count) {
  for (size_t i = 0; i < count; ++i) bytes[i] = static_cast<char>(bytes[i] ^ kScrambleValue);
}

}  // namespace quillwen
