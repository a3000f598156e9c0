// Result rows for a very common character, all made (BuildResults) beside
// those of the first list page alone; and loading a full catalogue.

#include <benchmark/benchmark.h>

#include "bench/support/bench_folder.h"
#include "core/panel_model/contents_catalogue.h"
#include "core/panel_model/search_results.h"
#include "core/writer/catalogue_writer.h"

namespace {

using quillwen::CatalogueRecord;

// One category of 300 books of 32 volumes of 21 pages: 9,901 records, 201,600 pages.
std::vector<CatalogueRecord> LargeCatalogue() {
  constexpr int kBooks = 300, kVolumes = 32, kPages = 21;
  std::vector<CatalogueRecord> records;
  records.push_back({u"全唐詩", 1, 1, kBooks * kVolumes * kPages, 1});
  int32_t docID = 1;
  for (int b = 0; b < kBooks; ++b) {
    std::u16string book = u"書";
    book.push_back(char16_t(0x4E00 + b));
    records.push_back({book, 2, docID, kVolumes * kPages, 1});
    for (int v = 0; v < kVolumes; ++v) {
      std::u16string volume = u"巻";
      volume.push_back(char16_t(0x4E00 + v));
      records.push_back({volume, 3, docID, kPages, 1});
      docID += kPages;
    }
  }
  return records;
}

class NullSink : public quillwen::MessageSink {
  void ShowMessage(std::u16string_view) override {}
};

// Every page 0 to 199,999 found, with 1 to 7 places each.
struct PagesFound {
  std::vector<uint32_t> pages;
  std::vector<uint32_t> counts;
};
PagesFound TwoHundredThousandPages() {
  PagesFound found;
  for (uint32_t p = 0; p < 200000; ++p) {
    found.pages.push_back(p);
    found.counts.push_back(1 + p % 7);
  }
  return found;
}

void BM_BuildResults200000Pages(benchmark::State& state) {
  quillwen::ContentsCatalogue catalogue;
  for (const CatalogueRecord& record : LargeCatalogue()) catalogue.AddRecord(record);
  const PagesFound found = TwoHundredThousandPages();
  const std::vector<uint32_t>& pages = found.pages;
  const std::vector<uint32_t>& counts = found.counts;
  std::vector<quillwen::SearchNodeTag> rows;
  for (auto _ : state) {
    benchmark::DoNotOptimize(quillwen::BuildResults(*catalogue.NodeOf(1), pages, counts, rows));
  }
  state.counters["rows"] = static_cast<double>(rows.size());
}
BENCHMARK(BM_BuildResults200000Pages)->Unit(benchmark::kMillisecond);

// What a search keeps of the same 200,000 pages instead: their numbers, and the
// rows of the first list page made, in reading order or in an order chosen.
void BM_ResultRowsFirstListPage200000Pages(benchmark::State& state, quillwen::PageRowOrder order) {
  quillwen::ContentsCatalogue catalogue;
  for (const CatalogueRecord& record : LargeCatalogue()) catalogue.AddRecord(record);
  const PagesFound found = TwoHundredThousandPages();
  const std::vector<uint32_t>& pages = found.pages;
  const std::vector<uint32_t>& counts = found.counts;
  quillwen::ResultRows rows;
  std::vector<quillwen::SearchNodeTag> listed;
  for (auto _ : state) {
    rows.Assign(catalogue.NodeOf(1), pages, counts, order);
    listed.clear();
    for (size_t i = 0; i < 100 && i < rows.Count(); ++i) listed.push_back(rows.OrderedRow(i));
    benchmark::DoNotOptimize(listed.data());
  }
  state.counters["rows"] = static_cast<double>(rows.Count());
}
BENCHMARK_CAPTURE(BM_ResultRowsFirstListPage200000Pages, reading, quillwen::PageRowOrder::kReading)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ResultRowsFirstListPage200000Pages, volume_page,
                  quillwen::PageRowOrder::kVolumePage)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ResultRowsFirstListPage200000Pages, places, quillwen::PageRowOrder::kPlaces)
    ->Unit(benchmark::kMillisecond);

void BM_LoadCatalogue9999Records(benchmark::State& state) {
  const quillwen::bench::BenchFolder folder;
  std::vector<CatalogueRecord> records = LargeCatalogue();
  while (records.size() < 9999) records.push_back({u"巻", 3, 1, 1, 1});
  std::string error;
  quillwen::WriteCatalogue(folder / "mvr.dir", records, &error);
  NullSink sink;
  for (auto _ : state) {
    quillwen::ContentsCatalogue catalogue;
    catalogue.Load(folder.Path(), sink, folder / "mvr.txt");
    benchmark::DoNotOptimize(catalogue.m_nNodeCount);
  }
}
BENCHMARK(BM_LoadCatalogue9999Records)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
