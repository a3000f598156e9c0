#pragma once

#include <filesystem>
#include <string>

#include "core/store/collection_manifest.h"

namespace quillwen {

// A new build identifier: 32 hex digits from the system's random source.
std::string NewBuildId();

// Describes each data file of the collection in `folder` that is there and
// writes the manifest beside them. False, with *error naming the file and why,
// when a file cannot be read or the manifest cannot be written.
bool WriteCollectionManifest(const std::filesystem::path& folder, const std::string& builder,
                             const std::string& build, std::string* error);

}  // namespace quillwen
