// Our search beside SQLite FTS5 (trigram tokenizer) on the same pages.
//
//   bench_compare DATA_FOLDER [CACHE_FOLDER] [--repetitions N]
//
// Reads every page's indexed text back from the collection in DATA_FOLDER with
// the reader's own page parser, builds an FTS5 table over it once (kept in
// CACHE_FOLDER, by default "bench-compare" in the working folder, under a name
// tied to the collection's files), chooses queries per class from the
// collection's character and n-gram frequencies, and times both engines in one
// interleaved run: whole collection, full text, no variants, warm, the best of
// the runs of each query. FTS5 has no
// "?" or "*" with our meaning: wildcard terms are timed against a plain scan of
// the same texts in memory instead. Every query's pages are compared between
// the two; a difference is printed and makes the exit status 1.

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <unordered_map>
#include <vector>

#include "bench/compare/fts5_index.h"
#include "bench/compare/indexed_text.h"
#include "bench/compare/plain_scan.h"
#include "core/common/message_sink.h"
#include "core/encoding/codeconverter.h"
#include "core/search/index.h"
#include "core/search/query.h"

namespace {

using namespace quillwen;
using namespace quillwen::bench;
using Clock = std::chrono::steady_clock;

class StderrMessages : public MessageSink {
 public:
  void ShowMessage(std::u16string_view text) override {
    std::fprintf(stderr, "%s\n", ToUtf8(text).c_str());
  }
};

enum class Peer { kFts5, kPlainScan };

struct QueryCase {
  std::string queryClass;
  std::vector<std::u16string> terms;
  SearchMethod method = SearchMethod::kAnd;
  Peer peer = Peer::kFts5;
  std::vector<double> ours, theirs;  // milliseconds per run
  size_t pages = 0;
  uint64_t postingBytes = 0;
  bool agrees = true;
};

std::u16string Text(const std::u32string& characters) {
  std::u16string out;
  for (const char32_t c : characters) AppendUtf16(out, c);
  return out;
}

std::string Keywords(const QueryCase& query) {
  std::u16string joined;
  for (const std::u16string& term : query.terms) {
    if (!joined.empty()) joined += query.method == SearchMethod::kAnd ? u" " : u" | ";
    joined += term;
  }
  return ToUtf8(joined);
}

// The best of the runs: on a shared machine a run can only be slowed down (by
// another process taking the core), never sped up.
double Best(const std::vector<double>& values) {
  return values.empty() ? 0 : *std::min_element(values.begin(), values.end());
}

double Milliseconds(Clock::duration elapsed) {
  return std::chrono::duration<double, std::milli>(elapsed).count();
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

// The n-grams of ideographs inside one segment, most frequent first,
// counted on every `stride`-th page.
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

std::vector<QueryCase> ChooseQueries(const std::vector<std::u32string>& pages) {
  std::vector<QueryCase> queries;
  const auto add = [&](const char* queryClass, std::vector<std::u16string> terms,
                       SearchMethod method = SearchMethod::kAnd, Peer peer = Peer::kFts5) {
    QueryCase query;
    query.queryClass = queryClass;
    query.terms = std::move(terms);
    query.method = method;
    query.peer = peer;
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
  const auto at = [](const std::vector<std::u32string>& grams, size_t rank) {
    return Text(grams[std::min(rank, grams.size() - 1)]);
  };
  for (const size_t rank : {0, 9, 99, 999}) add("two-character phrase", {at(bigrams, rank)});
  for (const size_t rank : {0, 9, 99, 999})
    add("three/four-character phrase", {at(trigrams, rank)});
  for (const size_t rank : {0, 9, 99}) add("three/four-character phrase", {at(fourgrams, rank)});
  for (const auto& [first, second] : {std::pair{4, 19}, std::pair{49, 199}, std::pair{9, 99}}) {
    add("\"and\" of two terms", {at(bigrams, first), at(bigrams, second)}, SearchMethod::kAnd);
    add("\"or\" of two terms", {at(bigrams, first), at(bigrams, second)}, SearchMethod::kOr);
  }
  for (const size_t rank : {0, 9, 99}) {
    const std::u32string gram = trigrams[std::min(rank, trigrams.size() - 1)];
    add("wildcard ?", {Text({gram[0]}) + u"?" + Text({gram[2]})}, SearchMethod::kAnd,
        Peer::kPlainScan);
    add("wildcard *", {Text({gram[0]}) + u"*" + Text({gram[2]})}, SearchMethod::kAnd,
        Peer::kPlainScan);
  }
  return queries;
}

std::u16string JoinedKeywords(const std::vector<std::u16string>& terms) {
  std::u16string joined;
  for (const std::u16string& term : terms) joined += (joined.empty() ? u"" : u" ") + term;
  return joined;
}

// The cache file's name follows the collection's files, so a rebuilt collection
// gets a table of its own.
std::filesystem::path CacheFileOf(const std::filesystem::path& data,
                                  const std::filesystem::path& cache) {
  uint64_t key = 1469598103934665603ull;
  for (const char* name : {"Index-fl.cnt", "Index-fl.h", "Index-idx.m"}) {
    std::error_code error;
    const auto size = std::filesystem::file_size(data / name, error);
    const auto time = std::filesystem::last_write_time(data / name, error);
    for (const uint64_t value :
         {static_cast<uint64_t>(size), static_cast<uint64_t>(time.time_since_epoch().count())}) {
      key = (key ^ value) * 1099511628211ull;
    }
  }
  char name[40];
  std::snprintf(name, sizeof name, "fts5-%016llx.db", static_cast<unsigned long long>(key));
  return cache / name;
}

int Fail(const std::string& message) {
  std::fprintf(stderr, "bench_compare: %s\n", message.c_str());
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  // Progress lines appear as they are printed, also into a file.
  std::setvbuf(stdout, nullptr, _IOLBF, 0);
  std::vector<std::string> positional;
  int repetitions = 15;
  for (int i = 1; i < argc; ++i) {
    const std::string argument = argv[i];
    if (argument == "--repetitions" && i + 1 < argc) {
      repetitions = std::max(1, std::atoi(argv[++i]));
    } else {
      positional.push_back(argument);
    }
  }
  if (positional.empty() || positional.size() > 2)
    return Fail("usage: bench_compare DATA_FOLDER [CACHE_FOLDER] [--repetitions N]");
  const std::filesystem::path data = positional[0];
  const std::filesystem::path cache = positional.size() > 1 ? positional[1] : "bench-compare";

  std::string error;
  auto started = Clock::now();
  const std::vector<std::u32string> pages = ReadPositionedTexts(data, error);
  if (pages.empty()) return Fail(error.empty() ? "the collection has no pages" : error);
  std::printf("%zu pages read back in %.1f s\n", pages.size(),
              Milliseconds(Clock::now() - started) / 1000);

  StderrMessages messages;
  CIndex index(&messages);
  if (!index.Open(data, kCollectionBaseNameWide, ScopeFullText))
    return Fail("cannot open the index: " + index.LastError());

  const std::filesystem::path cacheFile = CacheFileOf(data, cache);
  started = Clock::now();
  Fts5Index fts5;
  {
    std::vector<std::string> texts;
    if (!std::filesystem::exists(cacheFile)) {
      texts.reserve(pages.size());
      for (const std::u32string& page : pages) texts.push_back(BlocksAsUtf8(page));
    }
    if (!fts5.OpenOrBuild(cacheFile, texts, error)) return Fail(error);
  }
  std::printf("FTS5 table %s ready in %.1f s (%.0f MB)\n", cacheFile.c_str(),
              Milliseconds(Clock::now() - started) / 1000,
              std::filesystem::file_size(cacheFile) / 1e6);

  std::vector<QueryCase> queries = ChooseQueries(pages);
  const PlainScan scan(pages);
  std::vector<Query> parsed;
  for (const QueryCase& query : queries) {
    std::optional<Query> one = ParseQuery(JoinedKeywords(query.terms));
    if (!one) return Fail("the query " + Keywords(query) + " is refused");
    parsed.push_back(std::move(*one));
  }

  // One warm-up run that also compares the pages, then the timed runs, the two
  // engines taking turns on every query.
  int mismatches = 0;
  for (int run = -1; run < repetitions; ++run) {
    for (size_t i = 0; i < queries.size(); ++i) {
      QueryCase& query = queries[i];
      auto begin = Clock::now();
      const SearchResult ours = index.Search(parsed[i], query.method, false);
      const double oursMs = Milliseconds(Clock::now() - begin);
      std::vector<uint32_t> theirs;
      begin = Clock::now();
      if (query.peer == Peer::kFts5) {
        if (!fts5.Pages(query.terms, query.method == SearchMethod::kAnd, theirs, error))
          return Fail(error);
      } else {
        theirs = scan.Pages(query.terms.front());
      }
      const double theirsMs = Milliseconds(Clock::now() - begin);
      if (run < 0) {
        query.pages = ours.pages.size();
        query.postingBytes = ours.postingBytes;
        std::vector<uint32_t> oursSorted = ours.pages;
        std::sort(oursSorted.begin(), oursSorted.end());
        if (oursSorted != theirs) {
          query.agrees = false;
          ++mismatches;
          std::vector<uint32_t> onlyOurs, onlyTheirs;
          std::set_difference(oursSorted.begin(), oursSorted.end(), theirs.begin(), theirs.end(),
                              std::back_inserter(onlyOurs));
          std::set_difference(theirs.begin(), theirs.end(), oursSorted.begin(), oursSorted.end(),
                              std::back_inserter(onlyTheirs));
          std::printf(
              "DIFFERENT PAGES for %s: %zu only ours (first %d), %zu only the peer's "
              "(first %d)\n",
              Keywords(query).c_str(), onlyOurs.size(),
              onlyOurs.empty() ? -1 : static_cast<int>(onlyOurs.front()), onlyTheirs.size(),
              onlyTheirs.empty() ? -1 : static_cast<int>(onlyTheirs.front()));
        }
        continue;
      }
      query.ours.push_back(oursMs);
      query.theirs.push_back(theirsMs);
    }
  }

  std::printf("\nbest of %d runs each, milliseconds\n%-30s %-22s %8s %10s %10s %8s\n", repetitions,
              "class", "query", "pages", "ours ms", "peer ms", "ratio");
  std::map<std::string, std::pair<double, int>> logRatios;  // per class
  std::vector<std::string> order;
  for (const QueryCase& query : queries) {
    const double ours = Best(query.ours);
    const double theirs = Best(query.theirs);
    const double ratio = theirs > 0 ? ours / theirs : 0;
    std::printf("%-30s %-22s %8zu %10.3f %10.3f %8.3f%s\n", query.queryClass.c_str(),
                Keywords(query).c_str(), query.pages, ours, theirs, ratio,
                query.agrees ? "" : "  (pages differ)");
    if (logRatios.find(query.queryClass) == logRatios.end()) order.push_back(query.queryClass);
    auto& [sum, count] = logRatios[query.queryClass];
    if (ratio > 0) {
      sum += std::log(ratio);
      ++count;
    }
  }
  std::printf("\n%-30s %-12s %14s\n", "class", "peer", "ours / peer (geometric mean)");
  for (const std::string& queryClass : order) {
    const auto& [sum, count] = logRatios[queryClass];
    const bool scanPeer = queryClass.starts_with("wildcard");
    std::printf("%-30s %-12s %14.3f\n", queryClass.c_str(), scanPeer ? "plain scan" : "FTS5",
                count > 0 ? std::exp(sum / count) : 0.0);
  }
  const QueryCase& common = queries.front();
  const double commonMs = Best(common.ours);
  if (commonMs > 0) {
    std::printf("\nposting bytes for %s: %llu, %.2f GB/s\n", Keywords(common).c_str(),
                static_cast<unsigned long long>(common.postingBytes),
                common.postingBytes / (commonMs / 1000) / 1e9);
  }
  std::printf("%d quer%s with different pages\n", mismatches, mismatches == 1 ? "y" : "ies");
  return mismatches == 0 ? 0 : 1;
}
