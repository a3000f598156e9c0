// Writes the harnesses' seed corpora from a small collection made by the
// project's own writers: real catalogue, volume store, posting lists, variant
// table and stored pages, in each harness's framing. Usage: quillwen-fuzz-seeds DIR

#include <stdlib.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "core/search/character_id.h"
#include "core/search/index.h"
#include "core/store/catalogue_format.h"
#include "core/store/collection_manifest.h"
#include "core/store/volume_store_format.h"
#include "core/writer/manifest_writer.h"
#include "core/writer/pair_index_from_lists.h"
#include "fuzz/fuzz_input.h"
#include "tests/support/tiny_collection.h"

namespace {

using namespace quillwen;
namespace fs = std::filesystem;

std::string ReadWhole(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteSeed(const fs::path& folder, const std::string& name, const std::string& bytes) {
  fs::create_directories(folder);
  std::ofstream(folder / name, std::ios::binary) << bytes;
}

std::string Bytes(std::span<const uint32_t> numbers) {
  std::string out;
  for (const uint32_t n : numbers) fuzz::AppendNumber(out, n);
  return out;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: quillwen-fuzz-seeds DIR\n");
    return 2;
  }
  const fs::path out = argv[1];
  std::string scratch = (fs::temp_directory_path() / "quillwen-seeds-XXXXXX").string();
  if (mkdtemp(scratch.data()) == nullptr) return 1;
  const fs::path folder = scratch;

  // Pages long enough that the lists of their commonest characters span blocks.
  std::vector<std::u16string> pages;
  const std::u16string verse = u"學而時習之不亦說乎有朋自遠方來不亦樂乎";
  for (int page = 0; page < 40; ++page) {
    std::u16string text;
    for (int i = 0; i < 20 + page * 7; ++i) text += verse.substr((page + i) % verse.size(), 5);
    pages.push_back(text);
  }
  const std::string variants = "5B78,5B66\n8AAA,8AAC,8BF4\n4E0D\n";
  testing::WriteTinyCollection(folder,
                               {{1, u"經部", {}, 1},
                                {2, u"論語", {}, 1},
                                {3, u"學而", pages, 1},
                                {3, u"為政", {u"為政以德", u"譬如北辰"}, 3}},
                               variants);

  const std::string base = kCollectionBaseName;
  const std::string pageTable = ReadWhole(folder / (base + kPageTableSuffix));
  const std::string content = ReadWhole(folder / (base + kContentSuffix));
  std::string store;
  fuzz::AppendField(store, ReadWhole(folder / kCatalogueFileName));
  fuzz::AppendField(store, pageTable);
  WriteSeed(out / "store_files", "collection", store + content);

  std::string manifestError;
  if (!WriteCollectionManifest(folder, "0.1", NewBuildId(), &manifestError)) {
    std::fprintf(stderr, "cannot write the seed manifest: %s\n", manifestError.c_str());
    return 1;
  }
  WriteSeed(out / "manifest", "manifest", ReadWhole(folder / kManifestFileName));

  std::string table;
  fuzz::AppendField(table, "學而 時習之 說乎");
  WriteSeed(out / "variant_table", "yitizi", table + variants);

  CIndex index;
  if (!index.Open(folder, kCollectionBaseNameWide, ScopeFullText)) {
    std::fprintf(stderr, "cannot open the seed collection: %s\n", index.LastError().c_str());
    return 1;
  }
  const std::span<const unsigned char> postings = index.Postings();
  for (uint32_t shape = 0; shape < 3; ++shape) {
    std::string seed;
    fuzz::AppendNumber(seed, 2 + 3 * shape);  // three lists
    fuzz::AppendField(seed, Bytes(index.NextBlock()));
    for (const char32_t c : {U'學', U'而', U'時'}) {
      const auto id = static_cast<uint32_t>(CharacterId(c));
      fuzz::AppendNumber(seed, index.FirstBlock()[id]);
      fuzz::AppendNumber(seed, index.LastPage()[id]);
    }
    seed.append(reinterpret_cast<const char*>(postings.data()), postings.size());
    WriteSeed(out / "posting", "shape" + std::to_string(shape), seed);
  }

  for (uint32_t entry = 0; entry < 3; ++entry) {
    std::string page;
    if (!index.FileList().ReadPage(entry, page)) return 1;
    std::string seed;
    fuzz::AppendNumber(seed, entry * 2);
    fuzz::AppendField(seed, entry == 0 ? "學而" : entry == 1 ? "不亦*乎" : "有?自");
    WriteSeed(out / "page_marker", "page" + std::to_string(entry), seed + page);
  }
  // The pair index of the same set, whole and with few identifiers covered.
  for (const uint64_t budget : {uint64_t{0}, uint64_t{20000}}) {
    const fs::path file = folder / ("pairs" + std::to_string(budget));
    std::string error;
    if (!WritePairIndex(index, file, {.maxBytes = budget}, nullptr, &error)) {
      std::fprintf(stderr, "cannot write the seed pair index: %s\n", error.c_str());
      return 1;
    }
    WriteSeed(out / "pair_index", "pairs" + std::to_string(budget), ReadWhole(file));
  }
  index.Close();
  fs::remove_all(folder);
  return 0;
}
