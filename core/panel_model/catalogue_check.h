#pragma once

// What a catalogue says that its format forbids or its volume store denies. The
// format lets other tools lay records out freely (docIDs need not follow one
// another, ranges need not nest, docNos need not add up), so only this is
// checked: every record has a level of 1 or more and a record of the level above
// before it; its pages lie inside the page table; and a volume's first and last
// page entries carry the page numbers its curFileName and docNo give them. That
// costs two entry reads a volume, so it runs every time the catalogue loads.

#include <string>
#include <vector>

#include "core/panel_model/contents_catalogue.h"
#include "core/store/filelist.h"

namespace quillwen {

inline constexpr char16_t kCatalogueMismatchMessage[] =
    u"目録 mvr.dir に、このコレクションの頁と合わない項目があります。";

struct CatalogueProblem {
  int record = 0;
  std::string what;  // "level 0 is below 1", ...

  bool operator==(const CatalogueProblem&) const = default;
};

// The problems of the records loaded into `catalogue`, in record order. The
// page checks need `store` open; a closed store skips them.
std::vector<CatalogueProblem> CheckCatalogue(const ContentsCatalogue& catalogue,
                                             const CFileList& store);

// The problems as a fault's text: the first in full, then how many records more.
std::string DescribeCatalogueProblems(const ContentsCatalogue& catalogue,
                                      const std::vector<CatalogueProblem>& problems);

}  // namespace quillwen
