#pragma once

// The pair indexes of a collection (core/writer/pair_index_writer.h), one beside
// each index set: written by every build, and added to a collection that has
// none (made elsewhere, or by an older builder) by `quillwen-build
// --add-pair-index`.

#include <array>
#include <filesystem>
#include <string>
#include <vector>

#include "core/search/index_format.h"
#include "core/writer/pair_index_writer.h"
#include "tools/builder/progress.h"

namespace quillwen::build {

// "Index-pairs.qw", "Index_content-pairs.qw", "Index_desc-pairs.qw".
std::vector<std::string> PairIndexFileNames();

// The name of the pair index beside `scope`'s index set.
std::string PairIndexFileName(IndexScope scope);

// Writes into `outFolder` the pair index of each index set of the collection in
// `folder`, from the sets' own lists. False, with *error naming the file and why.
bool WritePairIndexesFromLists(const std::filesystem::path& folder,
                               const std::filesystem::path& outFolder, Progress& progress,
                               std::array<PairIndexSummary, 3>* summaries, std::string* error);

// Adds pair indexes to the collection in `folder`, replacing any it has, with
// the manifest (when it has one) brought up to date: written beside it first and
// moved in only when all succeeded, while its readers wait, as a build's files
// are. False, with *error, leaving the collection as it was.
bool AddPairIndexes(const std::filesystem::path& folder, Progress& progress,
                    std::array<PairIndexSummary, 3>* summaries, std::string* error);

}  // namespace quillwen::build
