#include "core/store/page_renderer.h"

#include "core/encoding/codeconverter.h"
#include "core/store/hit_marker.h"
#include "core/store/page_parser.h"

namespace quillwen {
namespace {

constexpr size_t kCellCapacity = 10000;

bool MarksItem(HitScope scope, FilterItemKind kind) {
  switch (scope) {
    case HitScopeFullText:
      return true;
    case HitScopeMainText:
      return kind == FilterItemKind::kMainText;
    case HitScopeAnnotations:
      return kind == FilterItemKind::kAnnotation;
  }
  return false;
}

}  // namespace

std::string RenderCell(std::string_view page, std::string_view term, int parity, HitScope scope,
                       int& anchorCounter) {
  ParsedPage nodes = ParsePage(page);
  std::string& searched = parity == 0 ? nodes[1].text : nodes[2].text;

  std::string cell;
  cell.reserve(kCellCapacity);
  for (const FilterItem& item : SplitAnnotations(searched)) {
    const bool annotation = item.kind == FilterItemKind::kAnnotation;
    if (annotation) cell.append(AnnotationOpen);
    if (MarksItem(scope, item.kind)) {
      cell.append(HighlightPiece(item.text, term, anchorCounter));
    } else {
      cell.append(item.text);
    }
    // An annotation left open at the end of the cell is closed here as well.
    if (annotation) cell.append(AnnotationClose);
  }
  searched = std::move(cell);

  std::string document;
  document.reserve(FrameHead.size() + FrameBeforeLeft.size() + FrameBeforeRight.size() +
                   FrameTail.size() + nodes[0].text.size() + nodes[1].text.size() +
                   nodes[2].text.size());
  document.append(FrameHead);
  document.append(nodes[0].text);
  document.append(FrameBeforeLeft);
  document.append(nodes[1].text);
  document.append(FrameBeforeRight);
  document.append(nodes[2].text);
  document.append(FrameTail);
  return document;
}

std::vector<std::u16string_view> SplitQueryTerms(std::u16string_view query) {
  std::vector<std::u16string_view> terms;
  size_t start = 0;
  for (size_t i = 0; i <= query.size(); ++i) {
    if (i == query.size() || query[i] == u' ' || query[i] == u'\u3000') {
      if (i > start) terms.push_back(query.substr(start, i - start));
      start = i + 1;
    }
  }
  return terms;
}

MarkTerms::MarkTerms() : seen_(0, Hash{&terms_}, Equal{&terms_}) {}

void MarkTerms::AddQuery(std::u16string_view query) {
  for (const std::u16string_view term : SplitQueryTerms(query)) {
    std::string bytes;
    Utf16ToUtf8Append(term, bytes, kLenient);
    terms_.push_back(std::move(bytes));
    if (!seen_.insert(terms_.size() - 1).second) terms_.pop_back();
  }
}

}  // namespace quillwen
