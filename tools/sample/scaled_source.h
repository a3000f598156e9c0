#pragma once

// A larger source tree made from a smaller one, for measuring how the builder
// grows with its collection. Each copy of the source permutes its Han
// characters within bands of characters of about the same frequency, so that
// every copy keeps the text's statistics (the same multiset of character
// frequencies, common characters staying common) while no two copies hold the
// same text. Punctuation, markup and everything else stay where they were.
// Consecutive volumes of a book are joined into one file, so that the copies
// together still fit the catalogue's record limit.

#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "tools/builder/source_tree.h"

namespace quillwen::sample {

struct ScaleOptions {
  std::filesystem::path source;
  std::filesystem::path target;  // must not exist yet
  uint32_t copies = 13;
  // Volumes joined into one file; 0 picks the fewest that keep the catalogue
  // within maxRecords.
  uint32_t join = 0;
  size_t bandSize = 64;
  size_t maxRecords = 9999;
};

struct ScaleSummary {
  uint32_t join = 0;
  size_t records = 0;
  size_t volumeFiles = 0;
  uint64_t bytes = 0;
};

// The characters a copy permutes: those the index numbers as Han characters.
bool IsPermutedCharacter(char32_t c);

// A permutation of the characters counted in `counts`, each moved only within
// its band: bands are runs of `bandSize` characters in order of falling count
// (ties by code point). `seed` 0 is the identity. The result maps every code
// point below its size to its replacement.
std::vector<char32_t> MakeBandPermutation(const std::map<char32_t, uint64_t>& counts,
                                          size_t bandSize, uint32_t seed);

// The catalogue records of `copies` copies of `tree` with `join` volumes a file.
size_t ScaledRecordCount(const build::SourceTree& tree, uint32_t copies, uint32_t join);

// False with *error naming the file or limit at fault.
bool MakeScaledSource(const ScaleOptions& options, ScaleSummary* summary, std::string* error);

}  // namespace quillwen::sample
