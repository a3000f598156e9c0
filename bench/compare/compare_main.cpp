// Our search beside SQLite FTS5 (trigram tokenizer) and Xapian (CJK n-grams)
// on the same pages.
//
//   bench_compare DATA_FOLDER [CACHE_FOLDER] [--repetitions N] [--no-xapian]
//                 [--without-pairs]
//
// Reads every page's indexed text back from the collection in DATA_FOLDER with
// the reader's own page parser, builds an FTS5 table and a Xapian database over
// it once (kept in CACHE_FOLDER, by default "bench-compare" in the working
// folder, under names tied to the collection's files), chooses queries per
// class, and times the engines in one interleaved run: whole collection, full
// text, no variants, warm, the best of the runs of each query. Neither peer has
// "?" or "*" with our meaning: wildcard terms are timed against a plain scan of
// the same texts in memory instead. Every query's pages are compared between
// ours and each peer that answers it; a difference is printed and makes the
// exit status 1. --no-xapian leaves Xapian out; --without-pairs searches the
// index sets alone, as for a collection without pair indexes.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iterator>
#include <string>
#include <vector>

#include "bench/compare/compare_report.h"
#include "bench/compare/fts5_index.h"
#include "bench/compare/indexed_text.h"
#include "bench/compare/plain_scan.h"
#include "bench/compare/query_choice.h"
#include "bench/compare/xapian_index.h"
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

double Milliseconds(Clock::duration elapsed) {
  return std::chrono::duration<double, std::milli>(elapsed).count();
}

std::u16string JoinedKeywords(const std::vector<std::u16string>& terms) {
  std::u16string joined;
  for (const std::u16string& term : terms) joined += (joined.empty() ? u"" : u" ") + term;
  return joined;
}

// The cache files' names follow the collection's files, so a rebuilt
// collection gets peers of its own.
std::string CacheKeyOf(const std::filesystem::path& data) {
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
  char hex[20];
  std::snprintf(hex, sizeof hex, "%016llx", static_cast<unsigned long long>(key));
  return hex;
}

int Fail(const std::string& message) {
  std::fprintf(stderr, "bench_compare: %s\n", message.c_str());
  return 2;
}

