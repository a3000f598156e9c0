#pragma once

// Where a page stands, in words: the citation a copy carries, the window's
// caption and the location of a hit row all name a place the same way.

#include <string>
#include <string_view>
#include <vector>

#include "core/panel_model/search_results.h"

namespace quillwen {

// The names of `place` that are known, category first, then `heading` when
// given, then the page: "全唐詩・卷一至卷十・卷一・帝京篇十首 三・2頁". Several
// collections share book names ("卷一至卷十"), so the category is never left out.
std::u16string PlaceText(const SearchNodeTag& place, std::u16string_view heading = {});

// "出典：" and the place of a page, with the heading the cited text stands under.
std::u16string CitationText(const SearchNodeTag& place, std::u16string_view heading = {});

// `selection` followed by a line with `citation`.
std::u16string CitedText(std::u16string_view selection, std::u16string_view citation);

// The texts of the headings ("<h4>…</h4>") of a stored page in page order, their
// tags and annotations left out and their white space folded.
std::vector<std::u16string> HeadingsOf(std::string_view page);
// The last of them; empty when the page has none.
std::u16string LastHeadingOf(std::string_view page);

}  // namespace quillwen
