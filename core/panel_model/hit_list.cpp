#include "core/panel_model/hit_list.h"

#include <algorithm>
#include <unordered_map>
#include <utility>

#include "core/encoding/codeconverter.h"
#include "core/search/code_points.h"
#include "core/store/hit_context.h"

namespace quillwen {
namespace {

// The left context read from the hit backwards, so that texts ending alike sort
// together: how a reader sees which words come before a term.
std::u16string Reversed(std::u16string_view text) {
  std::u32string points = ToCodePoints(text);
  std::reverse(points.begin(), points.end());
  std::u16string reversed;
  reversed.reserve(text.size());
  for (const char32_t c : points) AppendUtf16(reversed, c);
  return reversed;
}

// The matches on a rendered page in the order they stand there, each made of the
// markers its term placed for it.
std::vector<HitRow> MatchesOnPage(const RenderedPage& page, size_t contextChars) {
  const std::vector<HitInContext> hits = HitsInContext(page.document, contextChars);
  // Where each anchor's hit stands among the hits of the page.
  std::unordered_map<int, size_t> placeOfAnchor;
  for (size_t i = 0; i < hits.size(); ++i) placeOfAnchor.emplace(hits[i].anchor, i);
  std::vector<std::pair<size_t, HitRow>> matches;
  for (const TermAnchors& term : page.anchors) {
    const int perMatch = static_cast<int>(term.perMatch.size());
    if (perMatch == 0) continue;
    for (int first = term.firstAnchor; first + perMatch <= term.endAnchor; first += perMatch) {
      const auto start = placeOfAnchor.find(first);
      if (start == placeOfAnchor.end()) continue;
      HitRow row;
      row.anchor = first;
      std::string hit;
      const HitInContext* last = nullptr;
      for (int j = 0; j < perMatch; ++j) {
        const auto piece = placeOfAnchor.find(first + j);
        if (piece == placeOfAnchor.end()) continue;
        if (term.perMatch[static_cast<size_t>(j)] && !hit.empty()) hit += "…";
        last = &hits[piece->second];
        hit += last->hit;
      }
      row.left = Utf8ToUtf16(hits[start->second].left);
      row.hit = Utf8ToUtf16(hit);
      row.right = Utf8ToUtf16(last->right);
      matches.emplace_back(start->second, std::move(row));
    }
  }
  std::stable_sort(matches.begin(), matches.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });
  std::vector<HitRow> rows;
  rows.reserve(matches.size());
  for (auto& match : matches) rows.push_back(std::move(match.second));
  return rows;
}

}  // namespace

void HitList::Reset(const ResultRows& pageRows) {
  pageRows_ = &pageRows;
  prefix_.assign(1, 0);
  prefix_.reserve(pageRows.Count() + 1);
  for (size_t i = 0; i < pageRows.Count(); ++i) {
    // As the page row's count reads it.
    const int32_t places = static_cast<int32_t>(pageRows.PlacesAt(i));
    prefix_.push_back(prefix_.back() + static_cast<uint64_t>(std::max(places, 0)));
  }
  if (!sorted_.empty()) release_.Release(std::exchange(sorted_, {}));
  sortedOrder_ = HitRowOrder::kReading;
}

void HitList::AppendPageRows(size_t index, uint64_t from, uint64_t to,
                             const ResultPageRenderer& render, size_t contextChars,
                             std::vector<HitRow>& rows) const {
  const auto pageRow = std::make_shared<const SearchNodeTag>(pageRows_->Row(index));
  const std::vector<HitRow> matches = MatchesOnPage(render(pageRows_->PageAt(index)), contextChars);
  for (uint64_t k = from; k < to; ++k) {
    HitRow row;
    if (k < matches.size()) row = matches[static_cast<size_t>(k)];
    row.pageRow = pageRow;
    row.readingIndex = prefix_[index] + k;
    rows.push_back(std::move(row));
  }
}

