#pragma once

// Writes the pair index of an open index set (layout in
// core/search/pair_index_format.h), from the set's own lists: a collection made by
// any builder gets one without its sources.
//
// Which pairs earn a list: the commonest identifiers are covered, as many as keep
// the file within its budget (by default the size of the index set it serves),
// and every pair of two covered identifiers that occurs gets one, however short.
// A phrase with a rare character is already fast through that character's list;
// a phrase of common characters is where intersecting their lists costs most,
// and where the pair's list, short or long, saves most.
//
// Two walks over the covered identifiers' lists, page by page: the first counts
// the bytes of each pair's list, which decides the covered identifiers and where
// each list goes; the second writes each list's entries in place. Memory stays
// near a table of the candidate pairs, whatever the size of the collection.

#include <cstdint>
#include <filesystem>
#include <string>

#include "core/search/index.h"

namespace quillwen {

struct PairIndexOptions {
  // The most bytes the file may take; 0 for the size of the served index set's
  // two files.
  uint64_t maxBytes = 0;
  // The most identifiers considered for covering, commonest first. The pair
  // counts take 8 bytes for each pair of two of them.
  uint32_t maxCandidates = 3072;
  // Pages whose positions are gathered at once.
  uint32_t windowPages = 2048;
};

struct PairIndexSummary {
  uint32_t covered = 0;  // identifiers
  uint32_t pairs = 0;    // lists
  uint64_t bytes = 0;    // of the file
  bool groupPairs = false;
};

// Writes `file` for `index`, which must be open. False, with *error saying why
// (the file cannot be written, a list of the set is damaged), after removing
// what was written of the file.
bool WritePairIndex(const CIndex& index, const std::filesystem::path& file,
                    const PairIndexOptions& options, PairIndexSummary* summary, std::string* error);

}  // namespace quillwen
