// Query latency on a synthetic collection of 100 million indexed characters.
//
// The collection is built once per run with the index writer into a temporary
// folder: 100,000 pages of 1,100 positions, 8% of them punctuation without
// postings; characters follow a Zipf-Mandelbrot law over 12,000 CJK characters
// (the most common about 3% of the text), 40% of the tokens being words of 2 to 4
// characters drawn from a Zipf-ranked vocabulary, so phrases recur as in real
// text. The 200 most common characters form 100 variant groups of two
// neighbours in rank (0 and 1, 2 and 3, ...; group lists written as the
// collection builder writes them), so a variant search of a common character
// reads a list up to twice as long. Queries run warm; each reports
// the posting-list bytes it walked through ("posting_bytes", skipped bytes
// included) and that figure per second ("bytes_per_second").
//
// Each query is compared in the same run with a baseline: walking every posting
// list of the query whole, page by page (positions skipped, not decoded), the
// least an evaluation that reads the lists in query order does. "walk_ms" is
// that walk's time and "vs_walk" the query's time divided by it.
//
// With QUILLWEN_SAMPLE_DIR naming a data folder (a built collection), the same
// is measured for a set of real queries on its full-text index set
// (BM_Sample/...), without variants. Only the public search interface is used
// there, so this file also builds against an older engine for comparisons.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <numeric>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "bench/support/bench_folder.h"
#include "core/search/character_id.h"
#include "core/search/index.h"
#include "core/search/posting_cursor.h"
#include "core/search/query.h"
#include "core/search/term_matcher.h"
#include "core/writer/index_writer.h"
#include "core/writer/variant_table_writer.h"
#include "core/writer/volume_store_writer.h"

namespace {

using namespace quillwen;

constexpr uint32_t kPages = 100000;
constexpr uint32_t kPositionsPerPage = 1100;
constexpr double kPunctuationShare = 0.08;
constexpr uint32_t kDistinctCharacters = 12000;
constexpr double kZipfShift = 2.7;
constexpr uint32_t kVocabulary = 20000;
constexpr double kWordShare = 0.4;
constexpr uint32_t kVariantGroups = 100;

char16_t CharacterOfRank(uint32_t rank) { return static_cast<char16_t>(0x4E00 + rank); }

std::vector<double> ZipfWeights(uint32_t count) {
  std::vector<double> weights(count);
  for (uint32_t k = 0; k < count; ++k) weights[k] = 1.0 / (k + kZipfShift);
  return weights;
}

struct Collection {
  Collection() {
    const auto started = std::chrono::steady_clock::now();
    Build();
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    if (!index.Open(folder.Path(), kCollectionBaseNameWide, ScopeFullText)) {
      std::fprintf(stderr, "the benchmark collection does not open: %s\n",
                   index.LastError().c_str());
      std::exit(1);
    }
    std::fprintf(
        stderr,
        "collection: %u pages, %llu indexed characters, postings %.0f MB, built in %.1f s\n",
        kPages, static_cast<unsigned long long>(indexedCharacters),
        static_cast<double>(index.Postings().size()) / 1e6, seconds);
  }
  void Build() {
    std::mt19937_64 random(20240601);
    const std::vector<double> characterWeights = ZipfWeights(kDistinctCharacters);
    const std::vector<double> wordWeights = ZipfWeights(kVocabulary);
    std::discrete_distribution<uint32_t> character(characterWeights.begin(),
                                                   characterWeights.end());
    std::discrete_distribution<uint32_t> word(wordWeights.begin(), wordWeights.end());
    std::uniform_real_distribution<double> chance(0.0, 1.0);

    // The vocabulary: 60% two-character, 25% three, 15% four-character words.
    for (uint32_t w = 0; w < kVocabulary; ++w) {
      const double r = chance(random);
      const int length = r < 0.6 ? 2 : r < 0.85 ? 3 : 4;
      std::u16string text;
      for (int i = 0; i < length; ++i) text.push_back(CharacterOfRank(character(random)));
      vocabulary.push_back(text);
    }

    // Variant groups: ranks 2g and 2g + 1; their lists hold both.
    std::vector<int32_t> groupOf(kDistinctCharacters, -1);
    std::vector<std::vector<char32_t>> groups;
    for (uint32_t g = 0; g < kVariantGroups; ++g) {
      groupOf[2 * g] = static_cast<int32_t>(g);
      groupOf[2 * g + 1] = static_cast<int32_t>(g);
      groups.push_back({CharacterOfRank(2 * g), CharacterOfRank(2 * g + 1)});
    }
    std::string error;
    if (!WriteVariantTable(folder / kVariantTableFileName, groups, &error))
      std::fprintf(stderr, "%s\n", error.c_str());

    VolumeStoreWriter store;
    store.Open(folder.Path(), kCollectionBaseName, {});
    IndexWriter writer;
    std::vector<uint32_t> ranks;        // the page's text, as character ranks (or none)
    std::vector<uint64_t> occurrences;  // id << 32 | position
    std::vector<uint32_t> positions;
    for (uint32_t page = 0; page < kPages; ++page) {
      ranks.clear();
      while (ranks.size() < kPositionsPerPage) {
        if (chance(random) < kPunctuationShare) {
          ranks.push_back(UINT32_MAX);
        } else if (chance(random) < kWordShare) {
          for (const char16_t c : vocabulary[word(random)]) ranks.push_back(c - 0x4E00u);
        } else {
          ranks.push_back(character(random));
        }
      }
      ranks.resize(kPositionsPerPage);
      occurrences.clear();
      for (uint32_t position = 0; position < ranks.size(); ++position) {
        const uint32_t rank = ranks[position];
        if (rank == UINT32_MAX) continue;
        ++indexedCharacters;
        const uint64_t id = static_cast<uint64_t>(CharacterId(CharacterOfRank(rank)));
        occurrences.push_back(id << 32 | position);
        if (groupOf[rank] >= 0)
          occurrences.push_back(uint64_t{VariantIdBase + groupOf[rank]} << 32 | position);
      }
      std::sort(occurrences.begin(), occurrences.end());
      for (size_t i = 0; i < occurrences.size();) {
        const uint32_t id = static_cast<uint32_t>(occurrences[i] >> 32);
        positions.clear();
        for (; i < occurrences.size() && (occurrences[i] >> 32) == id; ++i) {
          positions.push_back(static_cast<uint32_t>(occurrences[i]));
        }
        if (!writer.AddPage(id, page, positions))
          std::fprintf(stderr, "%s\n", writer.Error().c_str());
      }
      store.AddPage("V\\" + std::to_string(page) + ".htm", "p");
    }
    store.Finish();
    if (!writer.Write(folder.Path(), kCollectionBaseName))
      std::fprintf(stderr, "%s\n", writer.Error().c_str());
  }

