#pragma once

// The hits of a result, one row per place, each with the text around it: the
// result list's second way of showing a search (keyword in context).
//
// A page row with n places stands for n hit rows, in the order its matches stand
// on the page; so the rows of any list page are known without rendering a page
// outside it. A row's context and its anchor come from the page rendered as the
// result page is, so a row opens the very hit it shows. One match of a wildcard
// term places several markers (one per piece, one per '?' gap): they make one row,
// opened at the first, its hit the pieces in order with "…" for each '*' gap. A
// place the marker cannot mark (a phrase across a line or an annotation) keeps its
// row, without anchor and text; matches beyond the page's count of places get no
// row of their own (the hit commands still reach them on the page).

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/panel_model/background_release.h"
#include "core/panel_model/search_results.h"
#include "core/store/hit_marker.h"

namespace quillwen {

struct HitRow {
  // The page's row, shared by the hit rows of one page.
  std::shared_ptr<const SearchNodeTag> pageRow;
  int anchor = -1;            // the hit's anchor; -1: not marked on the page
  std::u16string left;        // the text just before the hit
  std::u16string hit;         // the hit as the page shows it
  std::u16string right;       // the text just after the hit
  uint64_t readingIndex = 0;  // the row's place in reading order
};

// The orders a click on a header of the hit rows gives.
enum class HitRowOrder {
  kReading,       // pages in reading order, hits in page order
  kLeftContext,   // by the text before the hit, read backwards from the hit
  kHit,           // by the hit, then the text after it
  kRightContext,  // by the text after the hit
};

// One index page rendered as a result page with every hit marked (an empty
// document when the page cannot be rendered), and the anchors each term placed.
struct RenderedPage {
  std::string document;
  std::vector<TermAnchors> anchors;
};
using ResultPageRenderer = std::function<RenderedPage(uint32_t page)>;

class HitList {
 public:
  // The page rows of a result; they must outlive the list or its next Reset. A
  // page row is named only when a hit row of it is made.
  void Reset(const ResultRows& pageRows);

  // How many hit rows there are: the places of all page rows.
  uint64_t Count() const { return prefix_.empty() ? 0 : prefix_.back(); }

  // In reading order, the number of the first hit row of page row `index`
  // (counted in reading order).
  uint64_t FirstRowOfPage(size_t index) const { return prefix_[index]; }

  // Rows [first, first + count) in `order`. Reading order renders only the
  // pages those rows stand on; any other order renders every page once, when it
  // is first asked for, and keeps the rows until the next Reset.
  std::vector<HitRow> Rows(uint64_t first, uint64_t count, HitRowOrder order,
                           const ResultPageRenderer& render, size_t contextChars);

  // Every row in `order`, handed to `sink` one page of rows at a time in
  // reading order, so that memory does not grow with the result.
  void ForEachRow(HitRowOrder order, const ResultPageRenderer& render, size_t contextChars,
                  const std::function<void(const HitRow&)>& sink);

 private:
  // The rows of page row `index`, numbered `from` to `to` (exclusive) on it.
  void AppendPageRows(size_t index, uint64_t from, uint64_t to, const ResultPageRenderer& render,
                      size_t contextChars, std::vector<HitRow>& rows) const;
  void Materialise(HitRowOrder order, const ResultPageRenderer& render, size_t contextChars);

  const ResultRows* pageRows_ = nullptr;
  std::vector<uint64_t> prefix_;  // prefix_[i]: the hit rows before page row i; size n + 1
  std::vector<HitRow> sorted_;    // every row, in sortedOrder_
  BackgroundRelease release_;     // the rows of a result gone
  HitRowOrder sortedOrder_ = HitRowOrder::kReading;
  size_t sortedContext_ = 0;
};

}  // namespace quillwen
