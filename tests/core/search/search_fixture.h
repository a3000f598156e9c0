#pragma once

// Small collections for search tests, written with the project's own writers:
// page texts become a volume store (one dummy page per text), an index set whose
// positions are the texts' character offsets, and optionally a variant table.

#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "core/search/index_format.h"
#include "core/writer/index_writer.h"

namespace quillwen::testing {

// The occurrences of each identifier, page by page: id -> page -> positions.
using Occurrences = std::map<uint32_t, std::map<uint32_t, std::vector<uint32_t>>>;

// Every character of every page takes the next position (counting code points from
// 0); a character with an identifier gets a posting, and every variant group of
// `variantTable` (file text) collects the postings of its members.
Occurrences OccurrencesOf(const std::vector<std::u16string>& pageTexts,
                          std::string_view variantTable = {});

// Writes `occurrences` as the index set folder/baseName + suffix of `scope`.
// Fails the test on a writer error.
void WriteIndexSet(const std::filesystem::path& folder, const Occurrences& occurrences,
                   IndexScope scope = ScopeFullText, IndexWriterOptions options = {});

// Writes a volume store of `pageCount` pages named "V\<n>.htm" as folder/"Index".
void WriteVolumeStore(const std::filesystem::path& folder, size_t pageCount);

// The whole collection for ScopeFullText: volume store, index set and, when not
// empty, "yitizi.txt".
void WriteCollection(const std::filesystem::path& folder,
                     const std::vector<std::u16string>& pageTexts,
                     std::string_view variantTable = {}, IndexWriterOptions options = {});

}  // namespace quillwen::testing
