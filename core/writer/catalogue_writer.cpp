#include "core/writer/catalogue_writer.h"

#include <algorithm>

#include "core/common/little_endian.h"
#include "core/encoding/codeconverter.h"
#include "core/io/write_file.h"

namespace quillwen {

std::string EncodeCatalogueRecord(const CatalogueRecord& record) {
  std::string bytes;
  bytes.reserve(kCatalogueRecordSize);
  const size_t units = std::min(record.name.size(), kCatalogueNameUnits - 1);
  for (size_t i = 0; i < units; ++i) AppendLE16(bytes, record.name[i]);
  bytes.resize(kCatalogueNameBytes, '\0');
  AppendLE32(bytes, static_cast<uint32_t>(record.level));
  AppendLE32(bytes, static_cast<uint32_t>(record.docID));
  AppendLE32(bytes, static_cast<uint32_t>(record.docNo));
  AppendLE16(bytes, record.curFileName);
  AppendLE16(bytes, 0);
  return bytes;
}

bool WriteCatalogue(const std::filesystem::path& file, std::span<const CatalogueRecord> records,
                    std::string* error) {
  if (records.size() > static_cast<size_t>(kMaxCatalogueRecords)) {
    *error = "the catalogue holds " + std::to_string(records.size()) + " records; at most 9999 fit";
    return false;
  }
  std::string bytes;
  bytes.reserve(records.size() * kCatalogueRecordSize);
  for (size_t i = 0; i < records.size(); ++i) {
    if (records[i].name.size() >= kCatalogueNameUnits) {
      *error = "catalogue record " + std::to_string(i + 1) + " (" + ToUtf8(records[i].name) +
               "): the name has " + std::to_string(records[i].name.size()) +
               " units; at most 99 fit";
      return false;
    }
    bytes += EncodeCatalogueRecord(records[i]);
  }
  std::string problem;
  if (!io::WriteWholeFile(file, bytes, io::FileAccess::kShared, &problem)) {
    *error = file.string() + ": cannot be written (" + problem + ")";
    return false;
  }
  return true;
}

}  // namespace quillwen
