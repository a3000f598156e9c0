#pragma once

// The text a collection's full-text index holds for each page, read back from
// the volume store with the reader's own page parser: what another search
// engine must be given to answer the same questions.
//
// A page's text is its segments (the runs of a paragraph or heading, an
// annotation being a run of its own) in order; white space takes no place.
// The index leaves one unused position between two segments, so the
// positioned text puts kSegmentGap there.

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace quillwen::bench {

inline constexpr char32_t kSegmentGap = U'\u0001';

// The positioned text of a stored page: the cell its page number's parity
// names, taken apart into segments.
std::u32string PositionedTextOfPage(std::string_view storedPage, int pageNumber);

// Every page of the volume store in `folder`, in page-table order. Empty (with
// `error` set) when the store cannot be read.
std::vector<std::u32string> ReadPositionedTexts(const std::filesystem::path& folder,
                                                std::string& error);

// The positioned text as UTF-8 with each gap written as a line feed, which no
// query term holds.
std::string SegmentsAsUtf8(const std::u32string& positioned);

}  // namespace quillwen::bench
