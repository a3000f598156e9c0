#pragma once

// The lock that keeps a reader from opening half of one build of a collection
// and half of the next: readers hold it shared while they open the data files,
// the builder exclusive while it moves a new build's files in. Once open, a
// reader keeps what it opened (descriptors and mappings of the old files), so
// a rebuild afterwards changes nothing it reads.

#include <filesystem>

#include "core/io/file_lock.h"

namespace quillwen {

// In the data folder, made by the builder. A folder without it (made by another
// tool) is opened without waiting.
inline constexpr char kCollectionLockFileName[] = ".quillwen.lock";
// Held by a builder for the whole build, so that a second one into the same
// folder stops at once.
inline constexpr char kBuildLockFileName[] = ".quillwen-build.lock";

inline io::FileLock LockCollectionForReading(const std::filesystem::path& folder) {
  return io::FileLock::Shared(folder / kCollectionLockFileName);
}

}  // namespace quillwen
