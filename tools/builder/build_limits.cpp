#include "tools/builder/build_limits.h"

#include "core/search/index_format.h"
#include "core/store/catalogue_format.h"

namespace quillwen::build {

bool CheckRecordCount(size_t records, std::string* message) {
  if (records <= static_cast<size_t>(kMaxCatalogueRecords)) return true;
  *message =
      "the collection needs " + std::to_string(records) +
      " catalogue records (one per category, book and volume); the catalogue holds at most " +
      std::to_string(kMaxCatalogueRecords);
  return false;
}

bool CheckVariantGroupCount(size_t groups, std::string* message) {
  if (groups <= kMaxVariantGroups) return true;
  *message = "the variant table has " + std::to_string(groups) +
             " groups; group identifiers 88065 + n below 100000 allow at most " +
             std::to_string(kMaxVariantGroups);
  return false;
}

bool CheckEntryIndex(uint64_t entryIndex, std::string* message) {
  if (entryIndex <= kMaxVarNum) return true;
  *message = "page entry index " + std::to_string(entryIndex) +
             " exceeds 4,194,303, the largest page delta a posting list can hold (VarNum)";
  return false;
}

bool CheckPageNumber(uint64_t pageNumber, std::string* message) {
  if (pageNumber <= kMaxPageNumber) return true;
  *message = "page number " + std::to_string(pageNumber) +
             " exceeds 65535, the largest 16-bit page number (catalogue curFileName)";
  return false;
}

bool CheckEntryName(std::string_view name, uint32_t nameSize, std::string* message) {
  if (name.size() < nameSize) return true;
  *message = "entry name \"" + std::string(name) + "\" needs " + std::to_string(name.size() + 1) +
             " bytes with its NUL; the page table's name field holds " + std::to_string(nameSize);
  return false;
}

bool CheckPositionList(std::span<const uint32_t> positions, std::string* message) {
  size_t bytes = 0;
  uint32_t previous = 0;
  for (uint32_t position : positions) {
    const uint32_t delta = position - previous;
    if (delta > kMaxVarNum) {
      *message =
          "position " + std::to_string(position) +
          " needs a delta above 4,194,303, the largest VarNum (too many characters on one page)";
      return false;
    }
    bytes += VarNumLength(delta);
    previous = position;
  }
  if (bytes <= kMaxPositionBytes) return true;
  *message = "one character's positions on the page take " + std::to_string(bytes) +
             " bytes; the 16-bit position byte count allows at most 65535";
  return false;
}

}  // namespace quillwen::build
