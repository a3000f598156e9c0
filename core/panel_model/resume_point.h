#pragma once

// Where the reader reopens: the volume and page it showed when it was last
// closed. The settings store keeps them as text between runs, and the collection
// may have been rebuilt or replaced in the meantime, so a saved place is only a
// suggestion that the catalogue loaded now must confirm.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "core/panel_model/contents_catalogue.h"

namespace quillwen {

struct ResumePoint {
  int record = 0;    // a volume of the catalogue (an item without children)
  int32_t page = 0;  // a page of it, within its slider range
};

// Whether page `page` of volume `record` can be shown.
using PageIsStored = std::function<bool(int record, int32_t page)>;

// The place to reopen from the saved record number and page, each as the text
// ResumeNumberText wrote. Nothing when the record text is no record number of
// `catalogue` or names no volume: the reader then starts with nothing shown. A
// page outside the volume's pages is clamped into them; a page that is not a
// number, or that `pageIsStored` (when given) does not find, gives the volume's
// first page.
std::optional<ResumePoint> FindResumePoint(const ContentsCatalogue& catalogue,
                                           std::string_view savedRecord, std::string_view savedPage,
                                           const PageIsStored& pageIsStored = {});

// A record or page number as it is saved: plain decimal digits.
std::string ResumeNumberText(int32_t number);
// The number in `text`, which must be decimal digits only (an optional "-"
// first) and fit 32 bits; nothing otherwise.
std::optional<int32_t> ParseResumeNumber(std::string_view text);

}  // namespace quillwen
