// Opening the sample collection as the reader opens it (the panel's model made
// and its catalogue loaded, with every check of the collection), once with a
// manifest beside the data files and once without, and the manifest check
// alone. The data files are linked from the sample into a scratch folder, so
// that the sample itself is not written to. The sample collection is the data
// folder beside the benchmark (`make sample`), or the folder
// QUILLWEN_SAMPLE_FOLDER names; without it the benchmarks are skipped.

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "bench/support/bench_folder.h"
#include "core/io/path.h"
#include "core/panel_model/left_form_model.h"
#include "core/store/collection_manifest.h"
#include "core/writer/manifest_writer.h"

namespace {

namespace fs = std::filesystem;

class NullSink : public quillwen::MessageSink {
  void ShowMessage(std::u16string_view) override {}
};

fs::path SampleFolder() {
  const char* named = std::getenv("QUILLWEN_SAMPLE_FOLDER");
  return named != nullptr && *named != '\0' ? fs::path(named) : quillwen::io::ExecutableFolder();
}

// The sample's data files linked into two folders, one with a manifest.
struct LinkedSample {
  LinkedSample() {
    if (!fs::exists(SampleFolder() / "mvr.dir")) return;
    for (const fs::path& folder : {plain.Path(), manifested.Path()}) {
      for (const std::string& name : quillwen::CollectionDataFileNames()) {
        if (fs::exists(SampleFolder() / name))
          fs::create_symlink(fs::absolute(SampleFolder() / name), folder / name);
      }
    }
    std::string error;
    ready = quillwen::WriteCollectionManifest(manifested.Path(), "bench", quillwen::NewBuildId(),
                                              &error);
  }
  const quillwen::bench::BenchFolder plain;
  const quillwen::bench::BenchFolder manifested;
  const quillwen::bench::BenchFolder scratch;
  bool ready = false;
};

const LinkedSample& Sample() {
  static const LinkedSample sample;
  return sample;
}

bool Skipped(benchmark::State& state) {
  if (Sample().ready) return false;
  state.SkipWithError("no sample collection beside the benchmark: run `make sample` first");
  return true;
}

void OpenCollection(benchmark::State& state, const fs::path& folder) {
  if (Skipped(state)) return;
  NullSink sink;
  for (auto _ : state) {
    quillwen::LeftFormModel model({folder, &sink, {}, Sample().scratch / "mvr.txt"});
    model.InitialUpdate();
    benchmark::DoNotOptimize(model.Catalogue().m_nNodeCount);
  }
}

void BM_OpenCollection_WithoutManifest(benchmark::State& state) {
  OpenCollection(state, Sample().plain.Path());
}
BENCHMARK(BM_OpenCollection_WithoutManifest)->Unit(benchmark::kMillisecond);

void BM_OpenCollection_WithManifest(benchmark::State& state) {
  OpenCollection(state, Sample().manifested.Path());
}
BENCHMARK(BM_OpenCollection_WithManifest)->Unit(benchmark::kMillisecond);

void BM_ManifestCheckAlone(benchmark::State& state) {
  if (Skipped(state)) return;
  for (auto _ : state) {
    const quillwen::ManifestCheck check =
        quillwen::CheckCollectionAgainstManifest(Sample().manifested.Path());
    if (!check.foreign.empty() || !check.unreadableFiles.empty()) {
      state.SkipWithError("the linked sample does not fit its own manifest");
      return;
    }
  }
}
BENCHMARK(BM_ManifestCheckAlone)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
