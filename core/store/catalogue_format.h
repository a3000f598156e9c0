#pragma once

// The catalogue "mvr.dir": a plain sequence of 216-byte records, no header, no
// trailer, little-endian numbers.
//
//   offset 0    200 bytes  name         UTF-16LE, NUL-terminated within the field
//   offset 200    4 bytes  level        signed 32-bit, 1 for a top-level entry
//   offset 204    4 bytes  docID        signed 32-bit, 1-based first page entry
//   offset 208    4 bytes  docNo        signed 32-bit, number of page entries
//   offset 212    2 bytes  curFileName  unsigned 16-bit, page number of the first page
//   offset 214    2 bytes  (not read)
//
// Records are numbered from 1 in file order; the panel's table has 10000 slots
// and never uses slot 0.

#include <cstddef>
#include <cstdint>
#include <string>

namespace quillwen {

inline constexpr char kCatalogueFileName[] = "mvr.dir";
inline constexpr char kCatalogueListingFileName[] = "mvr.txt";
inline constexpr size_t kCatalogueRecordSize = 216;
inline constexpr size_t kCatalogueNameBytes = 200;
inline constexpr size_t kCatalogueNameUnits = kCatalogueNameBytes / 2;  // NUL included
inline constexpr size_t kCatalogueLevelOffset = 200;
inline constexpr size_t kCatalogueDocIdOffset = 204;
inline constexpr size_t kCatalogueDocNoOffset = 208;
inline constexpr size_t kCatalogueCurFileNameOffset = 212;
inline constexpr int kMaxCatalogueRecords = 9999;

struct CatalogueRecord {
  std::u16string name;
  int32_t level = 0;
  int32_t docID = 0;
  int32_t docNo = 0;
  uint16_t curFileName = 0;

  bool operator==(const CatalogueRecord&) const = default;
};

}  // namespace quillwen
