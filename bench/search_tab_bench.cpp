// Search to rows as the search tab runs it: the search command of the panel's
// model on the sample collection, then the first list page of rows. The sample
// collection is the data folder beside the benchmark (`make sample`); without it
// the benchmarks are skipped with a message.

#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>

#include "bench/support/bench_folder.h"
#include "core/io/path.h"
#include "core/panel_model/left_form_model.h"

namespace {

class NullSink : public quillwen::MessageSink {
  void ShowMessage(std::u16string_view) override {}
};

std::filesystem::path SampleFolder() { return quillwen::io::ExecutableFolder(); }

bool HaveSample() { return std::filesystem::exists(SampleFolder() / "mvr.dir"); }

// range: a record number of the sample's contents (228 全宋詩, the largest
// category; 99 全唐詩).
void BM_SearchToRows(benchmark::State& state, std::u16string keyword, int range) {
  if (!HaveSample()) {
    state.SkipWithError("no sample collection beside the benchmark: run `make sample` first");
    return;
  }
  NullSink sink;
  const quillwen::bench::BenchFolder scratch;
  quillwen::LeftFormModel::Environment environment;
  environment.dataFolder = SampleFolder();
  environment.messages = &sink;
  environment.listingPath = scratch / "mvr.txt";
  quillwen::LeftFormModel model(environment);
  model.InitialUpdate();
  quillwen::SearchRequest request;
  request.keywords = keyword;
  request.range = range;
  size_t listed = 0;
  for (auto _ : state) {
    const quillwen::PanelUpdate update = model.Search(request);
    listed = update.rows ? update.rows->size() : 0;
    benchmark::DoNotOptimize(update.rows);
  }
  state.counters["rows"] = static_cast<double>(model.SearchNodes().size());
  state.counters["places"] = static_cast<double>(model.Places());
  state.counters["listed"] = static_cast<double>(listed);
}

BENCHMARK_CAPTURE(BM_SearchToRows, zhi_quan_song_shi, std::u16string(u"之"), 228)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_SearchToRows, bu_quan_song_shi, std::u16string(u"不"), 228)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_SearchToRows, bu_quan_tang_shi, std::u16string(u"不"), 99)
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
