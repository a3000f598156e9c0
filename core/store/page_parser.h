#pragma once

// Taking a stored page apart for rendering: its title and two table cells, and a
// cell into main text and annotations. Both are byte-level state machines that
// recognise only a few tags, byte for byte and case-sensitive; they never fail,
// whatever the bytes (invalid UTF-8 included) are.

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace quillwen {

inline constexpr std::string_view AnnotationOpen = "<font size=-1 color=\"#993366\">";
inline constexpr std::string_view AnnotationClose = "</font>";

// One part of a parsed page: the inner content of the element as the page has it.
struct HTMLNode {
  std::string text;
  int kind = 2;  // every node is of kind 2
};

// The title, the first table cell and the second table cell, in this order.
using ParsedPage = std::array<HTMLNode, 3>;

ParsedPage ParsePage(std::string_view page);

// Whether `page` has the shape of a stored page: a title element and, after it,
// two table cells. Letter case is not minded here, so that a page the parser
// reads as empty cells still counts as a page; bytes cut from the middle of
// other pages do not.
bool LooksLikeStoredPage(std::string_view page);

enum class FilterItemKind { kMainText, kAnnotation };

// One piece of a cell's text. The first item of a cell is always main text.
struct FilterItem {
  std::string text;
  FilterItemKind kind = FilterItemKind::kMainText;
};

std::vector<FilterItem> SplitAnnotations(std::string_view cell);

}  // namespace quillwen
