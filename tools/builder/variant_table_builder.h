#pragma once

// The groups of the variant table "yitizi.txt": characters that are forms of one
// another. Groups are the connected sets of the variant relations read from
// Unihan (kTraditionalVariant, kSimplifiedVariant, kZVariant, and on request
// kSemanticVariant) and from OpenCC's character tables, so every character
// stands in one group at most. Members ascend within a group and groups are
// ordered by their smallest member, so a table is the same however its sources
// were ordered. Group n has the index identifier VariantIdBase + n; the table
// itself is written by core/writer/variant_table_writer.h.

#include <cstdint>
#include <filesystem>
#include <string>
#include <unordered_map>
#include <vector>

namespace quillwen::build {

class VariantTableBuilder {
 public:
  // Reads Unihan_Variants.txt lines "U+4E07<TAB>kTraditionalVariant<TAB>U+842C ...".
  // Source tags after '<' are ignored. False with *error naming file and line on
  // a line that does not read.
  bool ReadUnihanVariants(const std::filesystem::path& file, bool withSemanticVariants,
                          std::string* error);

  // Reads an OpenCC dictionary in text form, "from<TAB>to [to ...]"; only
  // entries of single characters relate characters, phrases are passed over.
  bool ReadOpenCcCharacters(const std::filesystem::path& file, std::string* error);

  // Relates two characters directly.
  void Relate(char32_t a, char32_t b);

  // Forms the groups from the relations read so far.
  void Finish();

  const std::vector<std::vector<char32_t>>& Groups() const { return groups_; }

  // The group number of a character after Finish, or -1.
  int32_t GroupOf(char32_t c) const { return c < groupOf_.size() ? groupOf_[c] : -1; }

 private:
  char32_t Root(char32_t c);

  std::unordered_map<char32_t, char32_t> parent_;
  std::vector<std::vector<char32_t>> groups_;
  std::vector<int32_t> groupOf_;
};

}  // namespace quillwen::build
