#include "core/store/hit_context.h"

#include <algorithm>
#include <climits>
#include <iterator>
#include <optional>

#include "core/encoding/utf8.h"
#include "core/store/hit_marker.h"
#include "core/store/page_renderer.h"

namespace quillwen {
namespace {

constexpr std::string_view kAnchorPrefix = "<a name=\"";
constexpr std::string_view kAnchorSuffix = "\"></a>";
constexpr std::string_view kCommentOpen = "<!--";
constexpr std::string_view kCommentClose = "-->";
// Longer than any entity decoded here ("&#x0010FFFF;"), so that a stray '&'
// costs a bounded look-ahead and the scan stays linear.
constexpr size_t kLongestEntity = 16;
// Tag names longer than this are none of the names looked for.
constexpr size_t kLongestTagName = 10;
constexpr size_t kNoRow = static_cast<size_t>(-1);
// The renderer's hits are as long as a term; only a damaged page (markers left
// open, or nested thousands deep) has longer ones, and showing each in full would
// make the rows grow with the square of the page.
constexpr size_t kLongestHit = 200;

// Elements that start a new line on the page: between words they read as a space.
constexpr std::string_view kBlockTags[] = {
    "address", "article", "blockquote", "body",   "br",   "caption", "center", "dd",
    "div",     "dl",      "dt",         "footer", "h1",   "h2",      "h3",     "h4",
    "h5",      "h6",      "header",     "hr",     "html", "li",      "ol",     "p",
    "pre",     "section", "table",      "td",     "th",   "tr",      "ul"};
// Elements whose content the page never shows.
constexpr std::string_view kHiddenTags[] = {"script", "style", "title"};

bool IsAsciiSpace(unsigned char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v';
}
bool IsAsciiAlpha(unsigned char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool IsAsciiDigit(unsigned char c) { return c >= '0' && c <= '9'; }
bool IsAsciiAlnum(unsigned char c) { return IsAsciiAlpha(c) || IsAsciiDigit(c); }
char AsciiLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool IsWhiteSpace(char32_t codePoint) {
  return codePoint == 0xA0 ||
         (codePoint < 0x80 && IsAsciiSpace(static_cast<unsigned char>(codePoint)));
}

bool StartsAt(std::string_view text, size_t at, std::string_view literal) {
  return at <= text.size() && text.substr(at).starts_with(literal);
}

bool EqualsIgnoreCase(std::string_view text, std::string_view lowerName) {
  if (text.size() != lowerName.size()) return false;
  for (size_t k = 0; k < text.size(); ++k) {
    if (AsciiLower(text[k]) != lowerName[k]) return false;
  }
  return true;
}

template <size_t N>
bool IsOneOf(std::string_view name, const std::string_view (&names)[N]) {
  return std::find(std::begin(names), std::end(names), name) != std::end(names);
}

struct Anchor {
  int number = 0;
  size_t end = 0;  // the position just after the anchor's "</a>"
};

// The anchor as AppendAnchor writes it, starting at `at`. A number beyond int is
// not one the renderer can have placed.
std::optional<Anchor> AnchorAt(std::string_view text, size_t at) {
  if (!StartsAt(text, at, kAnchorPrefix)) return std::nullopt;
  size_t k = at + kAnchorPrefix.size();
  long long value = 0;
  const size_t firstDigit = k;
  while (k < text.size() && IsAsciiDigit(static_cast<unsigned char>(text[k]))) {
    value = value * 10 + (text[k] - '0');
    if (value > INT_MAX) return std::nullopt;
    ++k;
  }
  if (k == firstDigit || !StartsAt(text, k, kAnchorSuffix)) return std::nullopt;
  return Anchor{static_cast<int>(value), k + kAnchorSuffix.size()};
}

// The code point an entity name (the part between '&' and ';') stands for.
std::optional<char32_t> DecodeEntity(std::string_view name) {
  if (name == "amp") return U'&';
  if (name == "lt") return U'<';
  if (name == "gt") return U'>';
  if (name == "quot") return U'"';
  if (name == "apos") return U'\'';
  if (name == "nbsp") return char32_t{0xA0};
  if (name.size() < 2 || name[0] != '#') return std::nullopt;
  const bool hex = name[1] == 'x' || name[1] == 'X';
  const std::string_view digits = name.substr(hex ? 2 : 1);
  if (digits.empty()) return std::nullopt;
  char32_t value = 0;
  for (const char c : digits) {
    int digit;
    if (IsAsciiDigit(static_cast<unsigned char>(c))) {
      digit = c - '0';
    } else if (hex && AsciiLower(c) >= 'a' && AsciiLower(c) <= 'f') {
      digit = AsciiLower(c) - 'a' + 10;
    } else {
      return std::nullopt;
    }
    // Saturates just past the last code point: the value is invalid either way.
    value = std::min<char32_t>(value * (hex ? 16 : 10) + static_cast<char32_t>(digit), 0x110000);
  }
  if (value == 0 || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) return U'\uFFFD';
  return value;
}

// The visible text of one cell as it grows, with the byte offset of every
// character so that contexts can be cut by characters in constant time each.
class VisibleBuilder {
 public:
  // One character whose bytes are taken as they are (valid or not).
  void Put(std::string_view bytes) {
    starts_.push_back(text_.size());
    text_.append(bytes);
    lastIsSpace_ = false;
  }

  void PutCodePoint(char32_t codePoint) {
    if (IsWhiteSpace(codePoint)) {
      Space();
      return;
    }
    starts_.push_back(text_.size());
    AppendUtf8(text_, codePoint);
    lastIsSpace_ = false;
  }

  // Written at once, where the run of white space begins, so that a run that
  // starts before a marker opens stays outside the hit. Never at the start.
  void Space() {
    if (starts_.empty() || lastIsSpace_) return;
    starts_.push_back(text_.size());
    text_.push_back(' ');
    lastIsSpace_ = true;
  }

  size_t Chars() const { return starts_.size(); }

  // Drops a space at the end and closes the offset table; nothing is put after.
  CellText Finish() {
    if (lastIsSpace_) {
      text_.pop_back();
      starts_.pop_back();
      lastIsSpace_ = false;
    }
    starts_.push_back(text_.size());
    return CellText(std::move(text_), std::move(starts_));
  }

 private:
  std::string text_;
  std::vector<size_t> starts_;
  bool lastIsSpace_ = false;
};

// A hit found in a cell, in characters of the cell's visible text.
struct HitSpan {
  int anchor = 0;
  size_t start = 0;
  size_t end = 0;
  bool closed = false;
};

// One pass over one cell: the visible text, and the hits when `hits` is given.
class CellScanner {
 public:
  CellScanner(std::string_view cell, VisibleBuilder& out, std::vector<HitSpan>* hits)
      : cell_(cell), out_(out), hits_(hits) {}

  void Run() {
    size_t i = 0;
    while (i < cell_.size()) {
      const unsigned char c = static_cast<unsigned char>(cell_[i]);
      if (c == '<') {
        i = OpensTag(i) ? Tag(i) : PutByte(i);
      } else if (c == '&') {
        i = Entity(i);
      } else if (IsAsciiSpace(c)) {
        out_.Space();
        ++i;
      } else {
        const Utf8Char ch = DecodeUtf8At(cell_, i);
        if (ch.valid && IsWhiteSpace(ch.codePoint)) {
          out_.Space();
        } else {
          out_.Put(cell_.substr(i, ch.length));
        }
        i += ch.length;
      }
    }
  }

 private:
  // As on the page: "<" before anything else, as in "a < b", is a character.
  bool OpensTag(size_t at) const {
    if (at + 1 >= cell_.size()) return false;
    const unsigned char next = static_cast<unsigned char>(cell_[at + 1]);
    return IsAsciiAlpha(next) || next == '/' || next == '!' || next == '?';
  }

  size_t PutByte(size_t at) {
    out_.Put(cell_.substr(at, 1));
    return at + 1;
  }

  // Handles the tag at `at` and returns where the text goes on.
  size_t Tag(size_t at) {
    if (StartsAt(cell_, at, kCommentOpen)) {
      const size_t close = cell_.find(kCommentClose, at + kCommentOpen.size());
      return close == std::string_view::npos ? cell_.size() : close + kCommentClose.size();
    }
    if (const std::optional<Anchor> anchor = AnchorAt(cell_, at)) {
      pendingAnchor_ = anchor->number;
      pendingAnchorEnd_ = anchor->end;
      return anchor->end;
    }
    const size_t close = cell_.find('>', at + 1);
    if (close == std::string_view::npos) return cell_.size();
    const size_t after = close + 1;
    if (cell_.substr(at, after - at) == HitOpen) return OpenMarker(at, after);

    size_t k = at + 1;
    const bool closing = cell_[k] == '/';
    if (closing) ++k;
    const size_t nameStart = k;
    while (k < close && IsAsciiAlnum(static_cast<unsigned char>(cell_[k]))) ++k;
    if (k - nameStart > kLongestTagName) return after;
    std::string name(cell_.substr(nameStart, k - nameStart));
    std::transform(name.begin(), name.end(), name.begin(), AsciiLower);

    if (name == "b") {
      if (closing) {
        CloseBold();
      } else {
        openBold_.push_back(kNoRow);
      }
    } else if (!closing && IsOneOf(name, kHiddenTags)) {
      return SkipHidden(after, name);
    } else if (IsOneOf(name, kBlockTags)) {
      out_.Space();
    }
    return after;
  }

  // The marker opening at `at`: its anchor stands right before it, or for the
  // marker of a '?' gap right after its opening tag. An anchor after the opening
  // tag that a marker follows at once is that marker's, not this one's (a later
  // term's hit at the very start of this one).
  size_t OpenMarker(size_t at, size_t after) {
    std::optional<int> anchor;
    size_t next = after;
    if (pendingAnchorEnd_ == at) {
      anchor = pendingAnchor_;
    } else if (const std::optional<Anchor> inner = AnchorAt(cell_, after);
               inner && !StartsAt(cell_, inner->end, HitOpen)) {
      anchor = inner->number;
      next = inner->end;
    }
    size_t row = kNoRow;
    if (hits_ != nullptr && anchor) {
      row = hits_->size();
      hits_->push_back({*anchor, out_.Chars(), 0, false});
    }
    openBold_.push_back(row);
    return next;
  }

  // Markers and the page's own bold text share the closing tag, so every <b> is
  // tracked and each "</b>" closes the innermost one still open.
  void CloseBold() {
    if (openBold_.empty()) return;  // a stray "</b>"
    const size_t row = openBold_.back();
    openBold_.pop_back();
    if (row != kNoRow) {
      (*hits_)[row].end = out_.Chars();
      (*hits_)[row].closed = true;
    }
  }

  // Past the closing tag of the hidden element opened before `from`, or to the
  // end of the cell when it is never closed.
  size_t SkipHidden(size_t from, std::string_view name) const {
    size_t k = from;
    while ((k = cell_.find("</", k)) != std::string_view::npos) {
      const size_t nameEnd = k + 2 + name.size();
      if (EqualsIgnoreCase(cell_.substr(k + 2, name.size()), name) &&
          (nameEnd >= cell_.size() || cell_[nameEnd] == '>' || cell_[nameEnd] == '/' ||
           IsAsciiSpace(static_cast<unsigned char>(cell_[nameEnd])))) {
        const size_t close = cell_.find('>', nameEnd);
        return close == std::string_view::npos ? cell_.size() : close + 1;
      }
      k += 2;
    }
    return cell_.size();
  }

  size_t Entity(size_t at) {
    const size_t limit = std::min(cell_.size(), at + 1 + kLongestEntity);
    for (size_t k = at + 1; k < limit; ++k) {
      const unsigned char c = static_cast<unsigned char>(cell_[k]);
      if (c == ';') {
        if (const std::optional<char32_t> codePoint =
                DecodeEntity(cell_.substr(at + 1, k - at - 1))) {
          out_.PutCodePoint(*codePoint);
          return k + 1;
        }
        break;
      }
      if (!IsAsciiAlnum(c) && c != '#') break;
    }
    return PutByte(at);
  }

  std::string_view cell_;
  VisibleBuilder& out_;
  std::vector<HitSpan>* hits_;
  std::vector<size_t> openBold_;  // the hit row of each open <b>, kNoRow if none
  int pendingAnchor_ = 0;
  size_t pendingAnchorEnd_ = std::string_view::npos;
};

// The two cells of a result page. The frame literals cannot stand inside the
// title or the first cell (the page parser drops the <TD> tags they contain), so
// their first occurrences are the frame's own; the second cell may hold the tail's
// bytes, so it runs up to the tail at the document's end.
std::vector<std::string_view> Cells(std::string_view document) {
  if (document.size() < FrameHead.size() + FrameTail.size() || !document.starts_with(FrameHead) ||
      !document.ends_with(FrameTail)) {
    return {document};
  }
  const std::string_view body =
      document.substr(FrameHead.size(), document.size() - FrameHead.size() - FrameTail.size());
  const size_t beforeLeft = body.find(FrameBeforeLeft);
  if (beforeLeft == std::string_view::npos) return {document};
  const size_t leftStart = beforeLeft + FrameBeforeLeft.size();
  const size_t beforeRight = body.find(FrameBeforeRight, leftStart);
  if (beforeRight == std::string_view::npos) return {document};
  return {body.substr(leftStart, beforeRight - leftStart),
          body.substr(beforeRight + FrameBeforeRight.size())};
}

void AppendHits(std::string_view cell, size_t contextChars, PageHits& page) {
  VisibleBuilder builder;
  std::vector<HitSpan> hits;
  CellScanner(cell, builder, &hits).Run();
  const size_t cellIndex = page.cells.size();
  const CellText& text = page.cells.emplace_back(builder.Finish());
  const size_t chars = text.Chars();

  for (const HitSpan& span : hits) {
    // A marker left open, and a hit that ended on the dropped final space, end
    // with the text.
    size_t start = std::min(span.start, chars);
    size_t end = span.closed ? std::min(span.end, chars) : chars;
    // A space at an edge of the hit separates it from its context: give it to
    // the context, so that the hit never starts or ends with a space.
    if (start < end && text.IsSpace(start)) ++start;
    if (start < end && text.IsSpace(end - 1)) --end;

    size_t shownEnd = std::min(end, start + kLongestHit);
    if (shownEnd < end && shownEnd > start && text.IsSpace(shownEnd - 1)) --shownEnd;

    page.hits.push_back({{span.anchor, text.Before(start, contextChars),
                          text.Slice(start, shownEnd), text.After(end, contextChars)},
                         cellIndex,
                         start,
                         end});
  }
}

}  // namespace

std::string CellText::Before(size_t start, size_t chars) const {
  size_t from = start - std::min(start, chars);
  if (from < start && IsSpace(from)) ++from;
  return Slice(from, start);
}

std::string CellText::After(size_t end, size_t chars) const {
  size_t to = end + std::min(Chars() - end, chars);
  if (to > end && IsSpace(to - 1)) --to;
  return Slice(end, to);
}

PageHits ReadPageHits(std::string_view document, size_t contextChars) {
  PageHits page;
  for (const std::string_view cell : Cells(document)) AppendHits(cell, contextChars, page);
  return page;
}

std::vector<HitInContext> HitsInContext(std::string_view document, size_t contextChars) {
  PageHits page = ReadPageHits(document, contextChars);
  std::vector<HitInContext> rows;
  rows.reserve(page.hits.size());
  for (PlacedHit& hit : page.hits) rows.push_back(std::move(hit.row));
  return rows;
}

std::string VisibleText(std::string_view html) {
  VisibleBuilder text;
  CellScanner(html, text, nullptr).Run();
  return text.Finish().Whole();
}

}  // namespace quillwen
