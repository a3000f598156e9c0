#pragma once

#include <optional>
#include <string_view>

namespace quillwen {

// The page number carried in a page entry's name: the text between the first '\'
// and the next '.', read like atoi (leading white space, an optional sign, then
// digits; 0 without digits). Only the first 11 characters of that text are read,
// and a value beyond the 32-bit range saturates. `name` is the entry name up to
// its NUL or the end of the field. nullopt when there is no backslash, or no full
// stop after it.
std::optional<int> PageNumberFromEntryName(std::string_view name);

}  // namespace quillwen
