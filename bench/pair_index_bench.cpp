// Phrases on a collection with pair indexes, read through them and through the
// character lists alone, in the same run: the pair index's gain, per query
// class, with variants counted and not. The collection is the data folder
// beside the benchmark (`make sample`, which writes pair indexes), or the
// folder QUILLWEN_SAMPLE_FOLDER names; without pair indexes there, the
// benchmarks are skipped.
//
// Each query runs warm (its lists' directories made by a first search), as a
// reader's second search of the same words does; "pages" is the result's size.

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "core/encoding/codeconverter.h"
#include "core/io/path.h"
#include "core/search/index.h"
#include "core/search/query.h"

namespace {

namespace fs = std::filesystem;
using namespace quillwen;

fs::path SampleFolder() {
  const char* named = std::getenv("QUILLWEN_SAMPLE_FOLDER");
  return named != nullptr && *named != '\0' ? fs::path(named) : io::ExecutableFolder();
}

struct QueryClass {
  const char* name;
  std::vector<const char16_t*> queries;  // each one or more terms, space between
};

// clang-format off
const QueryClass kClasses[] = {
    {"two", {u"明月", u"春風", u"白雲", u"白云", u"天下", u"不知", u"何處"}},
    {"three_four", {u"不知何處", u"天下之", u"年生間", u"五其君道", u"山見未", u"明月光"}},
    {"and", {u"明月 春風", u"白雲 青山", u"天下 不知", u"次韵 蕭蕭", u"其三 其四"}},
    {"one", {u"次韵", u"蕭蕭", u"其三", u"其四"}},
};
// clang-format on

CIndex* Sample() {
  static const std::unique_ptr<CIndex> index = [] {
    auto opened = std::make_unique<CIndex>();
    if (!opened->Open(SampleFolder(), u"Index", ScopeFullText) || !opened->UsesPairIndex())
      return std::unique_ptr<CIndex>();
    return opened;
  }();
  return index.get();
}

void RunQuery(benchmark::State& state, const char16_t* text, bool withPairs, bool variants) {
  CIndex* index = Sample();
  if (index == nullptr) {
    state.SkipWithError("no collection with pair indexes (make sample, or QUILLWEN_SAMPLE_FOLDER)");
    return;
  }
  const std::optional<Query> query = ParseQuery(text);
  if (!query) {
    state.SkipWithError("the query is refused");
    return;
  }
  index->WantPairIndex(withPairs);
  SearchResult result = index->Search(*query, SearchMethod::kAnd, variants);
  for (auto _ : state) {
    result = index->Search(*query, SearchMethod::kAnd, variants, std::move(result));
    benchmark::DoNotOptimize(result.pages.data());
  }
  state.counters["pages"] = static_cast<double>(result.pages.size());
  index->WantPairIndex(true);
}

void RegisterQueries() {
  for (const QueryClass& queryClass : kClasses) {
    for (const char16_t* query : queryClass.queries) {
      for (const bool variants : {false, true}) {
        for (const bool withPairs : {true, false}) {
          const std::string name = std::string("BM_Pairs/") + queryClass.name + "/" +
                                   ToUtf8(query) + (variants ? "/variants" : "/exact") +
                                   (withPairs ? "/pairs" : "/characters");
          benchmark::RegisterBenchmark(name.c_str(), RunQuery, query, withPairs, variants)
              ->Unit(benchmark::kMicrosecond);
        }
      }
    }
  }
}

}  // namespace

int main(int argc, char** argv) {
  RegisterQueries();
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
