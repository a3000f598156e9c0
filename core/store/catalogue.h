#pragma once

// Loading the catalogue "mvr.dir" (layout in catalogue_format.h).

#include <filesystem>
#include <functional>
#include <string>

#include "core/common/message_sink.h"
#include "core/store/catalogue_format.h"

namespace quillwen {

inline constexpr char16_t kMissingCatalogueMessage[] = u"you delete data file!";
// Some records were loaded, others were not (a record cut off at the end of the
// file, records past the 9999th, a read error).
inline constexpr char16_t kCatalogueRecordsDroppedMessage[] = u"目録の一部を読み込めませんでした。";

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
// and hands each record to `consumer`. A file that is missing, unreadable, empty
// or shorter than one record shows "you delete data file!" through `messages`,
// with the fault as details, and loads nothing; the listing is still created. A
// trailing partial record and records beyond the 9999th are not handed on; once
// some records were loaded, the records dropped are reported once, with
// kCatalogueRecordsDroppedMessage.
CatalogueLoadResult LoadCatalogue(
    const std::filesystem::path& dataFolder, const CatalogueConsumer& consumer,
    MessageSink& messages, const std::filesystem::path& listingPath = kCatalogueListingFileName);

}  // namespace quillwen
