#pragma once

#include <filesystem>
#include <span>
#include <string>
#include <vector>

#include "core/search/variant_table_format.h"

namespace quillwen {

// The text of a variant table holding `groups` in their order, group n on line n.
std::string EncodeVariantTable(std::span<const std::vector<char32_t>> groups);

// Writes `groups` as a variant table. Refuses (false, *error says which group)
// more than kMaxVariantGroups groups or a member beyond kMaxVariantMember,
// rather than writing a table the reader would cut.
bool WriteVariantTable(const std::filesystem::path& file,
                       std::span<const std::vector<char32_t>> groups, std::string* error);

}  // namespace quillwen
