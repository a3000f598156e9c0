#include "tests/core/search/search_fixture.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "core/search/character_id.h"
#include "core/search/code_points.h"
#include "core/search/variants.h"
#include "core/writer/volume_store_writer.h"
#include "tests/support/temp_dir.h"

namespace quillwen::testing {

Occurrences OccurrencesOf(const std::vector<std::u16string>& pageTexts,
                          std::string_view variantTable) {
  VariantTable variants;
  variants.Parse(variantTable);
  Occurrences occurrences;
  for (uint32_t page = 0; page < pageTexts.size(); ++page) {
    const std::u32string characters = ToCodePoints(pageTexts[page]);
    for (uint32_t position = 0; position < characters.size(); ++position) {
      const int32_t id = CharacterId(characters[position]);
      if (id >= 0) occurrences[static_cast<uint32_t>(id)][page].push_back(position);
    }
    for (uint32_t group = 0; group < variants.Groups().size(); ++group) {
      const std::vector<char32_t>& members = variants.Groups()[group];
      std::vector<uint32_t> positions;
      for (uint32_t position = 0; position < characters.size(); ++position) {
        if (std::find(members.begin(), members.end(), characters[position]) != members.end()) {
          positions.push_back(position);
        }
      }
      if (!positions.empty()) occurrences[VariantIdBase + group][page] = positions;
    }
  }
  return occurrences;
}

void WriteIndexSet(const std::filesystem::path& folder, const Occurrences& occurrences,
                   IndexScope scope, IndexWriterOptions options) {
  IndexWriter writer(options);
  for (const auto& [id, pages] : occurrences) {
    for (const auto& [page, positions] : pages) {
      ASSERT_TRUE(writer.AddPage(id, page, positions)) << writer.Error();
    }
  }
  ASSERT_TRUE(writer.Write(folder, std::string(kCollectionBaseName) + IndexSetSuffix(scope)))
      << writer.Error();
}

void WriteVolumeStore(const std::filesystem::path& folder, size_t pageCount) {
  VolumeStoreWriter store;
  ASSERT_TRUE(store.Open(folder, kCollectionBaseName, {.nameSize = 100, .headerValue = 77}))
      << store.Error();
  for (size_t page = 0; page < pageCount; ++page) {
    ASSERT_TRUE(store.AddPage("V\\" + std::to_string(page + 1) + ".htm",
                              "<html>" + std::to_string(page) + "</html>"))
        << store.Error();
  }
  ASSERT_TRUE(store.Finish()) << store.Error();
}

void WriteCollection(const std::filesystem::path& folder,
                     const std::vector<std::u16string>& pageTexts, std::string_view variantTable,
                     IndexWriterOptions options) {
  WriteVolumeStore(folder, pageTexts.size());
  WriteIndexSet(folder, OccurrencesOf(pageTexts, variantTable), ScopeFullText, options);
  if (!variantTable.empty()) WriteFileBytes(folder / kVariantTableFileName, variantTable);
}

}  // namespace quillwen::testing
