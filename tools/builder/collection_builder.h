#pragma once

// Builds a complete data folder from a source tree: the catalogue "mvr.dir",
// the volume store "Index-fl.h"/"Index-fl.cnt", the three index sets with their
// pair indexes and the variant table "yitizi.txt". Everything is written into a staging folder
// beside the target and moved into the target only when all of it succeeded.

#include <array>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "core/writer/pair_index_writer.h"
#include "tools/builder/page_layout.h"
#include "tools/builder/progress.h"

namespace quillwen::build {

// The postings of the three index sets held in memory before they go to runs
// on disk; the builder's memory stays near this whatever the collection's size.
// A budget well below the collection's postings is also faster than holding
// them all: the freed buffers are reused instead of ever more memory touched.
inline constexpr uint64_t kDefaultPostingMemory = uint64_t{64} << 20;

struct BuildOptions {
  std::filesystem::path source;
  std::filesystem::path target;
  // Unihan_Variants.txt files and OpenCC character tables in text form; with
  // none the variant table is written empty.
  std::vector<std::filesystem::path> unihanVariantFiles;
  std::vector<std::filesystem::path> openCcFiles;
  bool semanticVariants = false;
  size_t charactersPerPage = kDefaultCharactersPerPage;
  // Spilled runs live in the staging folder and go with it.
  uint64_t postingMemory = kDefaultPostingMemory;
  Progress* progress = nullptr;  // optional
};

struct BuildSummary {
  size_t categories = 0;
  size_t books = 0;
  size_t volumes = 0;
  size_t records = 0;
  size_t pages = 0;
  size_t variantGroups = 0;
  size_t largestVariantGroup = 0;
  uint64_t sourceBytes = 0;
  // Positions taken in each index set, indexed by IndexScope.
  std::array<uint64_t, 3> positions{};
  // Postings written (characters and variant groups), indexed by IndexScope.
  std::array<uint64_t, 3> postings{};
  // Runs the postings were spilled to, all index sets together.
  size_t postingRuns = 0;
  // The pair index of each index set, indexed by IndexScope.
  std::array<PairIndexSummary, 3> pairIndexes{};
};

// The files a build produces, in the order they are moved into place.
const std::vector<std::string>& CollectionFileNames();

// False with *error naming the limit, file, book or page at fault; the target is
// then untouched.
bool BuildCollection(const BuildOptions& options, BuildSummary* summary, std::string* error);

}  // namespace quillwen::build
