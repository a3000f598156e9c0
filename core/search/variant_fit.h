#pragma once

// Whether a variant table is the one its index set was built with. The table
// numbers its groups by line, and the index keeps each group's occurrences under
// that number: a line added to or removed from "yitizi.txt" afterwards makes every
// later group read another group's list.

#include <cstdint>
#include <optional>
#include <span>

#include "core/search/variants.h"

namespace quillwen {

// Checks every group against the header tables (100000 entries each): a group's
// list holds the occurrences of the characters whose first group it is (and at
// most those of all its members), so it ends no earlier than the last of their
// last pages and no later than the last of all its members'; and the index has
// no list for a group the table lacks. A member the index has no identifier for
// is indexed only in its group, so such a group's list may end later still. An
// empty table fits every index.
bool VariantTableFitsIndex(const VariantTable& table, std::span<const uint32_t> firstBlock,
                           std::span<const uint32_t> lastPage);

// The number of the first group whose list does not fit the table, by the same
// rule; nothing when every group fits. Tables shorter than the identifier count
// fit no group: the answer is then group 0.
std::optional<uint32_t> FirstGroupNotFitting(const VariantTable& table,
                                             std::span<const uint32_t> firstBlock,
                                             std::span<const uint32_t> lastPage);

// Whether the index holds a list for any variant group: it was built with a
// variant table.
bool IndexHasVariantGroups(std::span<const uint32_t> firstBlock);

}  // namespace quillwen
