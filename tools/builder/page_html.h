#pragma once

// The stored form of a page: a complete UTF-8 HTML document with a title and a
// table of exactly two cells written "<TD", as the page renderer expects. The
// text goes in the first cell on even page numbers and in the second on odd
// ones (a book spread); the other cell holds a margin line.
//
//   <html><head><meta …charset=UTF-8><style>…</style><title>BOOK VOLUME N</title></head>
//   <body><table width="100%"><tr><TD>text</TD><TD class="m">margin</TD></tr></table></body></html>
//   (the two cells in the other order on odd pages)
//
// In the text cell paragraphs are <p>…</p>, headings <h4>…</h4> (lower case:
// the hit marker stops a '*' at them), annotations
// <font size=-1 color="#993366">…</font> where they stand, a line break <br>;
// &, < and > are written as entities.

#include <cstdint>
#include <string>
#include <string_view>

#include "tools/builder/page_layout.h"

namespace quillwen::build {

inline constexpr char kAnnotationOpenTag[] = "<font size=-1 color=\"#993366\">";
inline constexpr char kAnnotationCloseTag[] = "</font>";

struct PageLabels {
  std::string_view book;    // UTF-8
  std::string_view volume;  // UTF-8
};

std::string RenderStoredPage(const LaidOutPage& page, const PageLabels& labels,
                             uint32_t pageNumber);

// The text cell alone: what the index positions are counted over.
std::string RenderTextCell(const LaidOutPage& page);

// Appends `text` with &, < and > as entities.
void AppendEscaped(std::string& out, std::string_view text);

// The page table name of a page: "V" and the volume's number (at least five
// digits), a backslash, the page number, ".htm"; the reader takes the page
// number from between the backslash and the full stop.
std::string EntryName(uint32_t volumeNumber, uint32_t pageNumber);

}  // namespace quillwen::build
