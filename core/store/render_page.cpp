#include <algorithm>

#include "core/encoding/codeconverter.h"
#include "core/store/filelist.h"
#include "core/store/page_number.h"
#include "core/store/page_renderer.h"

namespace quillwen {

int CFileList::RenderPage(uint32_t entryIndex, std::string& output, std::u16string_view query,
                          HitScope scope, std::vector<TermAnchors>* anchors) const {
  if (!open_ || query.empty()) return 0;
  PageEntry entry;
  std::string page;
  // A page that cannot be read renders nothing: the caller keeps what it shows.
  if (!ReadEntry(entryIndex, &entry) || !ReadPage(entryIndex, page)) return 0;

  const int pageNumber = PageNumberFromEntryName(entry.name).value_or(0);
  const int parity = pageNumber % 2 == 0 ? 0 : 1;
  int anchorCounter = 0;
  std::vector<std::string> applied;
  for (const std::u16string_view term : SplitQueryTerms(query)) {
    std::string termBytes;
    Utf16ToUtf8Append(term, termBytes, kLenient);
    if (std::find(applied.begin(), applied.end(), termBytes) != applied.end()) continue;
    const int firstAnchor = anchorCounter;
    output = RenderCell(page, termBytes, parity, scope, anchorCounter);
    if (anchors != nullptr)
      anchors->push_back({firstAnchor, anchorCounter, AnchorsOfOneMatch(termBytes)});
    page = output;
    applied.push_back(std::move(termBytes));
  }
  return anchorCounter;
}

}  // namespace quillwen
