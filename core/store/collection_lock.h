#pragma once

// The lock that keeps a reader from opening half of one build of a collection
// and half of the next: the data folder itself, which readers hold shared while
// they open the data files, and the builder exclusive while it moves a new
// build's files in. Any reader can open the folder, so a collection the user
// cannot write is locked too, and no file of ours stands in it. Once open, a
// reader keeps what it opened (descriptors and mappings of the old files), so a
// rebuild afterwards changes nothing it reads.

#include <filesystem>

#include "core/io/file_lock.h"

namespace quillwen {

// Held by a builder for the whole build, so that a second one into the same
// folder stops at once: ".<data folder's name>" + this, beside the data folder.
inline constexpr char kBuildLockSuffix[] = ".build-lock";

inline io::FileLock LockCollectionForReading(const std::filesystem::path& folder) {
  return io::FileLock::Shared(folder);
}

}  // namespace quillwen