  // The most frequent word of `length` characters.
  std::u16string Word(size_t length) const {
    for (const std::u16string& w : vocabulary) {
      if (w.size() == length) return w;
    }
    return {};
  }

  bench::BenchFolder folder;  // outlives the index that maps its files
  std::vector<std::u16string> vocabulary;
  uint64_t indexedCharacters = 0;
  CIndex index;
};

Collection& SharedCollection() {
  static Collection collection;
  return collection;
}

enum Method { kAnd, kOr };

double SecondsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// The baseline: every list of every term of `query` walked from its first page
// to its last, skipping positions. Returns the bytes walked.
uint64_t WalkEveryList(const CIndex& index, const std::u16string& query, bool useVariants) {
  const std::optional<Query> parsed = ParseQuery(query);
  if (!parsed) return 0;
  const PostingSource source{
      index.Postings().data(), index.Postings().size(), index.NextBlock().data(),
      static_cast<uint32_t>(index.NextBlock().size()), BlockCountOf(index.Postings().size())};
  uint64_t bytes = 0;
  for (const std::u16string& term : parsed->terms) {
    const TermPlan plan = PlanTerm(term, useVariants ? &index.Variants() : nullptr);
    for (const TermLookup& lookup : plan.lookups) {
      if (index.FirstBlock()[lookup.id] == kNoBlock) continue;
      PostingCursor cursor;
      bool intact =
          cursor.Start(source, index.FirstBlock()[lookup.id], index.LastPage()[lookup.id]);
      while (intact && !cursor.AtLastPage()) intact = cursor.NextPage();
      bytes += cursor.BytesSpanned();
    }
  }
  return bytes;
}

// Runs `query` as the benchmark's iterations, then the baseline walk as often
// (at least 5 times), and reports both with their ratio.
void MeasureQuery(benchmark::State& state, CIndex& index, const std::u16string& query,
                  Method method, bool useVariants) {
  std::u16string buffer;
  const auto started = std::chrono::steady_clock::now();
  for (auto _ : state) {
    buffer = query;
    if (method == kAnd) {
      index.SearchAnd(buffer, useVariants);
    } else {
      index.SearchOr(buffer, useVariants);
    }
    benchmark::DoNotOptimize(index.pages().data());
  }
  const double querySeconds = SecondsSince(started) / static_cast<double>(state.iterations());
  const int64_t walks = std::max<int64_t>(5, state.iterations());
  const auto walkStarted = std::chrono::steady_clock::now();
  for (int64_t i = 0; i < walks; ++i) {
    benchmark::DoNotOptimize(WalkEveryList(index, query, useVariants));
  }
  const double walkSeconds = SecondsSince(walkStarted) / static_cast<double>(walks);

  const double bytes = static_cast<double>(index.PostingBytesRead());
  state.counters["posting_bytes"] = bytes;
  state.counters["bytes_per_second"] =
      benchmark::Counter(bytes, benchmark::Counter::kIsIterationInvariantRate);
  state.counters["pages"] = index.resultCount();
  state.counters["places"] = static_cast<double>(
      std::accumulate(index.placeCounts().begin(), index.placeCounts().end(), uint64_t{0}));
  state.counters["walk_ms"] = walkSeconds * 1e3;
  state.counters["vs_walk"] = walkSeconds > 0 ? querySeconds / walkSeconds : 0;
}

void RunQuery(benchmark::State& state, std::u16string (*makeQuery)(const Collection&),
              Method method, bool useVariants) {
  Collection& c = SharedCollection();
  MeasureQuery(state, c.index, makeQuery(c), method, useVariants);
}

struct QueryCase {
  const char* name;
  std::u16string (*makeQuery)(const Collection&);
  Method method;
};

const QueryCase kQueries[] = {
    {"common_character", [](const Collection&) { return std::u16string(1, CharacterOfRank(0)); },
     kAnd},
    {"rare_character", [](const Collection&) { return std::u16string(1, CharacterOfRank(9000)); },
     kAnd},
    {"common_phrase_2", [](const Collection& c) { return c.Word(2); }, kAnd},
    {"phrase_3", [](const Collection& c) { return c.Word(3); }, kAnd},
    {"phrase_4", [](const Collection& c) { return c.Word(4); }, kAnd},
    {"phrase_rare_and_common",
     [](const Collection&) {
       return std::u16string{CharacterOfRank(0), CharacterOfRank(3000)};
     },
     kAnd},
    {"wildcard_question",
     [](const Collection&) {
       return std::u16string{CharacterOfRank(1), u'?', CharacterOfRank(2)};
     },
     kAnd},
    {"wildcard_star",
     [](const Collection&) {
       return std::u16string{CharacterOfRank(5), u'*', CharacterOfRank(9)};
     },
     kAnd},
    {"and_of_two_terms", [](const Collection& c) { return c.Word(2) + u" " + c.Word(4); }, kAnd},
    {"and_common_then_rare",
     [](const Collection&) {
       return std::u16string{CharacterOfRank(0), u' ', CharacterOfRank(9000)};
     },
     kAnd},
    {"or_of_two_terms", [](const Collection& c) { return c.Word(2) + u" " + c.Word(4); }, kOr},
};

// Decoding a whole long list: through the checked cursor, and through a loop
// with no checks at all over the same bytes, to show what the checks cost.
const uint32_t kLongListId = static_cast<uint32_t>(CharacterId(CharacterOfRank(0)));

void BM_DecodeLongList_Cursor(benchmark::State& state) {
  Collection& c = SharedCollection();
  PostingSource source{
      c.index.Postings().data(), c.index.Postings().size(), c.index.NextBlock().data(),
      static_cast<uint32_t>(c.index.NextBlock().size()), BlockCountOf(c.index.Postings().size())};
  uint64_t positions = 0;
  uint64_t bytes = 0;
  for (auto _ : state) {
    PostingCursor cursor;
    uint64_t sum = 0;
    positions = 0;
    bool intact =
        cursor.Start(source, c.index.FirstBlock()[kLongListId], c.index.LastPage()[kLongListId]);
    while (intact) {
      while (cursor.PositionBytesLeft() > 0 && cursor.NextPosition()) {
        sum += cursor.Position();
        ++positions;
      }
      if (cursor.AtLastPage()) break;
      intact = cursor.NextPage();
    }
    bytes = cursor.BytesSpanned();
    benchmark::DoNotOptimize(sum);
  }
  state.counters["positions"] = static_cast<double>(positions);
  state.counters["bytes_per_second"] =
      benchmark::Counter(static_cast<double>(bytes), benchmark::Counter::kIsIterationInvariantRate);
}

void BM_DecodeLongList_Unchecked(benchmark::State& state) {
  Collection& c = SharedCollection();
  const unsigned char* data = c.index.Postings().data();
  const uint32_t* next = c.index.NextBlock().data();
  const uint32_t lastPage = c.index.LastPage()[kLongListId];
  uint64_t positions = 0;
  for (auto _ : state) {
    uint32_t block = c.index.FirstBlock()[kLongListId];
    uint32_t offset = 0;
    auto byte = [&]() -> uint32_t {
      if (offset == kBlockSize) {
        block = next[block];
        offset = 0;
      }
      return data[size_t{block} * kBlockSize + offset++];
    };
    auto varNum = [&]() -> uint32_t {
      if (offset + 3 <= kBlockSize) {  // the same fast path as the cursor's
        const unsigned char* bytes = data + size_t{block} * kBlockSize + offset;
        offset += VarNumLength(bytes[0]);
        return DecodeVarNum(bytes);
      }
      const uint32_t first = byte();
      if (first < 0x80) return first;
      if (first < 0xC0) return ((first & 0x3F) << 8) | byte();
      const uint32_t second = byte();
      return ((first & 0x3F) << 16) | (second << 8) | byte();
    };
    uint64_t sum = 0;
    uint32_t page = 0;
    positions = 0;
    for (;;) {
      page += varNum();
      uint32_t left = byte();
      left |= byte() << 8;
      uint32_t position = 0;
      while (left > 0) {
        const uint32_t before = offset;
        position += varNum();
        left -= offset > before ? offset - before : offset + kBlockSize - before;
        sum += position;
        ++positions;
      }
      if (page == lastPage) break;
    }
    benchmark::DoNotOptimize(sum);
  }
  state.counters["positions"] = static_cast<double>(positions);
}

// Real queries on a built collection: a very common and a rare character,
// phrases of two to four characters, a wildcard, and "and" and "or" of two terms.
struct SampleCase {
  const char* name;
  const char16_t* query;
  Method method;
};

const SampleCase kSampleQueries[] = {
    {"common_character", u"之", kAnd},
    {"rare_character", u"鼇", kAnd},
    {"phrase_2", u"明月", kAnd},
    {"phrase_2_common", u"天下", kAnd},
    {"phrase_3", u"白雲間", kAnd},
    {"phrase_4", u"春風不度", kAnd},
    {"phrase_4_common", u"不知其所", kAnd},
    {"wildcard_star", u"明*月", kAnd},
    {"and_of_two_terms", u"明月 故鄉", kAnd},
    {"or_of_two_terms", u"明月 故鄉", kOr},
};

CIndex& SampleIndex(const char* folder) {
  static CIndex index;
  if (!index.IsOpen() && !index.Open(folder, u"Index", ScopeFullText)) {
    std::fprintf(stderr, "%s does not open: %s\n", folder, index.LastError().c_str());
    std::exit(1);
  }
  return index;
}

void RunSampleQuery(benchmark::State& state, const char* folder, const SampleCase* query) {
  MeasureQuery(state, SampleIndex(folder), query->query, query->method, /*useVariants=*/false);
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  if (const char* sample = std::getenv("QUILLWEN_SAMPLE_DIR"); sample != nullptr) {
    for (const SampleCase& query : kSampleQueries) {
      const std::string name = std::string("BM_Sample/") + query.name;
      benchmark::RegisterBenchmark(name.c_str(), RunSampleQuery, sample, &query)
          ->Unit(benchmark::kMillisecond)
          ->Repetitions(5)
          ->ReportAggregatesOnly(true);
    }
  }
  for (const QueryCase& query : kQueries) {
    for (const bool variants : {false, true}) {
      const std::string name =
          std::string("BM_Query/") + query.name + (variants ? "/variants" : "/plain");
      benchmark::RegisterBenchmark(name.c_str(), RunQuery, query.makeQuery, query.method, variants)
          ->Unit(benchmark::kMillisecond)
          ->Repetitions(5)
          ->ReportAggregatesOnly(true);
    }
  }
  benchmark::RegisterBenchmark("BM_DecodeLongList/cursor", BM_DecodeLongList_Cursor)
      ->Unit(benchmark::kMillisecond)
      ->Repetitions(5)
      ->ReportAggregatesOnly(true);
  benchmark::RegisterBenchmark("BM_DecodeLongList/unchecked", BM_DecodeLongList_Unchecked)
      ->Unit(benchmark::kMillisecond)
      ->Repetitions(5)
      ->ReportAggregatesOnly(true);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
