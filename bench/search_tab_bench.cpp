// Search to rows as the search tab runs it: the search command of the panel's
// model on the sample collection, then the first list page of page rows or hit
// rows, each beside the evaluation alone; and a search right after one that left
// a very large result, beside the same search after a small one. The sample
// collection is the data folder beside the benchmark (`make sample`), or the
// folder QUILLWEN_SAMPLE_FOLDER names; without it the benchmarks are skipped
// with a message.

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "bench/support/bench_folder.h"
#include "core/io/path.h"
#include "core/panel_model/left_form_model.h"

namespace {

class NullSink : public quillwen::MessageSink {
  void ShowMessage(std::u16string_view) override {}
};

std::filesystem::path SampleFolder() {
  const char* named = std::getenv("QUILLWEN_SAMPLE_FOLDER");
  return named != nullptr && *named != '\0' ? std::filesystem::path(named)
                                            : quillwen::io::ExecutableFolder();
}

bool HaveSample() { return std::filesystem::exists(SampleFolder() / "mvr.dir"); }

// Marks the benchmark skipped, with how to make the sample, when there is none.
bool SkippedWithoutSample(benchmark::State& state) {
  if (HaveSample()) return false;
  state.SkipWithError("no sample collection beside the benchmark: run `make sample` first");
  return true;
}

// The panel's model on the sample, opened once per benchmark.
class SampleModel {
 public:
  SampleModel() {
    environment_.dataFolder = SampleFolder();
    environment_.messages = &sink_;
    environment_.listingPath = scratch_ / "mvr.txt";
    model_ = std::make_unique<quillwen::LeftFormModel>(environment_);
    model_->InitialUpdate();
  }
  quillwen::LeftFormModel& operator*() { return *model_; }
  quillwen::LeftFormModel* operator->() { return model_.get(); }

