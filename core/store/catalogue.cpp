#include "core/store/catalogue.h"

#include <vector>

#include "core/common/little_endian.h"
#include "core/encoding/codeconverter.h"
#include "core/io/read_only_file.h"
#include "core/io/write_file.h"

namespace quillwen {
namespace {

// Records are read this many at a time.
constexpr size_t kRecordsPerRead = 256;

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

  io::ReadOnlyFile file;
  if (!file.Open(dataFolder / kCatalogueFileName)) {
    result.fileMissing = true;
    messages.ShowMessage(kMissingCatalogueMessage);
    return result;
  }

  std::vector<char> chunk(kRecordsPerRead * kCatalogueRecordSize);
  uint64_t offset = 0;
  while (true) {
    const int64_t got = file.ReadSome(offset, chunk);
    if (got <= 0) break;  // a read error ends the load like the end of the file
    const size_t wholeRecords = static_cast<size_t>(got) / kCatalogueRecordSize;
    for (size_t i = 0; i < wholeRecords; ++i) {
      if (result.recordCount == kMaxCatalogueRecords) {
        result.recordsBeyondLimit = true;
        return result;
      }
      const CatalogueRecord record = DecodeCatalogueRecord(chunk.data() + i * kCatalogueRecordSize);
      if (listing.IsOpen()) listing.Append(CatalogueListingLine(record));
      consumer(++result.recordCount, record);
    }
    if (static_cast<size_t>(got) % kCatalogueRecordSize != 0) {
      result.partialRecordIgnored = true;
      break;
    }
    offset += static_cast<uint64_t>(got);
  }
  return result;
}

}  // namespace quillwen
