#pragma once

#include <filesystem>
#include <span>
#include <string>

#include "core/store/catalogue_format.h"

namespace quillwen {

// The 216 bytes of one catalogue record. The name is cut to 99 units so that its
// NUL always fits; the two bytes after curFileName are zero.
std::string EncodeCatalogueRecord(const CatalogueRecord& record);

// Writes `records` as a catalogue file. Refuses (false, *error says which record)
// more than 9999 records or a name longer than 99 units, rather than writing a
// file the reader would cut.
bool WriteCatalogue(const std::filesystem::path& file, std::span<const CatalogueRecord> records,
                    std::string* error);

}  // namespace quillwen
