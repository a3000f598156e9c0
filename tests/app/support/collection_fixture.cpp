#include "tests/app/support/collection_fixture.h"

#include <map>
#include <string_view>

#include "core/encoding/codeconverter.h"
#include "core/search/character_id.h"
#include "core/search/index_format.h"
#include "core/search/variant_table_format.h"
#include "core/store/volume_store_format.h"
#include "core/writer/catalogue_writer.h"
#include "core/writer/index_writer.h"
#include "core/writer/volume_store_writer.h"
#include "tests/support/temp_dir.h"

namespace quillwen::testing {
namespace {

// Adds one catalogue record per category, book and volume, and each volume's
// pages to the store; categories and books cover their volumes' pages.
struct CollectionBuilder {
  std::vector<CatalogueRecord> records;
  VolumeStoreWriter store;
  int volumeNumber = 0;
  // identifier -> entry index -> positions
  std::map<uint32_t, std::map<uint32_t, std::vector<uint32_t>>> postings;

  void AddPostings(uint32_t entry, const std::string& page) {
    const size_t start = page.find("<p>");
    if (start == std::string::npos) return;
    const size_t end = page.find("</p>", start);
    const std::u16string text =
        Utf8ToUtf16(page.substr(start + 3, end == std::string::npos ? 0 : end - start - 3));
    for (size_t position = 0; position < text.size(); ++position) {
      const int32_t id = CharacterId(text[position]);
      if (id >= 0)
        postings[static_cast<uint32_t>(id)][entry].push_back(static_cast<uint32_t>(position));
    }
  }

  bool AddVolume(const FixtureVolume& volume, std::string* error) {
    ++volumeNumber;
    CatalogueRecord record{volume.name, 3, static_cast<int32_t>(store.EntryCount() + 1),
                           static_cast<int32_t>(volume.pages.size()), volume.firstPage};
    records.push_back(record);
    for (size_t i = 0; i < volume.pages.size(); ++i) {
      AddPostings(static_cast<uint32_t>(store.EntryCount()), volume.pages[i]);
      const std::string name =
          "V" + std::to_string(volumeNumber) + "\\" + std::to_string(volume.firstPage + i) + ".htm";
      if (!store.AddPage(name, volume.pages[i])) {
        *error = store.Error();
        return false;
      }
    }
    return true;
  }
};

}  // namespace

std::string FixturePage(const std::string& title, const std::string& text) {
  return "<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\">"
         "<title>" +
         title + "</title></head><body><table><tr><TD><p>" + text + "</p></TD><TD>" + title +
         "</TD></tr></table></body></html>";
}

bool WriteCollection(const std::filesystem::path& folder,
                     const std::vector<FixtureCategory>& categories, std::string* error) {
  CollectionBuilder builder;
  if (!builder.store.Open(folder, kCollectionBaseName, VolumeStoreWriter::Options{})) {
    *error = builder.store.Error();
    return false;
  }
  for (const FixtureCategory& category : categories) {
    const size_t categoryRecord = builder.records.size();
    builder.records.push_back(
        {category.name, 1, static_cast<int32_t>(builder.store.EntryCount() + 1), 0, 0});
    for (const FixtureBook& book : category.books) {
      const size_t bookRecord = builder.records.size();
      builder.records.push_back(
          {book.name, 2, static_cast<int32_t>(builder.store.EntryCount() + 1), 0, 0});
      for (const FixtureVolume& volume : book.volumes) {
        if (!builder.AddVolume(volume, error)) return false;
      }
      CatalogueRecord& bookEntry = builder.records[bookRecord];
      bookEntry.docNo = static_cast<int32_t>(builder.store.EntryCount()) - bookEntry.docID + 1;
      if (!book.volumes.empty()) bookEntry.curFileName = book.volumes.front().firstPage;
    }
    CatalogueRecord& categoryEntry = builder.records[categoryRecord];
    categoryEntry.docNo =
        static_cast<int32_t>(builder.store.EntryCount()) - categoryEntry.docID + 1;
  }
  if (!builder.store.Finish()) {
    *error = builder.store.Error();
    return false;
  }
  if (!WriteCatalogue(folder / kCatalogueFileName, builder.records, error)) return false;
  for (const char* suffix : {"", kMainTextSetSuffix, kAnnotationSetSuffix}) {
    IndexWriter index;
    const bool annotations = std::string_view(suffix) == kAnnotationSetSuffix;
    for (const auto& [id, pages] : builder.postings) {
      for (const auto& [entry, positions] : pages) {
        if (!annotations && !index.AddPage(id, entry, positions)) {
          *error = index.Error();
          return false;
        }
      }
    }
    if (!index.Write(folder, std::string(kCollectionBaseName) + suffix)) {
      *error = index.Error();
      return false;
    }
  }
  WriteFileBytes(folder / kVariantTableFileName, "");
  return true;
}

std::string FixtureTextPage(const std::string& title, const std::string& text, int pageNumber) {
  const std::string cell = "<p>" + text + "</p>";
  const bool odd = pageNumber % 2 != 0;
  return "<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\">"
         "<title>" +
         title + "</title></head><body><table><tr><TD>" + (odd ? title : cell) + "</TD><TD>" +
         (odd ? cell : title) + "</TD></tr></table></body></html>";
}

std::vector<FixtureCategory> PagesWithCharacter(int pages) {
  FixtureVolume volume{u"本紀", 1, {}};
  for (int page = 1; page <= pages; ++page) {
    volume.pages.push_back(FixtureTextPage("本紀 " + std::to_string(page), "天下之事", page));
  }
  return {{u"史部", {{u"史記", {volume}}}}};
}

std::vector<FixtureCategory> SmallCollection() {
  return {{u"經部",
           {{u"論語",
             {{u"學而",
               5,
               {FixturePage("學而 5", "學而時習之，不亦說乎。"),
                FixturePage("學而 6", "有朋自遠方來，不亦樂乎。"),
                FixturePage("學而 7", "人不知而不慍，不亦君子乎。")}},
              {u"爲政",
               1,
               {FixturePage("爲政 1", "爲政以德。"), FixturePage("爲政 2", "譬如北辰。")}}}},
            {u"孟子", {{u"梁惠王", 3, {FixturePage("梁惠王 3", "孟子見梁惠王。")}}}}}}};
}

std::vector<FixtureCategory> MarkedCollection() {
  return {{u"經部",
           {{u"論語",
             {{u"學而",
               5,
               {FixtureTextPage("學而 5", "學而時習之，不亦說乎。", 5),
                FixtureTextPage("學而 6", "有朋自遠方來。", 6),
                FixtureTextPage("學而 7", "不亦樂乎，不亦君子乎。", 7)}},
              {u"爲政",
               1,
               {FixtureTextPage("爲政 1", "爲政以德。", 1),
                FixtureTextPage("爲政 2", "不亦宜乎。", 2)}}}},
            {u"孟子", {{u"梁惠王", 3, {FixtureTextPage("梁惠王 3", "孟子見梁惠王之時。", 3)}}}}}}};
}

}  // namespace quillwen::testing
