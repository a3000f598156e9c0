#include "core/search/variant_fit.h"

#include <algorithm>

#include "core/search/character_id.h"
#include "core/search/index_format.h"

namespace quillwen {

bool VariantTableFitsIndex(const VariantTable& table, std::span<const uint32_t> firstBlock,
                           std::span<const uint32_t> lastPage) {
  return !FirstGroupNotFitting(table, firstBlock, lastPage);
}

bool IndexHasVariantGroups(std::span<const uint32_t> firstBlock) {
  if (firstBlock.size() < kIdentifierCount) return false;
  for (uint32_t group = 0; group < kMaxVariantGroups; ++group) {
    if (firstBlock[VariantIdBase + group] != kNoBlock) return true;
  }
  return false;
}

std::optional<uint32_t> FirstGroupNotFitting(const VariantTable& table,
                                             std::span<const uint32_t> firstBlock,
                                             std::span<const uint32_t> lastPage) {
  if (firstBlock.size() < kIdentifierCount || lastPage.size() < kIdentifierCount) return 0;
  const auto& groups = table.Groups();
  if (groups.empty()) return std::nullopt;
  for (uint32_t group = 0; group < kMaxVariantGroups; ++group) {
    const uint32_t id = VariantIdBase + group;
    const bool groupListed = firstBlock[id] != kNoBlock;
    if (group >= groups.size()) {
      if (groupListed) return group;
      continue;
    }
    // The characters whose first group this is are always in its list; a
    // character of several groups may be in each of their lists as well.
    bool everyMemberIdentified = true;
    bool anyMemberListed = false;
    bool anyOwnMemberListed = false;
    uint32_t ownMembersLast = 0;
    uint32_t membersLast = 0;
    for (const char32_t member : groups[group]) {
      const int32_t memberId = CharacterId(member);
      if (memberId < 0) {
        everyMemberIdentified = false;
        continue;
      }
      if (firstBlock[static_cast<uint32_t>(memberId)] == kNoBlock) continue;
      const uint32_t last = lastPage[static_cast<uint32_t>(memberId)];
      anyMemberListed = true;
      membersLast = std::max(membersLast, last);
      if (table.FindVariantGroup(member) == id) {
        anyOwnMemberListed = true;
        ownMembersLast = std::max(ownMembersLast, last);
      }
    }
    if (anyOwnMemberListed && (!groupListed || lastPage[id] < ownMembersLast)) return group;
    // Unidentified members are listed in the group alone: nothing bounds it then.
    if (everyMemberIdentified && groupListed && (!anyMemberListed || lastPage[id] > membersLast))
      return group;
  }
  return std::nullopt;
}

}  // namespace quillwen
