#pragma once

// The pair index of an index set that is already written, from its own lists: a
// collection made elsewhere, or by an older builder, gets one without its
// sources. The commonest identifiers' lists are walked together, a window of
// pages at a time, and each page's places handed to a PairIndexWriter.

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "core/search/index.h"
#include "core/writer/pair_index_writer.h"

namespace quillwen {

// The identifiers that have lists in `index`, longest list first (by blocks,
// then identifier), at most `count` of them.
std::vector<uint32_t> CommonestIdentifiers(const CIndex& index, uint32_t count);

// Writes `file` for `index`, which must be open; runs go beside `file` unless
// the options name a folder. False, with *error saying why (the file cannot be
// written, a list of the set is damaged), leaving no file.
bool WritePairIndex(const CIndex& index, const std::filesystem::path& file,
                    PairIndexOptions options, PairIndexSummary* summary, std::string* error);

}  // namespace quillwen
