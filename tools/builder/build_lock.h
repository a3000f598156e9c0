#pragma once

// Two writers into one data folder would interleave their moves: a build, or an
// addition to a collection, holds a lock beside the folder (which need not
// exist yet) from its start until it has moved its files into place.

#include <filesystem>
#include <string>

#include "core/io/file_lock.h"

namespace quillwen::build {

class BuildLock {
 public:
  BuildLock() = default;
  ~BuildLock() { lock_.ReleaseAndRemove(file_); }
  BuildLock(const BuildLock&) = delete;
  BuildLock& operator=(const BuildLock&) = delete;

  // Takes the lock of `target` without waiting. False, with *error, when
  // another build into it is running.
  bool Take(const std::filesystem::path& target, std::string* error);

 private:
  std::filesystem::path file_;
  io::FileLock lock_;
};

}  // namespace quillwen::build
