#include "core/search/query.h"

namespace quillwen {

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
    if (i > termStart)
      query.terms.push_back(NormaliseTerm(keywords.substr(termStart, i - termStart)));
    if (i < keywords.size()) query.markText[i] = u'\u3000';
    termStart = i + 1;
  }
  return query;
}

}  // namespace quillwen
