#include "core/store/page_parser.h"

#include <algorithm>
#include <cstddef>

namespace quillwen {
namespace {

bool StartsWith(std::string_view text, std::string_view prefix) {
  return text.substr(0, prefix.size()) == prefix;
}

// Sections of a page as the parser walks it:
//   0 before the title, 1 in the title, 2 after it, 3 in the first cell,
//   4 between the cells, 5 in the second cell, 6 after it.
enum Section { kBeforeTitle, kTitle, kAfterTitle, kCell1, kBetween, kCell2, kAfterCells };

std::string* TextOf(ParsedPage& nodes, int section) {
  switch (section) {
    case kTitle:
      return &nodes[0].text;
    case kCell1:
      return &nodes[1].text;
    case kCell2:
      return &nodes[2].text;
    default:
      return nullptr;
  }
}

char AsciiLower(char byte) {
  return byte >= 'A' && byte <= 'Z' ? static_cast<char>(byte + 32) : byte;
}

// Where the tag `name` (lower case, "<title" say) opens at or after `from`, in
// any letter case and followed by '>' or white space; npos when it does not.
size_t FindTag(std::string_view page, std::string_view name, size_t from) {
  for (size_t at = page.find('<', from); at != std::string_view::npos;
       at = page.find('<', at + 1)) {
    if (page.size() - at <= name.size()) return std::string_view::npos;
    if (!std::equal(name.begin(), name.end(), page.begin() + static_cast<std::ptrdiff_t>(at),
                    [](char n, char p) { return n == AsciiLower(p); }))
      continue;
    const char after = page[at + name.size()];
    if (after == '>' || after == ' ' || after == '\t' || after == '\n' || after == '\r') return at;
  }
  return std::string_view::npos;
}

}  // namespace

bool LooksLikeStoredPage(std::string_view page) {
  size_t at = FindTag(page, "<title", 0);
  if (at == std::string_view::npos) return false;
  at = FindTag(page, "</title", at);
  if (at == std::string_view::npos) return false;
  for (int cell = 0; cell < 2; ++cell) {
    at = FindTag(page, "<td", at);
    if (at == std::string_view::npos) return false;
    ++at;
  }
  return true;
}

ParsedPage ParsePage(std::string_view page) {
  ParsedPage nodes;
  int section = kBeforeTitle;
  bool inTag = false;
  std::string tag;
  for (const char byte : page) {
    if (!inTag) {
      if (byte == '<') {
        tag.assign(1, '<');
        inTag = true;
      } else if (std::string* text = TextOf(nodes, section)) {
        text->push_back(byte);
      }
      continue;
    }
    tag.push_back(byte);
    if (byte != '>') continue;
    if (StartsWith(tag, "<title") && section == kBeforeTitle) {
      section = kTitle;
    } else if (StartsWith(tag, "<TD")) {
      if (section == kAfterTitle)
        section = kCell1;
      else if (section == kBetween)
        section = kCell2;
    } else if (StartsWith(tag, "</title>")) {
      section = kAfterTitle;
    } else if (StartsWith(tag, "</TD>")) {
      if (section == kCell1)
        section = kBetween;
      else if (section == kCell2)
        section = kAfterCells;
    } else if (std::string* text = TextOf(nodes, section)) {
      text->append(tag);
    }
    tag.clear();
    inTag = false;
  }
  return nodes;  // a tag still open at the end is dropped
}

std::vector<FilterItem> SplitAnnotations(std::string_view cell) {
  std::vector<FilterItem> items(1);
  items.back().text.reserve(cell.size());
  bool inTag = false;
  std::string tag;
  for (const char byte : cell) {
    if (!inTag) {
      if (byte == '<') {
        tag.assign(1, '<');
        inTag = true;
      } else {
        items.back().text.push_back(byte);
      }
      continue;
    }
    tag.push_back(byte);
    if (byte != '>') continue;
    if (StartsWith(tag, AnnotationOpen)) {
      items.push_back({{}, FilterItemKind::kAnnotation});
    } else if (items.back().kind == FilterItemKind::kAnnotation &&
               StartsWith(tag, AnnotationClose)) {
      items.push_back({{}, FilterItemKind::kMainText});
    } else {
      items.back().text.append(tag);
    }
    tag.clear();
    inTag = false;
  }
  return items;  // a tag still open at the end is dropped
}

}  // namespace quillwen
