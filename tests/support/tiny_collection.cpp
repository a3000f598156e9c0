#include "tests/support/tiny_collection.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <optional>
#include <string_view>

#include "core/encoding/codeconverter.h"
#include "core/search/character_id.h"
#include "core/search/code_points.h"
#include "core/search/index_format.h"
#include "core/search/variants.h"
#include "core/writer/catalogue_writer.h"
#include "core/writer/index_writer.h"
#include "core/writer/volume_store_writer.h"
#include "tests/support/temp_dir.h"

namespace quillwen::testing {
namespace {

std::string PageHtml(const std::u16string& title, const std::u16string& text, int pageNumber) {
  const std::string cell = "<p>" + ToUtf8(text) + "</p>";
  const std::string margin = ToUtf8(title);
  const bool odd = pageNumber % 2 != 0;
  return "<html><head><title>" + ToUtf8(title) + "</title></head><body><table><tr><TD>" +
         (odd ? margin : cell) + "</TD><TD>" + (odd ? cell : margin) +
         "</TD></tr></table></body></html>";
}

}  // namespace

void WriteTinyCollection(const std::filesystem::path& folder, const std::vector<TinyEntry>& entries,
                         const std::string& variantTable) {
  std::vector<CatalogueRecord> records;
  VolumeStoreWriter store;
  ASSERT_TRUE(store.Open(folder, kCollectionBaseName, {.nameSize = 100, .headerValue = 1}));
  // id -> page -> positions
  std::map<uint32_t, std::map<uint32_t, std::vector<uint32_t>>> postings;
  VariantTable groups;
  groups.Parse(variantTable);
  uint32_t entry = 0;
  for (size_t i = 0; i < entries.size(); ++i) {
    const TinyEntry& e = entries[i];
    CatalogueRecord record{e.name, e.level, static_cast<int32_t>(entry + 1), 0, e.firstPage};
    if (e.level == 3) {
      for (size_t k = 0; k < e.pages.size(); ++k) {
        const int pageNumber = e.firstPage + static_cast<int>(k);
        const std::string name =
            "V" + std::to_string(i) + "\\" + std::to_string(pageNumber) + ".htm";
        ASSERT_TRUE(store.AddPage(name, PageHtml(e.name, e.pages[k], pageNumber)));
        uint32_t position = 0;
        for (const char32_t cp : ToCodePoints(e.pages[k])) {
          const int32_t id = CharacterId(cp);
          if (id >= 0) postings[static_cast<uint32_t>(id)][entry].push_back(position);
          if (const std::optional<uint32_t> group = groups.FindVariantGroup(cp))
            postings[*group][entry].push_back(position);
          ++position;
        }
        ++entry;
      }
      record.docNo = static_cast<int32_t>(e.pages.size());
    }
    records.push_back(record);
  }
  ASSERT_TRUE(store.Finish());
  // Categories and books cover every page of the entries after them up to the
  // next entry of their level or above.
  for (size_t i = 0; i < records.size(); ++i) {
    if (records[i].level == 3) continue;
    int32_t pages = 0;
    for (size_t k = i + 1; k < records.size() && records[k].level > records[i].level; ++k) {
      if (records[k].level == 3) pages += records[k].docNo;
    }
    records[i].docNo = pages;
  }
  std::string error;
  ASSERT_TRUE(WriteCatalogue(folder / "mvr.dir", records, &error)) << error;

  IndexWriter full;
  IndexWriter empty;
  for (auto& [id, pages] : postings) {
    for (auto& [page, positions] : pages) {
      std::sort(positions.begin(), positions.end());
      ASSERT_TRUE(full.AddPage(id, page, positions)) << full.Error();
    }
  }
  const std::string base = kCollectionBaseName;
  ASSERT_TRUE(full.Write(folder, base + IndexSetSuffix(ScopeFullText))) << full.Error();
  ASSERT_TRUE(full.Write(folder, base + IndexSetSuffix(ScopeMainText))) << full.Error();
  ASSERT_TRUE(empty.Write(folder, base + IndexSetSuffix(ScopeAnnotations))) << empty.Error();
  if (!variantTable.empty()) WriteFileBytes(folder / kVariantTableFileName, variantTable);
}

}  // namespace quillwen::testing
