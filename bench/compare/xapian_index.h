#pragma once

// The Xapian peer: the pages' indexed text in a Xapian database, one document
// per page (document id = page-table entry + 1), made by Xapian's
// TermGenerator in its CJK n-gram mode. It gives every ideograph a term with its
// position and every two adjacent ideographs a term without one. The runs of
// ideographs are handed to it one at a time at the positions our index gives
// them: consecutive within a block, kUnusedPositionsBetweenBlocks further on
// at the next block, and the characters between runs (punctuation, kana, Latin
// letters) keep their positions but no term, since no query of the comparison
// names them. So a phrase of ideographs stands where our search finds it and
// never spans a border or a punctuation mark. Built once per collection,
// compacted into a single file and kept as a cache file.

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace Xapian {
class Database;
}

namespace quillwen::bench {

class XapianIndex {
 public:
  XapianIndex();
  ~XapianIndex();
  XapianIndex(const XapianIndex&) = delete;
  XapianIndex& operator=(const XapianIndex&) = delete;

  // Opens `file`, building it first (through temporaries beside it) when it
  // does not exist, from the pages' positioned texts. False with `error` set on
  // failure.
  bool OpenOrBuild(const std::filesystem::path& file, const std::vector<std::u32string>& pages,
                   std::string& error);

  // The pages holding every term (`all`) or any term, ascending. Each term is a
  // phrase of ideographs: one ideograph is its term, two side by side their
  // pair's term, more an exact phrase of single ones narrowed by the pairs.
  // False with `error` set on failure, and for a term with any other character
  // ("?", "*", punctuation), which this peer cannot answer as our search does.
  bool Pages(const std::vector<std::u16string>& terms, bool all, std::vector<uint32_t>& pages,
             std::string& error);

 private:
  std::unique_ptr<Xapian::Database> db_;
};

}  // namespace quillwen::bench
