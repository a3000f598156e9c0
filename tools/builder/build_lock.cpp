#include "tools/builder/build_lock.h"

#include "core/store/collection_lock.h"

namespace quillwen::build {

bool BuildLock::Take(const std::filesystem::path& target, std::string* error) {
  const std::filesystem::path absolute = std::filesystem::absolute(target);
  file_ = absolute.parent_path() / ("." + absolute.filename().string() + kBuildLockSuffix);
  lock_ = io::FileLock::Exclusive(file_, false);
  // A file system without locks is no reason to refuse the build.
  if (lock_.Held() || !lock_.Busy()) return true;
  *error = target.string() + ": another build into this folder is running";
  return false;
}

}  // namespace quillwen::build
