// Hit marking over a large text and rendering of a typical result page.

#include <benchmark/benchmark.h>

#include <random>
#include <string>

#include "bench/support/bench_folder.h"
#include "core/encoding/codeconverter.h"
#include "core/store/filelist.h"
#include "core/store/hit_marker.h"
#include "core/writer/volume_store_writer.h"

namespace {

// Classical text made of a few hundred common characters in paragraphs, with the
// marked characters at their ordinary frequency.
std::string ClassicalText(size_t bytes, uint32_t seed) {
  std::mt19937 random(seed);
  std::u16string alphabet;
  for (char16_t c = 0x4E00; c < 0x4E00 + 300; ++c) alphabet.push_back(c);
  alphabet += u"之不而也者以其人子曰";  // frequent characters, twice as likely
  alphabet += u"之不而也者以其人子曰";
  std::uniform_int_distribution<size_t> pick(0, alphabet.size() - 1);
  std::string text = "<p>";
  while (text.size() < bytes) {
    text += quillwen::ToUtf8(std::u16string(1, alphabet[pick(random)]));
    if (random() % 120 == 0) text += "</p><p>";
  }
  return text + "</p>";
}

void MarkTerm(benchmark::State& state, std::u16string_view term) {
  const std::string text = ClassicalText(1 << 20, 7);
  const std::string termBytes = quillwen::ToUtf8(term);
  int anchors = 0;
  for (auto _ : state) {
    anchors = 0;
    benchmark::DoNotOptimize(quillwen::HighlightPiece(text, termBytes, anchors));
  }
  state.counters["anchors"] = anchors;
  state.SetBytesProcessed(int64_t(text.size()) * state.iterations());
}

void BM_MarkOneTerm(benchmark::State& state) { MarkTerm(state, u"之"); }
void BM_MarkQuestionTerm(benchmark::State& state) { MarkTerm(state, u"子?之"); }
void BM_MarkStarTerm(benchmark::State& state) { MarkTerm(state, u"子*之"); }
void BM_MarkAdversarialTerm(benchmark::State& state) {
  MarkTerm(state, u"之*之*之*之?????????????????????????????????之");
}
BENCHMARK(BM_MarkOneTerm)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MarkQuestionTerm)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MarkStarTerm)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MarkAdversarialTerm)->Unit(benchmark::kMillisecond);

void BM_RenderPage2KB(benchmark::State& state) {
  const quillwen::bench::BenchFolder folder;
  {
    quillwen::VolumeStoreWriter writer;
    writer.Open(folder.Path(), quillwen::kCollectionBaseName, {});
    const std::string cell = ClassicalText(1700, 11);
    writer.AddPage("V00001\\2.htm",
                   "<html><head><title>論語 巻一 2</title></head><body><table><tr><TD>" + cell +
                       "</TD><TD>論語 巻一 2</TD></tr></table></body></html>");
    writer.Finish();
  }
  quillwen::CFileList store;
  store.Open(folder.Path(), quillwen::kCollectionBaseNameWide);
  std::string output;
  int anchors = 0;
  for (auto _ : state) {
    output.clear();
    anchors = store.RenderPage(0, output, u"之 子?曰 不*也", quillwen::HitScopeFullText);
    benchmark::DoNotOptimize(output.data());
  }
  state.counters["anchors"] = anchors;
}
BENCHMARK(BM_RenderPage2KB)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
