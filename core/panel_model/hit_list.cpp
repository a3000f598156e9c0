#include "core/panel_model/hit_list.h"

#include <algorithm>
#include <tuple>
#include <unordered_map>
#include <utility>

#include "core/encoding/codeconverter.h"
#include "core/search/code_points.h"
#include "core/search/query.h"
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

// The stretch [from, to) of a match that no marker covers, between two pieces
// of a '*' term: whole up to `chars` characters, else its two ends around "…".
std::string GapText(const CellText& text, size_t from, size_t to, size_t chars) {
  if (to - from <= chars) return text.Slice(from, to);
  const size_t head = chars / 2;
  return text.Slice(from, from + head) + "…" + text.Slice(to - (chars - head), to);
}

// The characters of [from, to) that take a position in the index: all but the
// spaces that white space and line breaks leave in the visible text.
size_t PositionedChars(const CellText& text, size_t from, size_t to) {
  size_t count = 0;
  for (size_t at = from; at < to; ++at) count += text.IsSpace(at) ? 0 : 1;
  return count;
}

// One match on a page: its first character in the visible text, and its row.
struct Match {
  size_t cell = 0;
  size_t start = 0;
  HitRow row;
};

// The markers of one match, found on the page, with whether each follows a
// '*' gap.
struct MatchPieces {
  std::vector<const PlacedHit*> pieces;
  std::vector<bool> afterStar;

  // Whether the pieces stand in order in one cell, so that the text of the
  // match can be read from it.
  bool ReadableInOneCell() const {
    for (size_t j = 1; j < pieces.size(); ++j) {
      if (pieces[j]->cell != pieces[0]->cell || pieces[j]->start < pieces[j - 1]->end) return false;
    }
    return true;
  }

  // Whether the search counts the match as a place: the marker's '*' reaches any
  // distance, the search's no more than kMaxGap characters.
  bool WithinTheSearchsReach(const CellText& text) const {
    for (size_t j = 1; j < pieces.size(); ++j) {
      if (afterStar[j] && PositionedChars(text, pieces[j - 1]->end, pieces[j]->start) > kMaxGap)
        return false;
    }
    return true;
  }
};

// The text of a match read from the page, its first piece standing at
// [firstStart, firstEnd): every piece, with the text between two pieces that a
// '*' joins cut to `gapChars`.
std::string MatchText(const CellText& text, const MatchPieces& match, size_t firstStart,
                      size_t firstEnd, size_t gapChars) {
  std::string hit = text.Slice(firstStart, firstEnd);
  size_t end = firstEnd;
  for (size_t j = 1; j < match.pieces.size(); ++j) {
    const PlacedHit& piece = *match.pieces[j];
    hit += match.afterStar[j] ? GapText(text, end, piece.start, gapChars)
                              : text.Slice(end, piece.start);
    hit += text.Slice(piece.start, piece.end);
    end = piece.end;
  }
  return hit;
}

// The places the search counts inside a '*' match besides the marked one: the
// search takes every occurrence of the first piece that has the rest after it
// (within kMaxGap characters), while the marker's matches never overlap, so an
// occurrence that stands inside the first gap, or overlaps the first piece, is
// counted but not marked. Each is opened at the match that holds it.
void AddPlacesInsideTheGap(const CellText& text, const MatchPieces& match, size_t contextChars,
                           std::vector<Match>& out) {
  if (match.pieces.size() < 2 || !match.afterStar[1]) return;
  const PlacedHit& first = *match.pieces[0];
  const size_t length = first.end - first.start;
  const size_t gapEnd = match.pieces[1]->start;
  if (length == 0 || gapEnd < first.start + length) return;
  const std::string firstText = text.Slice(first.start, first.end);
  // Occurrences further from the next piece than the search reaches are not
  // places, so the scan starts no further back than that.
  size_t from = gapEnd - length;
  for (size_t positioned = 0; from > first.start + 1 && positioned < kMaxGap; --from) {
    if (!text.IsSpace(from - 1 + length)) ++positioned;
  }
  for (size_t at = from; at + length <= gapEnd; ++at) {
    if (at <= first.start || text.Slice(at, at + length) != firstText) continue;
    Match place{first.cell, at, {}};
    place.row.anchor = first.row.anchor;
    place.row.left = Utf8ToUtf16(text.Before(at, contextChars));
    place.row.hit = Utf8ToUtf16(MatchText(text, match, at, at + length, contextChars));
    place.row.right = Utf8ToUtf16(match.pieces.back()->row.right);
    out.push_back(std::move(place));
  }
}

// The matches on a rendered page in the order they stand there, each made of the
// markers its term placed for it.
std::vector<HitRow> MatchesOnPage(const RenderedPage& page, size_t contextChars) {
  const PageHits hits = ReadPageHits(page.document, contextChars);
  // Where each anchor's hit stands among the hits of the page.
  std::unordered_map<int, size_t> placeOfAnchor;
  for (size_t i = 0; i < hits.hits.size(); ++i) placeOfAnchor.emplace(hits.hits[i].row.anchor, i);
  std::vector<Match> matches;
  for (const TermAnchors& term : page.anchors) {
    const int perMatch = static_cast<int>(term.perMatch.size());
    if (perMatch == 0) continue;
    for (int first = term.firstAnchor; first + perMatch <= term.endAnchor; first += perMatch) {
      const auto start = placeOfAnchor.find(first);
      if (start == placeOfAnchor.end()) continue;
      MatchPieces match;
      for (int j = 0; j < perMatch; ++j) {
        const auto piece = placeOfAnchor.find(first + j);
        if (piece == placeOfAnchor.end()) continue;
        match.pieces.push_back(&hits.hits[piece->second]);
        match.afterStar.push_back(term.perMatch[static_cast<size_t>(j)]);
      }
      const PlacedHit& head = *match.pieces.front();
      Match found{head.cell, head.start, {}};
      found.row.anchor = first;
      found.row.left = Utf8ToUtf16(head.row.left);
      found.row.right = Utf8ToUtf16(match.pieces.back()->row.right);
      if (match.ReadableInOneCell()) {
        const CellText& text = hits.cells[head.cell];
        AddPlacesInsideTheGap(text, match, contextChars, matches);
        if (!match.WithinTheSearchsReach(text)) continue;
        found.row.hit = Utf8ToUtf16(MatchText(text, match, head.start, head.end, contextChars));
      } else {
        // Only a damaged page spreads a match over cells: its pieces, as marked.
        std::string hit;
        for (size_t j = 0; j < match.pieces.size(); ++j) {
          if (match.afterStar[j] && !hit.empty()) hit += "…";
          hit += match.pieces[j]->row.hit;
        }
        found.row.hit = Utf8ToUtf16(hit);
      }
      matches.push_back(std::move(found));
    }
  }
  std::stable_sort(matches.begin(), matches.end(), [](const Match& a, const Match& b) {
    return std::tie(a.cell, a.start) < std::tie(b.cell, b.start);
  });
  std::vector<HitRow> rows;
  rows.reserve(matches.size());
  for (Match& match : matches) rows.push_back(std::move(match.row));
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
