#pragma once

// A complete small collection for tests: catalogue, volume store and the three
// index sets (full text and main text hold every page, annotations none), with
// an optional variant table, written with the project's own writers.

#include <filesystem>
#include <string>
#include <vector>

namespace quillwen::testing {

struct TinyEntry {
  int level = 1;  // 1 category, 2 book, 3 volume
  std::u16string name;
  std::vector<std::u16string> pages;  // volumes only: the text of each page
  uint16_t firstPage = 1;             // curFileName of a volume
};

// Writes the collection into `folder`. docID and docNo of categories and books
// cover the pages of the volumes under them. Each page is an HTML document whose
// text stands in the cell of its page number's parity; its characters take
// positions 0, 1, 2, ... `variantTable` is written as "yitizi.txt" when not
// empty, and the index holds every group's occurrences under its identifier.
void WriteTinyCollection(const std::filesystem::path& folder, const std::vector<TinyEntry>& entries,
                         const std::string& variantTable = "");

}  // namespace quillwen::testing
