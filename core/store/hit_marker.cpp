#include "core/store/hit_marker.h"

#include <cstdio>

namespace quillwen {
namespace {

// The next occurrence of a needle at or after a position that never moves back.
// Remembering the last answer means no text is scanned twice for the same needle,
// which keeps marking linear in the text however many attempts fail.
class ForwardFinder {
 public:
  ForwardFinder(std::string_view text, std::string_view needle) : text_(text), needle_(needle) {}

  // The first occurrence at or after `from`, or the text's size when there is none.
  size_t Find(size_t from) {
    if (!known_ || found_ < from) {
      const size_t at = text_.find(needle_, from);
      found_ = at == std::string_view::npos ? text_.size() : at;
      known_ = true;
    }
    return found_;
  }

 private:
  std::string_view text_;
  std::string_view needle_;
  size_t found_ = 0;
  bool known_ = false;
};

}  // namespace

std::vector<Seg> ParseTerm(std::string_view term) {
  std::vector<Seg> pieces;
  size_t stretchStart = 0;
  while (stretchStart <= term.size()) {
    size_t stretchEnd = term.find('*', stretchStart);
    if (stretchEnd == std::string_view::npos) stretchEnd = term.size();
    const std::string_view stretch = term.substr(stretchStart, stretchEnd - stretchStart);
    if (!stretch.empty()) {
      pieces.push_back({stretchStart == 0 ? SegLeading : SegAfterStar, {}, 0});
      int gap = 1;
      size_t k = 0;
      while (k < stretch.size()) {
        const size_t question = stretch.find('?', k);
        const std::string_view text = stretch.substr(
            k, question == std::string_view::npos ? std::string_view::npos : question - k);
        if (!text.empty()) {
          pieces.back().bytes.append(text);
          pieces.back().gapCount = gap;
          pieces.push_back({SegAfterQuestion, {}, 0});
          gap = 1;
        } else {
          ++gap;
        }
        if (question == std::string_view::npos) break;
        k = question + 1;
      }
      // Always empty: the piece opened after the stretch's last text, or the
      // stretch's own piece when it held nothing but '?'.
      pieces.pop_back();
    }
    stretchStart = stretchEnd + 1;
  }
  return pieces;
}

void AppendAnchor(std::string& out, int number) {
  char anchor[48];
  const int length = std::snprintf(anchor, sizeof anchor, "<a name=\"%04d\"></a>", number);
  out.append(anchor, static_cast<size_t>(length));
}

std::vector<bool> AnchorsOfOneMatch(std::string_view term) {
  std::vector<bool> anchors;
  const std::vector<Seg> pieces = ParseTerm(term);
  for (size_t j = 0; j < pieces.size(); ++j) {
    // The gap before the first piece is not marked: the marking starts at it.
    if (j > 0 && pieces[j].kind == SegAfterQuestion) anchors.push_back(false);
    anchors.push_back(j > 0 && pieces[j].kind == SegAfterStar);
  }
  return anchors;
}

std::string HighlightPiece(std::string_view text, std::string_view term, int& anchorCounter) {
  const std::vector<Seg> pieces = ParseTerm(term);
  if (pieces.empty()) return std::string(text);

  std::vector<ForwardFinder> pieceFinders;
  pieceFinders.reserve(pieces.size());
  for (const Seg& piece : pieces) pieceFinders.emplace_back(text, piece.bytes);
  ForwardFinder paragraphs(text, kParagraphTag);
  ForwardFinder headings(text, kHeadingTag);

  std::string out;
  out.reserve(text.size() + 256);
  const size_t end = text.size();
  std::vector<size_t> starts;
  starts.reserve(pieces.size());
  size_t pos = 0;
  size_t cursor = 0;
  while (pos < end) {
    starts.clear();
    for (size_t j = 0; j < pieces.size(); ++j) {
      const Seg& piece = pieces[j];
      const size_t length = piece.bytes.size();
      if (piece.kind == SegLeading) {
        const size_t f = pieceFinders[j].Find(cursor);
        if (f < end) {
          starts.push_back(f);
          cursor = f + length;
        } else {
          cursor = end;
        }
      } else if (piece.kind == SegAfterStar) {
        if (cursor >= end) continue;
        const size_t f = pieceFinders[j].Find(cursor);
        const size_t p = paragraphs.Find(cursor);
        const size_t h = headings.Find(cursor);
        if (p < f) {
          cursor = p + kParagraphTag.size();
        } else if (h < f) {
          cursor = h + kHeadingTag.size();
        } else if (f < end) {
          starts.push_back(f);
          cursor = f + length;
        } else {
          cursor = end;
        }
      } else {  // SegAfterQuestion
        if (cursor >= end) continue;
        const size_t gap = kQuestionGapBytes * static_cast<size_t>(piece.gapCount);
        if (gap >= end - cursor) continue;  // the gap would reach the end: fail, stay
        const size_t g = cursor + gap;
        const size_t f = pieceFinders[j].Find(g);
        if (f == g) {
          starts.push_back(g);
          cursor = g + length;
        } else if (f < end) {
          cursor = g - gap;
        } else {
          cursor = end;
        }
      }
    }

    if (starts.size() == pieces.size()) {
      out.append(text.substr(pos, starts[0] - pos));
      for (size_t j = 0; j < pieces.size(); ++j) {
        AppendAnchor(out, anchorCounter++);
        out.append(HitOpen);
        out.append(text.substr(starts[j], pieces[j].bytes.size()));
        out.append(HitClose);
        if (j + 1 == pieces.size()) break;
        const size_t between = starts[j] + pieces[j].bytes.size();
        const std::string_view gapText = text.substr(between, starts[j + 1] - between);
        if (pieces[j + 1].kind == SegAfterQuestion) {
          out.append(HitOpen);
          AppendAnchor(out, anchorCounter++);
          out.append(gapText);
          out.append(HitClose);
        } else {
          out.append(gapText);
        }
      }
    } else {
      out.append(text.substr(pos, cursor - pos));
    }
    pos = cursor;
  }
  return out;
}

}  // namespace quillwen
