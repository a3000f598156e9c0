#include "core/store/catalogue.h"

#include <optional>
#include <vector>

#include "core/common/little_endian.h"
#include "core/encoding/codeconverter.h"
#include "core/io/read_only_file.h"
#include "core/io/write_file.h"

namespace quillwen {
namespace {

// Records are read this many at a time.
constexpr size_t kRecordsPerRead = 256;

// Tells the user, once, what a load left out. Nothing loaded at all is the
// missing catalogue's message; some records loaded, the records-dropped one.
void ReportDroppedRecords(const std::filesystem::path& path, const io::ReadOnlyFile& file,
                          const CatalogueLoadResult& result, size_t partialBytes,
                          const std::optional<DataFault>& readError, MessageSink& messages) {
  const std::u16string_view message =
      result.recordCount == 0 ? kMissingCatalogueMessage : kCatalogueRecordsDroppedMessage;
  const std::string record = "record " + std::to_string(result.recordCount + 1);
  if (readError) {
    messages.ShowFault(message, {readError->file, readError->problem + " at " + record});
  } else if (result.recordsBeyondLimit) {
    const uint64_t records = file.Size().value_or(0) / kCatalogueRecordSize;
    messages.ShowFault(message,
                       {path, std::to_string(records) + " records; those after the " +
                                  std::to_string(kMaxCatalogueRecords) + "th were not loaded"});
  } else if (result.recordCount == 0 && partialBytes == 0) {
    messages.ShowFault(message, {path, "empty"});
  } else if (result.recordCount == 0) {
    messages.ShowFault(message, {path, std::to_string(partialBytes) + " bytes, shorter than one " +
                                           std::to_string(kCatalogueRecordSize) + "-byte record"});
  } else if (result.partialRecordIgnored) {
    messages.ShowFault(
        message,
        {path, "the file ends " + std::to_string(partialBytes) + " bytes into " + record + " of " +
                   std::to_string(kCatalogueRecordSize) + " bytes; that record was not loaded"});
  }
}

}  // namespace

CatalogueRecord DecodeCatalogueRecord(const char* bytes) {
  CatalogueRecord record;
  for (size_t unit = 0; unit < kCatalogueNameUnits; ++unit) {
    const char16_t c = LoadLE16(bytes + 2 * unit);
    if (c == 0) break;
    record.name.push_back(c);
  }
  record.level = static_cast<int32_t>(LoadLE32(bytes + kCatalogueLevelOffset));
  record.docID = static_cast<int32_t>(LoadLE32(bytes + kCatalogueDocIdOffset));
  record.docNo = static_cast<int32_t>(LoadLE32(bytes + kCatalogueDocNoOffset));
  record.curFileName = LoadLE16(bytes + kCatalogueCurFileNameOffset);
  return record;
}

std::string CatalogueListingLine(const CatalogueRecord& record) {
  std::string line = record.level == 2 ? "\t" : record.level == 3 ? "\t\t" : "";
  line += "name=";
  Utf16ToUtf8Append(record.name, line, kLenient);
  line += "\tdocID=" + std::to_string(record.docID) + "\tdocNo=" + std::to_string(record.docNo) +
          "\tcurFileName=" + std::to_string(record.curFileName) + "\n";
  return line;
}

CatalogueLoadResult LoadCatalogue(const std::filesystem::path& dataFolder,
                                  const CatalogueConsumer& consumer, MessageSink& messages,
                                  const std::filesystem::path& listingPath) {
  CatalogueLoadResult result;
  // The listing is a debugging aid: the catalogue loads whether or not it can be written.
  io::OutputFile listing;
  result.listingWritten = listing.Create(listingPath, io::FileAccess::kShared);

  const std::filesystem::path path = dataFolder / kCatalogueFileName;
  io::ReadOnlyFile file;
  if (!file.Open(path)) {
    result.fileMissing = true;
    messages.ShowFault(kMissingCatalogueMessage, file.LastFault());
    return result;
  }

  std::vector<char> chunk(kRecordsPerRead * kCatalogueRecordSize);
  uint64_t offset = 0;
  std::optional<DataFault> readError;
  size_t partialBytes = 0;
  while (true) {
    const int64_t got = file.ReadSome(offset, chunk);
    if (got < 0) readError = file.LastFault();
    if (got <= 0) break;  // a read error ends the load like the end of the file
    const size_t wholeRecords = static_cast<size_t>(got) / kCatalogueRecordSize;
    for (size_t i = 0; i < wholeRecords; ++i) {
      if (result.recordCount == kMaxCatalogueRecords) {
        result.recordsBeyondLimit = true;
        break;
      }
      const CatalogueRecord record = DecodeCatalogueRecord(chunk.data() + i * kCatalogueRecordSize);
      if (listing.IsOpen()) listing.Append(CatalogueListingLine(record));
      consumer(++result.recordCount, record);
    }
    if (result.recordsBeyondLimit) break;
    partialBytes = static_cast<size_t>(got) % kCatalogueRecordSize;
    if (partialBytes != 0) {
      result.partialRecordIgnored = true;
      break;
    }
    offset += static_cast<uint64_t>(got);
  }
  ReportDroppedRecords(path, file, result, partialBytes, readError, messages);
  return result;
}

}  // namespace quillwen
