#pragma once

// The hit marker: finds every occurrence of one search term in one piece of a
// page cell and wraps each found part in a visible marker with a numbered anchor,
// so that the page view can step from hit to hit. Matching is on UTF-8 bytes,
// tags included; '*' spans any text within one paragraph and heading, '?' stands
// for one three-byte character.

#include <string>
#include <string_view>
#include <vector>

namespace quillwen {

// The marker around a hit; the closing half is named like the opening one.
inline constexpr std::string_view HitOpen = "<b style='color:red;background:#D9D9D9;'>";
inline constexpr std::string_view HitClose = "</b>";
inline constexpr std::string_view kParagraphTag = "<p>";
inline constexpr std::string_view kHeadingTag = "<h4>";
// What one '?' stands for: a character from U+0800 to U+FFFF.
inline constexpr size_t kQuestionGapBytes = 3;

enum SegKind : int { SegAfterStar = 0, SegAfterQuestion = 1, SegLeading = 2 };

// One piece of a term: the text between wildcards.
struct Seg {
  SegKind kind = SegLeading;
  std::string bytes;  // never empty in a parsed term
  int gapCount = 0;   // the '?' before this piece; used on SegAfterQuestion only

  bool operator==(const Seg&) const = default;
};

std::vector<Seg> ParseTerm(std::string_view term);

// The anchors one match of a term places, in order: one per piece, and one more
// for the marked gap before each piece that follows a '?'. An entry is true where
// a '*' gap (left unmarked) comes before that anchor's marker.
std::vector<bool> AnchorsOfOneMatch(std::string_view term);

// The anchors a term placed on a result page: matches of `perMatch.size()`
// anchors each, numbered from `firstAnchor` up to `endAnchor`.
struct TermAnchors {
  int firstAnchor = 0;
  int endAnchor = 0;
  std::vector<bool> perMatch;  // AnchorsOfOneMatch of the term
};

// The anchor placed before each marker: <a name="0012"></a>.
void AppendAnchor(std::string& out, int number);

// Marks every occurrence of `term` in `text`, numbering anchors from
// `anchorCounter` on and leaving it one past the last anchor placed. A term of
// nothing but wildcards has no pieces and leaves the text as it is.
std::string HighlightPiece(std::string_view text, std::string_view term, int& anchorCounter);

}  // namespace quillwen
