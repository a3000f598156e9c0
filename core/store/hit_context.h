#pragma once

// Hits in context: the rows of a keyword-in-context list, read back from a result
// page after marking. Each marked hit becomes its hit text with a few characters
// of the text around it, as the reader sees the page. The page is hostile input:
// invalid UTF-8, unclosed tags and markers, stray anchors are all tolerated, and
// the work stays linear in the page's size.
//
// The text rule, shared by both functions:
// - tags are dropped; a '<' not followed by a letter, '/', '!' or '?' is text; a tag
//   with no closing '>' runs to the end of the text and is dropped; comments run to
//   "-->"; the contents of <script>, <style> and <title> are not shown;
// - &amp; &lt; &gt; &quot; &apos; &nbsp; and numeric &#NNN; / &#xHH; are decoded
//   (the ';' is required; a number that is no Unicode scalar value gives U+FFFD);
//   anything else after '&' stays as written;
// - every run of white space (ASCII white space and U+00A0, raw or decoded), and
//   every block boundary tag on the way (<p>, <br>, <h1>..<h6>, <div>, <tr>, <td>,
//   <li>, ... opening or closing), becomes one ASCII space; the text is trimmed at
//   both ends, so it never starts or ends with a space;
// - inline tags (<font> annotations, <b> markers) add nothing: annotation text runs
//   straight on from the main text, as on the page;
// - a UTF-8 code point is one character; each byte of an invalid sequence is one
//   character of its own and is passed through unchanged.

#include <cstddef>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace quillwen {

struct HitInContext {
  int anchor = 0;     // the number in the <a name="..."> that belongs to the hit
  std::string left;   // up to contextChars characters of visible text before the hit
  std::string hit;    // the visible text of the hit's marker, inner markers included
  std::string right;  // up to contextChars characters of visible text after the hit
  bool operator==(const HitInContext&) const = default;
};

// The hits marked in `document`, a result page as the renderer leaves it, in the
// order their markers open in the page (not anchor order). Contexts are taken
// from the visible text of the cell that holds the hit and never reach into the
// title or the other cell; a document that is not in the result frame is read as
// one cell. left + hit + right is always one stretch of that visible text, except
// that a space at the cut-off outer end of a context is dropped (so `left` never
// starts and `right` never ends with a space, while a space between a context and
// the hit is kept).
//
// A hit is a marker (HitOpen ... "</b>") with an anchor right before it, or, for
// the marker of a '?' gap, right after its opening tag. Markers without an anchor
// and anchors without a marker give no row. A marker left open runs to the end
// of its cell. A hit's text is cut after 200 characters (only a damaged page has
// longer hits); its right context still starts where the hit ends.
std::vector<HitInContext> HitsInContext(std::string_view document, size_t contextChars = 12);

// The visible text of `html` by the same rule, the whole input read as one piece.
std::string VisibleText(std::string_view html);

// The visible text of one cell of a result page, character by character.
class CellText {
 public:
  CellText(std::string text, std::vector<size_t> starts)
      : text_(std::move(text)), starts_(std::move(starts)) {}

  size_t Chars() const { return starts_.size() - 1; }
  const std::string& Whole() const { return text_; }
  // The characters [from, to).
  std::string Slice(size_t from, size_t to) const {
    return text_.substr(starts_[from], starts_[to] - starts_[from]);
  }
  bool IsSpace(size_t index) const {
    return starts_[index + 1] - starts_[index] == 1 && text_[starts_[index]] == ' ';
  }
  // Up to `chars` characters before `start`, or after `end`, without a space at
  // the cut-off outer end.
  std::string Before(size_t start, size_t chars) const;
  std::string After(size_t end, size_t chars) const;

 private:
  std::string text_;
  std::vector<size_t> starts_;  // of every character, and the end
};

// A hit of HitsInContext and where its marker stands: characters [start, end)
// of the visible text of cell `cell`.
struct PlacedHit {
  HitInContext row;
  size_t cell = 0;
  size_t start = 0;
  size_t end = 0;
};

struct PageHits {
  std::vector<CellText> cells;
  std::vector<PlacedHit> hits;  // in the order of HitsInContext
};

// HitsInContext with the cells' visible text and where each hit stands in it,
// for reading a match of several markers as one stretch of text.
PageHits ReadPageHits(std::string_view document, size_t contextChars = 12);

}  // namespace quillwen
