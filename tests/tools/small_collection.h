#pragma once

#include <filesystem>

namespace quillwen::testing {

// Builds, with the collection builder, a small collection of two categories and
// three volumes (15 pages of about 8 characters) from a source it writes into
// `root`/source; the collection lands in `root`/data. Its variant table has two
// groups, 學 学 and 為 为.
//   經 (1) > 論語 (2) > 學而 (3), 為政 (4); 史 (5) > 史記 (6) > 本紀 (7)
void BuildSmallCollection(const std::filesystem::path& root);

}  // namespace quillwen::testing
