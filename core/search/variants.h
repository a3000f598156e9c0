#pragma once

// The variant table "yitizi.txt": groups of characters that are variants of one
// another (simplified and traditional forms, Chinese and Japanese forms, ...).
//
// File: ASCII text, one group per line (LF; a CR before the LF is dropped; empty
// lines are skipped). A line's fields are separated by ","; empty fields are
// skipped. A field is a hexadecimal code point: leading white space skipped, an
// optional "0x"/"0X", then digits up to the first other character; a field
// without digits reads as 0. Example: "4F53,9AD4" makes U+4F53 and U+9AD4 one group.
//
// Groups are numbered from 0 in line order; a line of commas only is an empty
// group that still takes its number. Group g is identifier VariantIdBase + g in
// the index, whose tables end at identifier 99999: only the first
// kMaxVariantGroups (11935) lines become groups, later lines are ignored, so a
// character of a later line is looked up on its own and expanded to itself. A code
// point may stand in several groups; only its first group counts. Members beyond
// U+10FFFF can be neither typed nor written as UTF-16 and are left out.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace quillwen {

inline constexpr char kVariantTableFileName[] = "yitizi.txt";

// ExpandVariants stops after this many spellings. Each spelling is a whole copy of
// the keyword and the page renderer applies every distinct term of them, so the
// product of the group sizes must not run away; the spellings kept are the first
// ones in the stated order (the first character's alternatives vary slowest).
inline constexpr size_t kMaxSpellings = 4096;

class VariantTable {
 public:
  // LoadVariants: empties the table, then reads folder/"yitizi.txt". False when the
  // file cannot be read; the table then stays empty.
  bool LoadVariants(const std::filesystem::path& folder);

  // Replaces the table with the groups of `text`, in the file format above.
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

  const std::vector<std::vector<char32_t>>& Groups() const { return groups_; }

 private:
  std::vector<std::vector<char32_t>> groups_;
  // Code point -> number of its first group; built once per load so a lookup is
  // one probe instead of a scan of every group.
  std::unordered_map<char32_t, uint32_t> firstGroup_;
};

}  // namespace quillwen
