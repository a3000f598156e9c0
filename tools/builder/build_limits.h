#pragma once

// The hard limits of the data formats, checked before anything is written so
// that a collection that does not fit stops the build with a message naming the
// limit, instead of producing a file the reader would misread. Each check
// returns true when the value fits, else false with *message saying which limit.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace quillwen::build {

// Page numbers within a volume stay 16-bit like the catalogue's curFileName.
inline constexpr uint32_t kMaxPageNumber = 0xFFFF;

bool CheckRecordCount(size_t records, std::string* message);
bool CheckVariantGroupCount(size_t groups, std::string* message);
// The entry index is the first page delta of a list: a VarNum.
bool CheckEntryIndex(uint64_t entryIndex, std::string* message);
bool CheckPageNumber(uint64_t pageNumber, std::string* message);
// The page table's name field holds `nameSize` bytes including the NUL.
bool CheckEntryName(std::string_view name, uint32_t nameSize, std::string* message);
// One identifier's positions on one page (ascending): every delta a VarNum and
// all of them within the 16-bit position byte count.
bool CheckPositionList(std::span<const uint32_t> positions, std::string* message);

// The bytes of the VarNum encoding of `value` (<= 4,194,303).
inline size_t VarNumLength(uint32_t value) { return value < 0x80 ? 1 : value < 0x4000 ? 2 : 3; }

}  // namespace quillwen::build