 private:
  NullSink sink_;
  const quillwen::bench::BenchFolder scratch_;
  quillwen::LeftFormModel::Environment environment_;
  std::unique_ptr<quillwen::LeftFormModel> model_;
};

constexpr int kWhole = quillwen::kWholeCollection;

// The evaluation alone, the figure the rows are measured against.
void BM_SearchOnly(benchmark::State& state, std::u16string keyword) {
  if (SkippedWithoutSample(state)) return;
  SampleModel model;
  const std::optional<quillwen::Query> query = quillwen::ParseQuery(keyword);
  size_t pages = 0;
  quillwen::SearchResult result;
  for (auto _ : state) {
    result = model->Index().Search(*query, quillwen::SearchMethod::kAnd, true, std::move(result));
    pages = result.pages.size();
    benchmark::DoNotOptimize(result.pages.data());
  }
  state.counters["pages"] = static_cast<double>(pages);
}

// range: kWhole, or a record number of the sample's contents (228 全宋詩, the
// largest category; 99 全唐詩). The search command to the first list page of
// page rows (in `order`) or of hit rows.
void BM_SearchToRows(benchmark::State& state, std::u16string keyword, int range,
                     quillwen::ResultView view,
                     quillwen::PageRowOrder order = quillwen::PageRowOrder::kReading) {
  if (SkippedWithoutSample(state)) return;
  SampleModel model;
  model->ChooseView(view);
  model->OrderPageRows(order);
  quillwen::SearchRequest request;
  request.keywords = keyword;
  request.range = range;
  size_t listed = 0;
  for (auto _ : state) {
    const quillwen::PanelUpdate update = model->Search(request);
    listed = update.rows ? update.rows->size() : update.hitRows ? update.hitRows->size() : 0;
    benchmark::DoNotOptimize(update.rows);
  }
  state.counters["rows"] = static_cast<double>(model->SearchNodes().Count());
  state.counters["places"] = static_cast<double>(model->Places());
  state.counters["listed"] = static_cast<double>(listed);
}

// The search for `keyword` over the whole collection to its first list page,
// each run right after a search for `before` (not timed). With `before` the
// same keyword this is the search on its own; with a character of 100,000
// pages it shows what clearing away the large result costs the next search.
void BM_SearchAfter(benchmark::State& state, std::u16string keyword, std::u16string before) {
  if (SkippedWithoutSample(state)) return;
  SampleModel model;
  quillwen::SearchRequest request;
  request.keywords = keyword;
  request.range = kWhole;
  quillwen::SearchRequest first = request;
  first.keywords = before;
  size_t listed = 0;
  for (auto _ : state) {
    state.PauseTiming();
    model->Search(first);
    state.ResumeTiming();
    const quillwen::PanelUpdate update = model->Search(request);
    listed = update.rows ? update.rows->size() : 0;
    benchmark::DoNotOptimize(update.rows);
  }
  state.counters["listed"] = static_cast<double>(listed);
}

// The evaluation alone in the same pairs: what of the difference the index's
// own part accounts for. The last result is replaced as the search command
// replaces it, lending the next one its memory.
void BM_SearchOnlyAfter(benchmark::State& state, std::u16string keyword, std::u16string before) {
  if (SkippedWithoutSample(state)) return;
  SampleModel model;
  const std::optional<quillwen::Query> query = quillwen::ParseQuery(keyword);
  const std::optional<quillwen::Query> first = quillwen::ParseQuery(before);
  quillwen::SearchResult last;
  for (auto _ : state) {
    state.PauseTiming();
    last = model->Index().Search(*first, quillwen::SearchMethod::kAnd, true, std::move(last));
    state.ResumeTiming();
    last = model->Index().Search(*query, quillwen::SearchMethod::kAnd, true, std::move(last));
    benchmark::DoNotOptimize(last.pages.data());
  }
  state.counters["pages"] = static_cast<double>(last.pages.size());
}

using quillwen::ResultView;

BENCHMARK_CAPTURE(BM_SearchOnly, zhi, std::u16string(u"之"))->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_SearchToRows, zhi_whole_pages, std::u16string(u"之"), kWhole,
                  ResultView::kPages)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_SearchToRows, zhi_whole_pages_by_volume_page, std::u16string(u"之"), kWhole,
                  ResultView::kPages, quillwen::PageRowOrder::kVolumePage)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_SearchToRows, zhi_whole_hits, std::u16string(u"之"), kWhole, ResultView::kHits)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_SearchOnly, rare, std::u16string(u"鼉"))->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_SearchToRows, rare_whole_pages, std::u16string(u"鼉"), kWhole,
                  ResultView::kPages)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_SearchToRows, rare_whole_hits, std::u16string(u"鼉"), kWhole,
                  ResultView::kHits)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_SearchOnly, mingyue, std::u16string(u"明月"))->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_SearchToRows, mingyue_whole_pages, std::u16string(u"明月"), kWhole,
                  ResultView::kPages)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_SearchToRows, mingyue_whole_hits, std::u16string(u"明月"), kWhole,
                  ResultView::kHits)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_SearchToRows, zhi_quan_song_shi, std::u16string(u"之"), 228,
                  ResultView::kPages)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_SearchAfter, mingyue_alone, std::u16string(u"明月"), std::u16string(u"明月"))
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_SearchAfter, mingyue_after_bu, std::u16string(u"明月"), std::u16string(u"不"))
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_SearchAfter, rare_alone, std::u16string(u"鼉"), std::u16string(u"鼉"))
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_SearchAfter, rare_after_bu, std::u16string(u"鼉"), std::u16string(u"不"))
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_SearchOnlyAfter, rare_alone, std::u16string(u"鼉"), std::u16string(u"鼉"))
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_SearchOnlyAfter, rare_after_bu, std::u16string(u"鼉"), std::u16string(u"不"))
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_SearchOnly, bu, std::u16string(u"不"))->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_SearchToRows, bu_quan_tang_shi, std::u16string(u"不"), 99, ResultView::kPages)
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
