#pragma once

// Small collections for the reader's tests, written with the project's own
// writers: the catalogue, the volume store and the three index sets.

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace quillwen::testing {

struct FixtureVolume {
  std::u16string name;
  uint16_t firstPage = 1;          // curFileName: the number of the first page
  std::vector<std::string> pages;  // each a whole HTML document
};

struct FixtureBook {
  std::u16string name;
  std::vector<FixtureVolume> volumes;
};

struct FixtureCategory {
  std::u16string name;
  std::vector<FixtureBook> books;
};

// A stored page as the collection builder writes it: UTF-8 HTML with a title
// and the text in the first table cell.
std::string FixturePage(const std::string& title, const std::string& text);

// A stored page whose text stands in the cell the page's parity reads (the
// first cell for even page numbers, the second for odd ones), so that result
// pages mark its hits.
std::string FixtureTextPage(const std::string& title, const std::string& text, int pageNumber);

// Writes `folder`/mvr.dir, Index-fl.h and Index-fl.cnt, the index sets and an
// empty variant table. Records are numbered in the order category, its books,
// each book's volumes. The full-text and main-text sets hold the characters of
// each page's first <p> element, one position each; the annotation set holds
// none. False with *error on failure.
bool WriteCollection(const std::filesystem::path& folder,
                     const std::vector<FixtureCategory>& categories, std::string* error);

// One category "經部" with the book "論語" (volumes "學而" with pages 5 to 7 and
// "爲政" with pages 1 and 2) and the book "孟子" (volume "梁惠王" with page 3):
// records 1 經部, 2 論語, 3 學而, 4 爲政, 5 孟子, 6 梁惠王.
std::vector<FixtureCategory> SmallCollection();

// The shape of SmallCollection with each text in the cell its page's parity
// reads, so that result pages mark it: 不亦 once on 學而 5, twice on 學而 7 and
// once on 爲政 2.
std::vector<FixtureCategory> MarkedCollection();

// One category "史部" with one book "史記" of one volume "本紀" holding `pages`
// pages numbered from 1; each holds "之" once, so a search for it lists one row
// per page: records 1 史部, 2 史記, 3 本紀.
std::vector<FixtureCategory> PagesWithCharacter(int pages);

}  // namespace quillwen::testing
