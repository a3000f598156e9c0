// FindPage across a large page table and ReadPage of a typical page.

#include <benchmark/benchmark.h>

#include <string>

#include "bench/support/bench_folder.h"
#include "core/store/filelist.h"
#include "core/writer/volume_store_writer.h"

namespace {

constexpr int kEntries = 200000;
constexpr size_t kPageBytes = 20 * 1024;

// One store for the whole run: 200,000 entries named like a built collection's.
struct Store {
  Store() {
    quillwen::VolumeStoreWriter writer;
    writer.Open(folder.Path(), quillwen::kCollectionBaseName, {});
    const std::string page(kPageBytes, 'x');
    for (int i = 0; i < kEntries; ++i) {
      std::string name = "V";
      name.append(std::to_string(i / 200)).append("\\").append(std::to_string(i)).append(".htm");
      writer.AddPage(name, i % 1000 == 0 ? std::string_view(page) : std::string_view("p"));
    }
    writer.Finish();
    store.Open(folder.Path(), quillwen::kCollectionBaseNameWide);
  }
  quillwen::bench::BenchFolder folder;  // outlives the store that reads from it
  quillwen::CFileList store;
};

Store& SharedStore() {
  static Store store;
  return store;
}

void BM_FindPageWholeTable(benchmark::State& state) {
  Store& s = SharedStore();
  int32_t out = 0;
  for (auto _ : state) {
    // The last entry's page number: every entry is examined.
    benchmark::DoNotOptimize(s.store.FindPage(0, kEntries - 1, &out));
  }
  state.counters["entries/s"] =
      benchmark::Counter(double(kEntries) * state.iterations(), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_FindPageWholeTable)->Unit(benchmark::kMillisecond);

void BM_FindPageWithinVolume(benchmark::State& state) {
  Store& s = SharedStore();
  int32_t out = 0;
  for (auto _ : state) {
    // As the reader asks: start at a volume's first entry, find a page 150 entries on.
    benchmark::DoNotOptimize(s.store.FindPage(100000, 100150, &out));
  }
}
BENCHMARK(BM_FindPageWithinVolume)->Unit(benchmark::kMicrosecond);

void BM_ReadPage20KB(benchmark::State& state) {
  Store& s = SharedStore();
  std::string page;
  for (auto _ : state) {
    s.store.ReadPage(100000, page);
    benchmark::DoNotOptimize(page.data());
  }
  state.SetBytesProcessed(int64_t(kPageBytes) * state.iterations());
}
BENCHMARK(BM_ReadPage20KB)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