std::vector<HitRow> HitList::Rows(uint64_t first, uint64_t count, HitRowOrder order,
                                  const ResultPageRenderer& render, size_t contextChars) {
  std::vector<HitRow> rows;
  const uint64_t total = Count();
  if (first >= total) return rows;
  const uint64_t end = first + std::min(count, total - first);
  if (order != HitRowOrder::kReading) {
    Materialise(order, render, contextChars);
    rows.assign(sorted_.begin() + static_cast<std::ptrdiff_t>(first),
                sorted_.begin() + static_cast<std::ptrdiff_t>(end));
    return rows;
  }
  // The page row holding hit row `first`: the last one with fewer rows before it.
  size_t index = static_cast<size_t>(std::upper_bound(prefix_.begin(), prefix_.end(), first) -
                                     prefix_.begin() - 1);
  for (uint64_t at = first; at < end; ++index) {
    const uint64_t pageEnd = std::min(prefix_[index + 1], end);
    if (pageEnd > at)
      AppendPageRows(index, at - prefix_[index], pageEnd - prefix_[index], render, contextChars,
                     rows);
    at = std::max(at, pageEnd);
  }
  return rows;
}

void HitList::Materialise(HitRowOrder order, const ResultPageRenderer& render,
                          size_t contextChars) {
  if (!sorted_.empty() && sortedOrder_ == order && sortedContext_ == contextChars) return;
  if (sorted_.empty() || sortedContext_ != contextChars) {
    if (!sorted_.empty()) release_.Release(std::exchange(sorted_, {}));
    sorted_.reserve(static_cast<size_t>(Count()));
    for (size_t i = 0; i + 1 < prefix_.size(); ++i) {
      AppendPageRows(i, 0, prefix_[i + 1] - prefix_[i], render, contextChars, sorted_);
    }
    sortedContext_ = contextChars;
    sortedOrder_ = HitRowOrder::kReading;
  }
  // Ties keep reading order: sort from it each time.
  if (sortedOrder_ != HitRowOrder::kReading) {
    std::sort(sorted_.begin(), sorted_.end(),
              [](const HitRow& a, const HitRow& b) { return a.readingIndex < b.readingIndex; });
  }
  switch (order) {
    case HitRowOrder::kReading:
      break;
    case HitRowOrder::kLeftContext: {
      std::vector<std::pair<std::u16string, size_t>> keys;
      keys.reserve(sorted_.size());
      for (size_t i = 0; i < sorted_.size(); ++i) keys.emplace_back(Reversed(sorted_[i].left), i);
      std::stable_sort(keys.begin(), keys.end(),
                       [](const auto& a, const auto& b) { return a.first < b.first; });
      std::vector<HitRow> ordered;
      ordered.reserve(sorted_.size());
      for (const auto& key : keys) ordered.push_back(std::move(sorted_[key.second]));
      sorted_ = std::move(ordered);
      break;
    }
    case HitRowOrder::kHit:
      std::stable_sort(sorted_.begin(), sorted_.end(), [](const HitRow& a, const HitRow& b) {
        return a.hit != b.hit ? a.hit < b.hit : a.right < b.right;
      });
      break;
    case HitRowOrder::kRightContext:
      std::stable_sort(sorted_.begin(), sorted_.end(),
                       [](const HitRow& a, const HitRow& b) { return a.right < b.right; });
      break;
  }
  sortedOrder_ = order;
}

void HitList::ForEachRow(HitRowOrder order, const ResultPageRenderer& render, size_t contextChars,
                         const std::function<void(const HitRow&)>& sink) {
  if (order != HitRowOrder::kReading) {
    Materialise(order, render, contextChars);
    for (const HitRow& row : sorted_) sink(row);
    return;
  }
  std::vector<HitRow> rows;
  for (size_t i = 0; i + 1 < prefix_.size(); ++i) {
    rows.clear();
    AppendPageRows(i, 0, prefix_[i + 1] - prefix_[i], render, contextChars, rows);
    for (const HitRow& row : rows) sink(row);
  }
}

}  // namespace quillwen
