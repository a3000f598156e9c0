#pragma once

// The variant table's reader: the groups of "yitizi.txt" (layout in
// core/search/variant_table_format.h) and the spellings they give a keyword.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "core/common/data_fault.h"
#include "core/search/variant_table_format.h"

namespace quillwen {

// ExpandVariants stops after this many spellings. Each spelling is a whole copy of
// the keyword and the page renderer applies every distinct term of them, so the
// product of the group sizes must not run away; the spellings kept are the first
// ones in the stated order (the first character's alternatives vary slowest).
inline constexpr size_t kMaxSpellings = 4096;

class VariantTable {
 public:
  // LoadVariants: empties the table, then reads folder/"yitizi.txt". False when the
  // file cannot be read; the table then stays empty. With `fault`, why the table
  // is empty: the file cannot be read, or it holds no group.
  bool LoadVariants(const std::filesystem::path& folder, DataFault* fault = nullptr);

  // Replaces the table with the groups of `text`, in the table's file format.
  void Parse(std::string_view text);

  void Clear();

  // The identifier of the first group holding `codePoint`, or nothing.
  std::optional<uint32_t> FindVariantGroup(char32_t codePoint) const;

  // Every spelling of `keyword` with each character replaced by one of the members
  // of its first group (a character in no group keeps itself), the first
  // character's alternatives varying slowest; at most kMaxSpellings. A surrogate
  // pair is one character. An empty keyword has no spellings.
  std::vector<std::u16string> ExpandVariants(std::u16string_view keyword) const;

  // The spellings of ExpandVariants joined with one U+0020 between two of them:
  // the query text that marks a result page's hits in all their spellings.
  std::u16string JoinedSpellings(std::u16string_view keyword) const;

  // The spellings of each term of `keyword` (split at U+0020 and U+3000), handed
  // to `take` one at a time, in the order in which the terms of JoinedSpellings
  // (keyword) first come: every term in its first spelling, then the further
  // spellings of the last term, then of the one before, and so on; and only those
  // that JoinedSpellings holds within kMaxSpellings. The result page's marks are
  // therefore the same, but each term is expanded on its own: the work grows with
  // the keyword's length, not with that length times the number of spellings.
  void ForEachTermSpelling(std::u16string_view keyword,
                           const std::function<void(std::u16string_view)>& take) const;

  const std::vector<std::vector<char32_t>>& Groups() const { return groups_; }

 private:
  // The alternatives of each character: its first group, or itself alone.
  std::vector<std::u32string_view> AlternativesOf(const std::u32string& characters) const;
  // The first `limit` combinations of one alternative per character, the last
  // character's alternatives varying fastest.
  static void ForEachSpelling(std::span<const std::u32string_view> alternatives, size_t limit,
                              const std::function<void(std::u16string_view)>& take);

  std::vector<std::vector<char32_t>> groups_;
  // Code point -> number of its first group; built once per load so a lookup is
  // one probe instead of a scan of every group.
  std::unordered_map<char32_t, uint32_t> firstGroup_;
};

}  // namespace quillwen
