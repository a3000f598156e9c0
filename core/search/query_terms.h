#pragma once

// The text side of a query: counting its terms and normalising one term.
//
// A query is terms separated by U+0020 (the panel turns U+3000 into U+0020 before
// it searches). In a term "?" (U+003F) and "？" (U+FF1F) stand for one character
// of any kind and "*" (ASCII only) for a gap of 0 to 300 further characters.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace quillwen {

// A normalised term, its closing "*" included, holds at most this many units: the
// length of the per-term tables less the terminator. Longer terms are refused:
// they match nowhere.
inline constexpr size_t kMaxNormalisedTermUnits = 299;

// The most characters a gap mark stands for.
inline constexpr uint32_t kMaxGap = 300;

// The number of terms of `query`, or 0 when it must not be evaluated: it is empty
// or holds a character from U+0000 to U+00FF other than space, "*" and "?".
int CountTerms(std::u16string_view query);

// Drops all leading "*", makes every run of "*" one "*" and, when anything is
// left, ends the term with "*".
std::u16string NormaliseTerm(std::u16string_view term);

}  // namespace quillwen
