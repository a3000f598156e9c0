#include "core/search/query.h"

#include <algorithm>

#include "core/search/character_id.h"
#include "core/search/code_points.h"

namespace quillwen {
namespace {

bool IsWildcard(char32_t c) { return c == U'?' || c == U'\uFF1F' || c == U'*'; }

// `term` without the characters the index does not know; each of those is added
// to `skipped` the first time it is met.
std::u16string Searched(std::u16string_view term, std::vector<std::u16string>& skipped) {
  std::u16string kept;
  kept.reserve(term.size());
  for (const char32_t c : ToCodePoints(term)) {
    std::u16string character;
    AppendUtf16(character, c);
    if (IsWildcard(c) || CharacterId(c) >= 0) {
      kept += character;
    } else if (std::find(skipped.begin(), skipped.end(), character) == skipped.end()) {
      skipped.push_back(std::move(character));
    }
  }
  return kept;
}

}  // namespace

std::u16string SeparateTermsBySpaces(std::u16string_view typed) {
  std::u16string separated;
  separated.reserve(typed.size());
  for (const char16_t unit : typed) {
    // Unicode's White_Space characters, all of them in the BMP.
    const bool space = (unit >= 0x09 && unit <= 0x0D) || unit == 0x20 || unit == 0x85 ||
                       unit == 0xA0 || unit == 0x1680 || (unit >= 0x2000 && unit <= 0x200A) ||
                       unit == 0x2028 || unit == 0x2029 || unit == 0x202F || unit == 0x205F ||
                       unit == 0x3000;
    if (unit == 0xFEFF) continue;
    separated.push_back(space ? u' ' : unit);
  }
  return separated;
}

bool LooksUpAnyCharacter(std::u16string_view term) {
  const std::u32string points = ToCodePoints(term);
  return std::any_of(points.begin(), points.end(),
                     [](char32_t c) { return !IsWildcard(c) && CharacterId(c) >= 0; });
}

int CountTerms(std::u16string_view query) {
  if (query.empty()) return 0;
  int terms = 0;
  bool inTerm = false;
  for (const char16_t unit : query) {
    if (unit == u' ' || unit == u'\u3000') {
      inTerm = false;
    } else if (unit >= 0x100 || unit == u'*' || unit == u'?') {
      if (!inTerm) ++terms;
      inTerm = true;
    } else {
      return 0;
    }
  }
  return terms;
}

std::u16string NormaliseTerm(std::u16string_view term) {
  std::u16string normalised;
  normalised.reserve(term.size() + 1);
  for (const char16_t unit : term) {
    if (unit == u'*' && (normalised.empty() || normalised.back() == u'*')) continue;
    normalised.push_back(unit);
  }
  if (!normalised.empty() && normalised.back() != u'*') normalised.push_back(u'*');
  return normalised;
}

std::optional<Query> ParseQuery(std::u16string_view keywords) {
  if (CountTerms(keywords) == 0) return std::nullopt;
  Query query;
  query.markText.assign(keywords);
  size_t termStart = 0;
  for (size_t i = 0; i <= keywords.size(); ++i) {
    if (i < keywords.size() && keywords[i] != u' ') continue;
    if (i > termStart) {
      const std::u16string_view typed = keywords.substr(termStart, i - termStart);
      query.terms.push_back(NormaliseTerm(typed));
      query.typedTerms.emplace_back(typed);
      if (!query.searchedText.empty()) query.searchedText += u'\u3000';
      query.searchedText += Searched(typed, query.skipped);
    }
    if (i < keywords.size()) query.markText[i] = u'\u3000';
    termStart = i + 1;
  }
  return query;
}

}  // namespace quillwen
