#pragma once

// The brute-force peer: one term matched against every page's positioned text
// in memory, by the rule the index answers: within a segment of the term its
// characters stand at consecutive positions, "?" taking one position of any
// kind; each later segment (after a "*") begins after the one before ends, with
// at most kMaxGap characters between them. A match lies within one block of
// the page: the index leaves more positions between two blocks than any term
// spans. No variants.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace quillwen::bench {

class PlainScan {
 public:
  // `pages` must outlive the scan.
  explicit PlainScan(const std::vector<std::u32string>& pages) : pages_(pages) {}

  // The pages (page-table order) on which `term` matches.
  std::vector<uint32_t> Pages(std::u16string_view term) const;

 private:
  const std::vector<std::u32string>& pages_;
};

}  // namespace quillwen::bench
