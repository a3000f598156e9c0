#include "tools/builder/pair_indexes.h"

#include <algorithm>

#include "core/io/file_lock.h"
#include "core/io/read_only_file.h"
#include "core/io/write_file.h"
#include "core/search/index.h"
#include "core/search/pair_index_format.h"
#include "core/store/collection_manifest.h"
#include "core/store/volume_store_format.h"
#include "core/writer/pair_index_from_lists.h"
#include "tools/builder/build_lock.h"
#include "tools/builder/index_set_builder.h"
#include "tools/builder/staging_folder.h"

namespace quillwen::build {
namespace fs = std::filesystem;
namespace {

constexpr IndexScope kScopes[] = {ScopeFullText, ScopeMainText, ScopeAnnotations};

// The manifest of `folder` with the pair indexes of `staging` in place of its
// own, written into `staging`. Nothing to do for a collection without one.
bool UpdateManifest(const fs::path& folder, const fs::path& staging, bool* written,
                    std::string* error) {
  *written = false;
  const fs::path path = folder / kManifestFileName;
  std::error_code missing;
  if (!fs::exists(path, missing)) return true;
  std::string text;
  DataFault fault;
  if (!io::ReadWholeFile(path, text, &fault)) {
    *error = fault.Text();
    return false;
  }
  std::string problem;
  std::optional<Manifest> manifest = ParseManifest(text, &problem);
  if (!manifest) {
    *error = path.string() + ": " + problem;
    return false;
  }
  const std::vector<std::string> pairFiles = PairIndexFileNames();
  std::erase_if(manifest->files, [&](const ManifestFile& described) {
    return std::find(pairFiles.begin(), pairFiles.end(), described.name) != pairFiles.end();
  });
  for (const std::string& name : pairFiles) {
    DataFault fault;
    std::optional<ManifestFile> described = DescribeDataFile(staging, name, &fault);
    if (!described) {
      *error = fault.Text();
      return false;
    }
    manifest->files.push_back(std::move(*described));
  }
  const fs::path out = staging / kManifestFileName;
  if (!io::WriteWholeFile(out, FormatManifest(*manifest), io::FileAccess::kShared, &problem)) {
    *error = out.string() + ": cannot be written (" + problem + ")";
    return false;
  }
  *written = true;
  return true;
}

}  // namespace

std::vector<std::string> PairIndexFileNames() {
  std::vector<std::string> names;
  for (IndexScope scope : kScopes) names.push_back(PairIndexFileName(scope));
  return names;
}

std::string PairIndexFileName(IndexScope scope) {
  return std::string(kCollectionBaseName) + IndexSetSuffix(scope) + kPairIndexSuffix;
}

bool WritePairIndexesFromLists(const fs::path& folder, const fs::path& outFolder,
                               Progress& progress, std::array<PairIndexSummary, 3>* summaries,
                               std::string* error) {
  progress.BeginPhase("pair indexes", "");
  uint64_t done = 0;
  // One set at a time: each walk keeps thousands of lists open at once.
  for (IndexScope scope : kScopes) {
    CIndex index;
    if (!index.Open(folder, kCollectionBaseNameWide, scope)) {
      *error = std::string(IndexSetLabel(scope)) + " index set: " + index.LastError();
      return false;
    }
    if (!WritePairIndex(index, outFolder / PairIndexFileName(scope), {}, &(*summaries)[scope],
                        error)) {
      return false;
    }
    ++done;
    progress.Update(static_cast<double>(done) / 3.0, done);
  }
  progress.EndPhase();
  return true;
}

bool AddPairIndexes(const fs::path& folder, Progress& progress,
                    std::array<PairIndexSummary, 3>* summaries, std::string* error) {
  std::error_code ec;
  if (!fs::is_directory(folder, ec)) {
    *error = folder.string() + ": no such folder";
    return false;
  }
  BuildLock buildLock;
  if (!buildLock.Take(folder, error)) return false;
  StagingFolder staging;
  if (!staging.Create(folder, error)) return false;
  if (!WritePairIndexesFromLists(folder, staging.Path(), progress, summaries, error)) return false;
  bool manifest = false;
  if (!UpdateManifest(folder, staging.Path(), &manifest, error)) return false;
  std::vector<std::string> names = PairIndexFileNames();
  if (manifest) names.push_back(kManifestFileName);
  const io::FileLock readersWait = io::FileLock::Exclusive(folder, true);
  return staging.MoveInto(names, error);
}

}  // namespace quillwen::build
