#pragma once

// Loading the catalogue "mvr.dir" (layout in catalogue_format.h).

#include <filesystem>
#include <functional>
#include <string>

#include "core/common/message_sink.h"
#include "core/store/catalogue_format.h"

namespace quillwen {

inline constexpr char16_t kMissingCatalogueMessage[] = u"you delete data file!";

// Receives each record in file order with its record number (1, 2, ...).
using CatalogueConsumer = std::function<void(int recordNumber, const CatalogueRecord& record)>;

// What a load met besides the records themselves.
struct CatalogueLoadResult {
  int recordCount = 0;
  bool fileMissing = false;           // reported through the sink as well
  bool partialRecordIgnored = false;  // the file ends inside a record
  bool recordsBeyondLimit = false;    // records after the 9999th were not loaded
  bool listingWritten = false;        // the listing file could be created
};

// Decodes one 216-byte record. A name with no NUL in its field is taken whole.
CatalogueRecord DecodeCatalogueRecord(const char* bytes);

// The record's line in the listing "mvr.txt" (UTF-8), ending in "\n".
std::string CatalogueListingLine(const CatalogueRecord& record);

// Reads `dataFolder`/mvr.dir record by record, writes the listing to `listingPath`
// and hands each record to `consumer`. A missing file shows "you delete data
// file!" through `messages` and loads nothing; the listing is still created. A
// trailing partial record and records beyond the 9999th are not handed on.
CatalogueLoadResult LoadCatalogue(
    const std::filesystem::path& dataFolder, const CatalogueConsumer& consumer,
    MessageSink& messages, const std::filesystem::path& listingPath = kCatalogueListingFileName);

}  // namespace quillwen