// Prints how the peer's pages differ from ours; true when they do not.
bool SamePages(const QueryCase& query, Peer peer, const std::vector<uint32_t>& ours,
               const std::vector<uint32_t>& theirs) {
  if (ours == theirs) return true;
  std::vector<uint32_t> onlyOurs, onlyTheirs;
  std::set_difference(ours.begin(), ours.end(), theirs.begin(), theirs.end(),
                      std::back_inserter(onlyOurs));
  std::set_difference(theirs.begin(), theirs.end(), ours.begin(), ours.end(),
                      std::back_inserter(onlyTheirs));
  std::printf(
      "DIFFERENT PAGES for %s from %s: %zu only ours (first %d), %zu only %s's (first %d)\n",
      Keywords(query).c_str(), kPeerNames[IndexOf(peer)], onlyOurs.size(),
      onlyOurs.empty() ? -1 : static_cast<int>(onlyOurs.front()), onlyTheirs.size(),
      kPeerNames[IndexOf(peer)], onlyTheirs.empty() ? -1 : static_cast<int>(onlyTheirs.front()));
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  // Progress lines appear as they are printed, also into a file.
  std::setvbuf(stdout, nullptr, _IOLBF, 0);
  std::vector<std::string> positional;
  int repetitions = 15;
  bool withXapian = true;
  bool withPairs = true;
  for (int i = 1; i < argc; ++i) {
    const std::string argument = argv[i];
    if (argument == "--repetitions" && i + 1 < argc) {
      repetitions = std::max(1, std::atoi(argv[++i]));
    } else if (argument == "--no-xapian") {
      withXapian = false;
    } else if (argument == "--without-pairs") {
      withPairs = false;
    } else {
      positional.push_back(argument);
    }
  }
  if (positional.empty() || positional.size() > 2)
    return Fail(
        "usage: bench_compare DATA_FOLDER [CACHE_FOLDER] [--repetitions N] [--no-xapian] "
        "[--without-pairs]");
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
  index.WantPairIndex(withPairs);
  std::printf("ours: %s\n", index.UsesPairIndex() ? "with the pair index"
                            : !withPairs          ? "without the pair index (asked)"
                                                  : "without a pair index (none usable)");

  const std::string key = CacheKeyOf(data);
  const std::filesystem::path fts5File = cache / ("fts5-" + key + ".db");
  started = Clock::now();
  Fts5Index fts5;
  {
    std::vector<std::string> texts;
    if (!std::filesystem::exists(fts5File)) {
      texts.reserve(pages.size());
      for (const std::u32string& page : pages) texts.push_back(BlocksAsUtf8(page));
    }
    if (!fts5.OpenOrBuild(fts5File, texts, error)) return Fail(error);
  }
  std::printf("FTS5 table %s ready in %.1f s (%.0f MB)\n", fts5File.c_str(),
              Milliseconds(Clock::now() - started) / 1000,
              std::filesystem::file_size(fts5File) / 1e6);

  const std::filesystem::path xapianFile = cache / ("xapian-" + key + ".glass");
  XapianIndex xapian;
  if (withXapian) {
    started = Clock::now();
    if (!xapian.OpenOrBuild(xapianFile, pages, error)) return Fail(error);
    std::printf("Xapian database %s ready in %.1f s (%.0f MB)\n", xapianFile.c_str(),
                Milliseconds(Clock::now() - started) / 1000,
                std::filesystem::file_size(xapianFile) / 1e6);
  }

  std::vector<QueryCase> queries = ChooseQueries(pages);
  for (QueryCase& query : queries) query.askXapian = withXapian;
  const PlainScan scan(pages);
  std::vector<Query> parsed;
  for (const QueryCase& query : queries) {
    std::optional<Query> one = ParseQuery(JoinedKeywords(query.terms));
    if (!one) return Fail("the query " + Keywords(query) + " is refused");
    parsed.push_back(std::move(*one));
  }

  const auto peerPages = [&](const QueryCase& query, Peer peer, std::vector<uint32_t>& found) {
    const bool all = query.method == SearchMethod::kAnd;
    switch (peer) {
      case Peer::kFts5:
        return fts5.Pages(query.terms, all, found, error);
      case Peer::kXapian:
        return xapian.Pages(query.terms, all, found, error);
      case Peer::kPlainScan:
        found = scan.Pages(query.terms.front());
        return true;
    }
    return false;
  };

  // One warm-up run that also compares the pages, then the timed runs, the
  // engines taking turns on every query.
  int mismatches = 0;
  for (int run = -1; run < repetitions; ++run) {
    for (size_t i = 0; i < queries.size(); ++i) {
      QueryCase& query = queries[i];
      auto begin = Clock::now();
      const SearchResult ours = index.Search(parsed[i], query.method, false);
      const double oursMs = Milliseconds(Clock::now() - begin);
      std::vector<uint32_t> oursSorted;
      if (run < 0) {
        query.pages = ours.pages.size();
        query.postingBytes = ours.postingBytes;
        oursSorted = ours.pages;
        std::sort(oursSorted.begin(), oursSorted.end());
      } else {
        query.ours.push_back(oursMs);
      }
      bool differs = false;
      for (const Peer peer : kPeers) {
        if (!query.AskedOf(peer)) continue;
        std::vector<uint32_t> theirs;
        begin = Clock::now();
        if (!peerPages(query, peer, theirs)) return Fail(error);
        const double theirsMs = Milliseconds(Clock::now() - begin);
        if (run >= 0) {
          query.theirs[IndexOf(peer)].push_back(theirsMs);
        } else if (!SamePages(query, peer, oursSorted, theirs)) {
          query.agrees[IndexOf(peer)] = false;
          differs = true;
        }
      }
      if (differs) ++mismatches;
    }
  }

  PrintReport(queries, repetitions);
  const QueryCase& common = queries.front();
  const double commonMs =
      common.ours.empty() ? 0 : *std::min_element(common.ours.begin(), common.ours.end());
  if (commonMs > 0) {
    std::printf("\nposting bytes for %s: %llu, %.2f GB/s\n", Keywords(common).c_str(),
                static_cast<unsigned long long>(common.postingBytes),
                common.postingBytes / (commonMs / 1000) / 1e9);
  }
  std::printf("%d quer%s with different pages\n", mismatches, mismatches == 1 ? "y" : "ies");
  return mismatches == 0 ? 0 : 1;
}
