#include "core/panel_model/citation.h"

#include <utility>

#include "core/encoding/codeconverter.h"
#include "core/panel_model/decimal_text.h"

namespace quillwen {

std::u16string PlaceText(const SearchNodeTag& place, std::u16string_view heading) {
  std::u16string text;
  const auto add = [&text](std::u16string_view part) {
    if (part.empty()) return;
    if (!text.empty()) text += u"・";
    text += part;
  };
  add(place.category);
  add(place.book);
  add(place.volume);
  add(heading);
  if (place.volumePage != 0) add(DecimalText(place.volumePage) + u"頁");
  return text;
}

std::u16string CitationText(const SearchNodeTag& place, std::u16string_view heading) {
  return u"出典：" + PlaceText(place, heading);
}

std::u16string CitedText(std::u16string_view selection, std::u16string_view citation) {
  std::u16string text(selection);
  if (!text.empty() && text.back() != u'\n') text.push_back(u'\n');
  text.append(citation);
  return text;
}

namespace {

// The heading's own words: tags out, annotations (commentary on the title)
// out, the builder's three escapes read back, white space folded.
std::u16string HeadingText(std::string_view inner) {
  std::string text;
  bool space = false;
  int annotationDepth = 0;
  for (size_t at = 0; at < inner.size();) {
    if (inner[at] == '<') {
      const size_t end = inner.find('>', at);
      const std::string_view tag = inner.substr(at, end == std::string_view::npos ? end : end - at);
      if (tag.starts_with("<font")) ++annotationDepth;
      if (tag.starts_with("</font") && annotationDepth > 0) --annotationDepth;
      at = end == std::string_view::npos ? inner.size() : end + 1;
      continue;
    }
    std::string_view character = inner.substr(at, 1);
    size_t width = 1;
    for (const auto& [escape, plain] : {std::pair{"&amp;", "&"}, {"&lt;", "<"}, {"&gt;", ">"}}) {
      if (inner.substr(at).starts_with(escape)) {
        character = plain;
        width = std::string_view(escape).size();
      }
    }
    at += width;
    if (annotationDepth > 0) continue;
    if (character == " " || character == "\n" || character == "\r" || character == "\t") {
      space = !text.empty();
      continue;
    }
    if (space) text.push_back(' ');
    space = false;
    text += character;
  }
  return Utf8ToUtf16(text);
}

}  // namespace

std::vector<std::u16string> HeadingsOf(std::string_view page) {
  constexpr std::string_view kOpen = "<h4", kClose = "</h4>";
  std::vector<std::u16string> headings;
  for (size_t open = page.find(kOpen); open != std::string_view::npos;
       open = page.find(kOpen, open + 1)) {
    const size_t textStart = page.find('>', open);
    if (textStart == std::string_view::npos) break;
    const size_t close = page.find(kClose, textStart);
    headings.push_back(HeadingText(page.substr(textStart + 1, close == std::string_view::npos
                                                                  ? std::string_view::npos
                                                                  : close - textStart - 1)));
    if (close == std::string_view::npos) break;
    open = close;
  }
  return headings;
}

std::u16string LastHeadingOf(std::string_view page) {
  std::vector<std::u16string> headings = HeadingsOf(page);
  return headings.empty() ? std::u16string() : std::move(headings.back());
}

}  // namespace quillwen
