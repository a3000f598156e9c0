#include "bench/compare/query_choice.h"

#include <algorithm>
#include <map>
#include <set>
#include <unordered_map>
#include <utility>

#include "bench/compare/indexed_text.h"
#include "core/encoding/codeconverter.h"

namespace quillwen::bench {
namespace {

std::u16string Text(const std::u32string& characters) {
  std::u16string out;
  for (const char32_t c : characters) AppendUtf16(out, c);
  return out;
}

// The ideographs' page counts, most common first.
std::vector<std::pair<uint32_t, char32_t>> CharactersByPages(
    const std::vector<std::u32string>& pages) {
  std::unordered_map<char32_t, std::pair<uint32_t, uint32_t>> seen;  // last page + 1, pages
  for (uint32_t page = 0; page < pages.size(); ++page) {
    for (const char32_t c : pages[page]) {
      if (!IsIdeograph(c)) continue;
      auto& [last, count] = seen[c];
      if (last != page + 1) {
        last = page + 1;
        ++count;
      }
    }
  }
  std::vector<std::pair<uint32_t, char32_t>> ranked;
  for (const auto& [c, counts] : seen) ranked.emplace_back(counts.second, c);
  std::sort(ranked.begin(), ranked.end(), [](const auto& a, const auto& b) {
    return a.first != b.first ? a.first > b.first : a.second < b.second;
  });
  return ranked;
}

// The n-grams of ideographs inside one block, most frequent first, counted on
// every `stride`-th page.
std::vector<std::u32string> NgramsByFrequency(const std::vector<std::u32string>& pages, size_t n,
                                              uint32_t stride) {
  std::map<std::u32string, uint32_t> counts;
  for (uint32_t page = 0; page < pages.size(); page += stride) {
    const std::u32string& text = pages[page];
    for (size_t at = 0; at + n <= text.size(); ++at) {
      bool indexed = true;
      for (size_t i = 0; i < n && indexed; ++i) indexed = IsIdeograph(text[at + i]);
      if (indexed) ++counts[text.substr(at, n)];
    }
  }
  std::vector<std::pair<uint32_t, std::u32string>> ranked;
  for (auto& [gram, count] : counts) ranked.emplace_back(count, gram);
  std::sort(ranked.begin(), ranked.end(), [](const auto& a, const auto& b) {
    return a.first != b.first ? a.first > b.first : a.second < b.second;
  });
  std::vector<std::u32string> grams;
  for (auto& [count, gram] : ranked) grams.push_back(std::move(gram));
  return grams;
}

}  // namespace

std::string Keywords(const QueryCase& query) {
  std::u16string joined;
  for (const std::u16string& term : query.terms) {
    if (!joined.empty()) joined += query.method == SearchMethod::kAnd ? u" " : u" | ";
    joined += term;
  }
  return ToUtf8(joined);
}

std::vector<QueryCase> ChooseQueries(const std::vector<std::u32string>& pages) {
  std::vector<QueryCase> queries;
  std::set<std::pair<std::string, std::vector<std::u16string>>> chosen;
  const auto add = [&](const char* queryClass, std::vector<std::u16string> terms,
                       SearchMethod method = SearchMethod::kAnd) {
    if (!chosen.emplace(queryClass, terms).second) return;  // a frequent one also typed
    QueryCase query;
    query.queryClass = queryClass;
    query.terms = std::move(terms);
    query.method = method;
    query.wildcard = query.terms.front().find_first_of(u"?*") != std::u16string::npos;
    queries.push_back(std::move(query));
  };
  const auto characters = CharactersByPages(pages);
  for (size_t rank = 0; rank < 4 && rank < characters.size(); ++rank)
    add("very common character", {Text({characters[rank].second})});
  // Rare: on about ten pages each.
  size_t rare = 0;
  for (const auto& [count, c] : characters) {
    if (count >= 8 && count <= 12 && rare < 4) {
      add("rare character", {Text({c})});
      ++rare;
    }
  }
  const auto bigrams = NgramsByFrequency(pages, 2, 4);
  const auto trigrams = NgramsByFrequency(pages, 3, 8);
  const auto fourgrams = NgramsByFrequency(pages, 4, 8);
  if (bigrams.empty() || trigrams.empty() || fourgrams.empty()) return queries;
  const auto at = [](const std::vector<std::u32string>& grams, size_t rank) {
    return Text(grams[std::min(rank, grams.size() - 1)]);
  };
  for (const std::u16string phrase : {u"明月", u"春風", u"白雲", u"白云"})
    add("two-character phrase", {phrase});
  for (const size_t rank : {0, 9, 99, 999}) add("two-character phrase", {at(bigrams, rank)});
  add("three/four-character phrase", {u"不知何處"});
  for (const size_t rank : {0, 9, 99, 999})
    add("three/four-character phrase", {at(trigrams, rank)});
  for (const size_t rank : {0, 9, 99}) add("three/four-character phrase", {at(fourgrams, rank)});
  const std::vector<std::pair<std::u16string, std::u16string>> pairs = {
      {u"明月", u"春風"},
      {at(bigrams, 4), at(bigrams, 19)},
      {at(bigrams, 49), at(bigrams, 199)},
      {at(bigrams, 9), at(bigrams, 99)}};
  for (const auto& [first, second] : pairs)
    add("\"and\" of two phrases", {first, second}, SearchMethod::kAnd);
  for (const auto& [first, second] : pairs)
    add("\"or\" of two phrases", {first, second}, SearchMethod::kOr);
  for (const char* mark : {"?", "*"}) {
    const std::string queryClass = std::string("wildcard ") + mark;
    for (const size_t rank : {0, 9, 99}) {
      const std::u32string gram = trigrams[std::min(rank, trigrams.size() - 1)];
      add(queryClass.c_str(), {Text({gram[0]}) + Utf8ToUtf16(mark) + Text({gram[2]})});
    }
  }
  return queries;
}

}  // namespace quillwen::bench
