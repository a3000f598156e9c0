#pragma once

// The text side of a query: checking the keyword text, splitting it into terms
// and normalising each term, once, into a value that the evaluation and the hit
// marker both read.
//
// A query is terms separated by U+0020. In a term "?" (U+003F) and "？" (U+FF1F)
// stand for one character of any kind and "*" (ASCII only) for a gap of 0 to 300
// further characters.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quillwen {

// A normalised term, its closing "*" included, holds at most this many units: the
// length of the per-term tables less the terminator. Longer terms are refused:
// they match nowhere.
inline constexpr size_t kMaxNormalisedTermUnits = 299;

// The most characters a gap mark stands for.
inline constexpr uint32_t kMaxGap = 300;

// The positions left unused between two blocks of a page (paragraph, heading,
// annotation) in the index. Two looked-up characters of one term stand at most
// kMaxGap plus the term's query positions (fewer than kMaxNormalisedTermUnits)
// apart, so no term, "?" runs and gap marks included, can reach from one block
// into the next.
inline constexpr uint32_t kUnusedPositionsBetweenBlocks = kMaxGap + kMaxNormalisedTermUnits;

// How the terms of a query combine: "and" keeps the pages every term has, "or"
// the pages any term has.
enum class SearchMethod : int32_t { kAnd = 0, kOr = 1 };

// A checked query.
struct Query {
  // The terms in query order, each normalised (NormaliseTerm). A term may be
  // empty (it was only "*") or longer than kMaxNormalisedTermUnits; such a term
  // matches nowhere, which empties an "and" and leaves an "or" as it was.
  std::vector<std::u16string> terms;
  // The same terms as typed, for telling the user about one.
  std::vector<std::u16string> typedTerms;
  // The keyword text with every U+0020 written as U+3000: what the caller's
  // buffer holds after a search.
  std::u16string markText;
  // The typed terms as the search reads them, the characters the index does not
  // know left out, joined by U+3000: the text whose terms mark the hits of a
  // result page, so that 明月。 marks every 明月 it counted.
  std::u16string searchedText;
  // The characters left out of the terms (no identifier in the index), each
  // once, in query order; a surrogate pair is one character.
  std::vector<std::u16string> skipped;

  bool operator==(const Query&) const = default;
};

// The keywords as typed, made ready for ParseQuery: every white-space character
// (tab, line break, U+3000 and Unicode's other spaces) separates terms as a
// space does, and U+FEFF, which pasted text carries unseen, is dropped.
std::u16string SeparateTermsBySpaces(std::u16string_view typed);

// The number of terms of `query`, or 0 when it must not be evaluated: it is empty
// or holds a character from U+0000 to U+00FF other than space, "*" and "?".
int CountTerms(std::u16string_view query);

// Whether `term` holds a character the index looks up: anything but "?", "？",
// "*" and the characters it does not know. A term without one matches nowhere.
bool LooksUpAnyCharacter(std::u16string_view term);

// Drops all leading "*", makes every run of "*" one "*" and, when anything is
// left, ends the term with "*".
std::u16string NormaliseTerm(std::u16string_view term);

// The query of `keywords`, nothing when CountTerms refuses them. Terms end at
// each U+0020; a U+3000 in `keywords` belongs to its term (the panel turns the
// U+3000 typed by the user into U+0020 before it parses).
std::optional<Query> ParseQuery(std::u16string_view keywords);

}  // namespace quillwen
