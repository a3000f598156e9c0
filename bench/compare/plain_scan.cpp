#include "bench/compare/plain_scan.h"

#include <algorithm>
#include <utility>

#include "bench/compare/indexed_text.h"
#include "core/search/character_id.h"
#include "core/search/code_points.h"
#include "core/search/query.h"

namespace quillwen::bench {
namespace {

// A term's segments: (place in the term, character); "?" only advances the place.
using Segment = std::vector<std::pair<int64_t, char32_t>>;

std::vector<Segment> SegmentsOf(std::u16string_view term) {
  std::vector<Segment> segments(1);
  int64_t q = 0;
  for (const char32_t c : ToCodePoints(NormaliseTerm(term))) {
    if (c == U'*') {
      segments.emplace_back();
    } else if (c == U'?' || c == U'\uFF1F') {
      ++q;
    } else if (CharacterId(c) >= 0) {
      segments.back().emplace_back(q++, c);
    }
  }
  std::erase_if(segments, [](const Segment& segment) { return segment.empty(); });
  return segments;
}

// Whether `segment` stands in `block` at offset d (block position less place
// in the term).
bool StandsAt(const Segment& segment, std::u32string_view block, int64_t d) {
  for (const auto& [place, c] : segment) {
    const int64_t at = d + place;
    if (at < 0 || at >= static_cast<int64_t>(block.size()) || block[at] != c) return false;
  }
  return true;
}

// Whether every segment stands in `block` in order. `feasible[s]` is scratch:
// the offsets from which segments s onwards can stand, ascending.
bool MatchesIn(const std::vector<Segment>& segments, std::u32string_view block,
               std::vector<std::vector<int64_t>>& feasible) {
  for (size_t s = segments.size(); s-- > 0;) {
    feasible[s].clear();
    const auto [firstPlace, firstCharacter] = segments[s].front();
    for (int64_t p = 0; p < static_cast<int64_t>(block.size()); ++p) {
      if (block[p] != firstCharacter) continue;
      const int64_t d = p - firstPlace;
      if (!StandsAt(segments[s], block, d)) continue;
      if (s + 1 < segments.size()) {
        const auto next = std::lower_bound(feasible[s + 1].begin(), feasible[s + 1].end(), d);
        if (next == feasible[s + 1].end() || *next - d > kMaxGap) continue;
      }
      feasible[s].push_back(d);
    }
    if (feasible[s].empty()) return false;
  }
  return true;
}

}  // namespace

std::vector<uint32_t> PlainScan::Pages(std::u16string_view term) const {
  std::vector<uint32_t> found;
  const std::vector<Segment> segments = SegmentsOf(term);
  if (segments.empty()) return found;
  std::vector<std::vector<int64_t>> feasible(segments.size());
  for (uint32_t page = 0; page < pages_.size(); ++page) {
    const std::u32string_view text = pages_[page];
    for (size_t from = 0; from < text.size();) {
      const size_t border = std::min(text.find(kBlockBorder, from), text.size());
      if (MatchesIn(segments, text.substr(from, border - from), feasible)) {
        found.push_back(page);
        break;
      }
      from = border + 1;
    }
  }
  return found;
}

}  // namespace quillwen::bench
