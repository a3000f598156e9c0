#include <algorithm>

#include "core/encoding/codeconverter.h"
#include "core/store/filelist.h"
#include "core/store/page_number.h"
#include "core/store/page_renderer.h"

namespace quillwen {

int CFileList::RenderPage(uint32_t entryIndex, std::string& output, std::u16string_view query,
                          HitScope scope, std::vector<TermAnchors>* anchors) const {
  MarkTerms terms;
  terms.AddQuery(query);
  return RenderTerms(entryIndex, output, terms, scope, anchors);
}

int CFileList::RenderTerms(uint32_t entryIndex, std::string& output, const MarkTerms& terms,
                           HitScope scope, std::vector<TermAnchors>* anchors) const {
  if (!open_ || terms.Terms().empty()) return 0;
  PageEntry entry;
  std::string page;
  // A page that cannot be read renders nothing: the caller keeps what it shows.
  if (!ReadEntry(entryIndex, &entry) || !ReadPage(entryIndex, page)) return 0;

  const int pageNumber = PageNumberFromEntryName(entry.name).value_or(0);
  const int parity = pageNumber % 2 == 0 ? 0 : 1;
  int anchorCounter = 0;
  for (const std::string& term : terms.Terms()) {
    const int firstAnchor = anchorCounter;
    output = RenderCell(page, term, parity, scope, anchorCounter);
    page = output;
    if (anchors != nullptr)
      anchors->push_back({firstAnchor, anchorCounter, AnchorsOfOneMatch(term)});
  }
  return anchorCounter;
}

}  // namespace quillwen
